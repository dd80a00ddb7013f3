// SPDX-License-Identifier: GPL-3.0-or-later
// The application object given a module without the main window's template
// (this test program links none): Quavel says so and ends with exit code 1.
#include "WinTestSupport.h"

#include "app/Application.h"
#include "app/QuavelApp.h"

#include <gtest/gtest.h>

#include <thread>

TEST(MainWindowFailure, IsToldInAMessageBoxAndEndsWithCode1)
{
    std::string text;
    std::thread answer([&] {
        if (HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), ApplicationName().c_str())) {
            text = wintest::MessageBoxText(box);
            ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
    CQuavelApp app(::GetModuleHandleA(nullptr), ("--virtual-player=" + wintest::TempFolder() + "\\quavel_nowindow").c_str());
    EXPECT_EQ(1, app.Run());
    answer.join();
    EXPECT_EQ(0u, text.rfind("The main window could not be opened", 0)) << text;
    wintest::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Kestry\\" + ApplicationName());
}
