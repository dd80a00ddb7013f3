// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QuavelApp.h"

#include "app/Application.h"
#include "app/PortSelection.h"
#include "app/RegistrySettings.h"
#include "mainwindow/MainDlg.h"
#include "port/PortOptions.h"
#include "win/Dialog.h"

CQuavelApp::CQuavelApp(HINSTANCE instance, const char* commandLine)
    : m_instance(instance), m_commandLine(commandLine != nullptr ? commandLine : "")
{
}

int CQuavelApp::Run()
{
    SPortOptions options;
    std::string error;
    if (!ParsePortOptions(SplitCommandLine(m_commandLine.c_str()), options, error)) {
        ShowText(error + "\r\n\r\n" + PortOptionsHelp(), true);
        return 2;
    }
    if (options.help) {
        ShowText(PortOptionsHelp(), false);
        return 0;
    }

    // A drive without a medium (an empty card reader in the folder dialog, a
    // playlist row on a removed disk) answers with a failure, not with the
    // system's "no disk" box.
    const UINT errorMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ::SetErrorMode(errorMode | SEM_FAILCRITICALERRORS);

    CDialog::SetResourceInstance(m_instance);
    InitCommonControlClasses();

    // Every setting lives under HKEY_CURRENT_USER\Software\Kestry\<executable's base name>.
    CRegistrySettings settings(kCompanyKey, ApplicationName());
    SetAppSettings(&settings);

    CAppPortProvider ports(options);
    INT_PTR result = 0;
    DWORD windowError = 0;
    {
        // The main window lives exactly as long as its modal loop; it must go
        // (with its session) before the port backend does.
        CMainDlg mainWindow(ports);
        m_mainWindow = &mainWindow;
        result = mainWindow.DoModal();
        windowError = ::GetLastError();
        m_mainWindow = nullptr;
    }
    SetAppSettings(nullptr);
    if (result == -1) {
        // Without a window the program would end without a word.
        ::MessageBoxA(nullptr, MainWindowFailedText(windowError).c_str(), ApplicationName().c_str(), MB_OK | MB_ICONSTOP);
        return 1;
    }
    return 0;
}

std::string CQuavelApp::MainWindowFailedText(DWORD error)
{
    std::string text = "The main window could not be opened";
    if (error != 0)
        text += " (system error " + std::to_string(error) + ")";
    return text + ".\r\n\r\nClose other programs to free system resources and start Quavel again.";
}

void CQuavelApp::ShowText(const std::string& text, bool isError)
{
    HANDLE out = ::GetStdHandle(isError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    bool attached = false;
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        // A windows program has no console of its own; use the one it was started from.
        if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
            attached = true;
            out = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        }
    }
    DWORD written = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE
        && ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        if (attached)
            ::CloseHandle(out);
        return;
    }
    ::MessageBoxA(nullptr, text.c_str(), ApplicationName().c_str(),
                  MB_OK | (isError ? MB_ICONSTOP : MB_ICONINFORMATION));
}
