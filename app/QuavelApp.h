// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: reads the command line, sets the settings key, and
// runs the main window as a modal dialog; the program ends when it closes.
#pragma once

#include <windows.h>

#include <string>

class CMainDlg;

class CQuavelApp {
public:
    CQuavelApp(HINSTANCE instance, const char* commandLine);

    // Start-up; returns the process's exit code: 0 after the main window has
    // closed or the help was shown, 1 when the main window could not be
    // created (after a message box that says so), 2 for a command line that
    // cannot be used.
    int Run();

    // The message box's text when the main window could not be created.
    static std::string MainWindowFailedText(DWORD error);

    // The main window while its modal loop runs, else nullptr.
    CMainDlg* MainWindow() const { return m_mainWindow; }

private:
    // Text for the user when no window is open: the console when there is one
    // (started from a command prompt), else a message box.
    static void ShowText(const std::string& text, bool isError);

    HINSTANCE m_instance;
    std::string m_commandLine;
    CMainDlg* m_mainWindow = nullptr;
};
