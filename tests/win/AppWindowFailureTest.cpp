// SPDX-License-Identifier: GPL-3.0-or-later
// The application object given a module without the main window's template
// (this test program links none): the window cannot be created, and Quavel
// says so in a message box and ends with exit code 1 instead of 0 and silence.
#include "WinTestSupport.h"

#include "app/Application.h"
#include "app/QuavelApp.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

TEST(MainWindowFailure, IsToldInAMessageBoxAndEndsWithCode1)
{
    const std::string images = wintest::TempFolder() + "\\quavel_nowindow_" + std::to_string(::GetCurrentProcessId());
    std::string text;
    std::thread answer([&] {
        HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), ApplicationName().c_str());
        if (box == nullptr)
            return;
        text = wintest::MessageBoxText(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    CQuavelApp app(::GetModuleHandleA(nullptr), ("--virtual-player=" + images).c_str());
    EXPECT_EQ(1, app.Run());
    answer.join();
    EXPECT_EQ(0u, text.rfind("The main window could not be opened", 0)) << text;
    ::DeleteFileA((images + "\\internal.img").c_str());
    ::RemoveDirectoryA(images.c_str());
    wintest::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Kestry\\" + ApplicationName());
}

}  // namespace
