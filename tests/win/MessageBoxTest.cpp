// SPDX-License-Identifier: GPL-3.0-or-later
// The session's error messages: a message box with the stop icon, one OK button,
// the application's name as caption, owned by the main window.
#include "WinTestSupport.h"

#include "app/Application.h"
#include "app/MessageBoxWin.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct SSeenBox {
    bool found = false;
    std::string text;
    HWND owner = nullptr;
    bool stopIcon = false;
    bool cancelButton = false;
};

// Waits for this process's message box captioned caption, notes what it shows, presses OK.
void AnswerBox(const std::string& caption, SSeenBox& seen)
{
    HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), caption.c_str());
    if (box == nullptr)
        return;
    seen.found = true;
    seen.text = wintest::MessageBoxText(box);
    seen.owner = ::GetWindow(box, GW_OWNER);
    seen.cancelButton = ::GetDlgItem(box, IDCANCEL) != nullptr && ::IsWindowVisible(::GetDlgItem(box, IDCANCEL));
    // The icon is the one static control that shows an icon.
    HICON stop = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32513));  // IDI_HAND
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        DWORD_PTR icon = 0;
        if (wintest::ClassOf(child) == "Static"
            && (::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON
            && ::SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon))
            seen.stopIcon = reinterpret_cast<HICON>(icon) == stop;
    }
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(MessageBoxSink, ShowsTheSessionsTextWithTheStopIconUnderTheApplicationsName)
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    CMessageBoxSink sink;
    sink.SetOwner(owner);

    SSeenBox seen;
    std::thread answer(AnswerBox, ApplicationName(), std::ref(seen));
    sink.ShowError("Delete file failed!\r\n\r\nfile not found");
    answer.join();
    ::DestroyWindow(owner);

    ASSERT_TRUE(seen.found) << "no box captioned " << ApplicationName();
    EXPECT_EQ("Delete file failed!\r\n\r\nfile not found", seen.text);
    EXPECT_EQ(owner, seen.owner);
    EXPECT_TRUE(seen.stopIcon);
    EXPECT_FALSE(seen.cancelButton) << "only an OK button";
}

TEST(MessageBoxSink, AnOwnerThatIsGoneIsNotUsed)
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(owner);
    CMessageBoxSink sink(owner);
    SSeenBox seen;
    std::thread answer(AnswerBox, ApplicationName(), std::ref(seen));
    sink.ShowError("Update directory failed!\r\n\r\n");
    answer.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ("Update directory failed!\r\n\r\n", seen.text);
    EXPECT_NE(owner, seen.owner);
}

}  // namespace
