// SPDX-License-Identifier: GPL-3.0-or-later
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

using wintest::Click;
using wintest::IsEnabled;
using wintest::IsPushed;

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
