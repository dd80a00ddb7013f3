// Runs a modal dialog on the test's thread while a second thread drives it, as
// a user would: find the window, press buttons, read their looks. Whatever the
// driver leaves open is cancelled, so that a failing test never hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <thread>

#include "tests/win/WinTestSupport.h"
#include "win/Dialog.h"

namespace liststest {

// Presses a button the way a click does (down, up, BN_CLICKED to the dialog).
inline void Click(HWND dialog, int id)
{
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The button is shown held down (its pushed state is set).
inline bool IsPushed(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    ::SendMessageTimeoutA(::GetDlgItem(dialog, id), BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return (state & BST_PUSHED) != 0;
}

inline bool IsEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

// Runs dialog.DoModal() here and drive(window) on a second thread once the
// dialog is on screen; returns the dialog's result.
inline INT_PTR RunDriven(CDialog& dialog, const std::function<void(HWND)>& drive)
{
    const DWORD pid = ::GetCurrentProcessId();
    std::thread driver([&] {
        HWND window = nullptr;
        wintest::WaitUntil([&] {
            window = wintest::FindProcessWindow(pid, "#32770", nullptr);
            return window != nullptr;
        });
        if (window == nullptr)
            return;
        drive(window);
        // Close whatever is still open (the driver failed half-way).
        while (::IsWindow(window)) {
            ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            wintest::WaitUntil([&] { return !::IsWindow(window); }, 2000);
        }
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
}

}  // namespace liststest
