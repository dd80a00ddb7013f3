// SPDX-License-Identifier: GPL-3.0-or-later
// Quavel.exe as a user starts it: with a virtual player it finds the player,
// reads its directory and shows the memory line; CLOSE, Esc and Enter end it.
// Each run uses a copy of the program under a name of its own, so that it has
// its own settings key (and starts with defaults, as a renamed program does).
#include "WinTestSupport.h"

#include "app/RegistrySettings.h"
#include "app/PortSelection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Directory(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

std::string TestExecutableDir()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return Directory(path);
}

class QuavelRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int run = 0;
        appName = "QuavelStart" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++run);
        exe = wintest::TempFolder() + "\\" + appName + ".exe";
        images = wintest::TempFolder() + "\\" + appName + "_player";
        ASSERT_TRUE(::CopyFileA((TestExecutableDir() + "\\" QUAVEL_EXE_FROM_TEST).c_str(), exe.c_str(), FALSE))
            << "Quavel.exe not found beside the tests";
        wintest::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Kestry\\" + appName);
    }

    void TearDown() override
    {
        if (process.hProcess != nullptr) {
            if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                ::TerminateProcess(process.hProcess, 99);
            ::WaitForSingleObject(process.hProcess, 5000);
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
        ::DeleteFileA(exe.c_str());
        ::DeleteFileA((images + "\\internal.img").c_str());
        ::DeleteFileA((images + "\\card.img").c_str());
        ::RemoveDirectoryA(images.c_str());
        wintest::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Kestry\\" + appName);
    }

    void Start(const std::string& options)
    {
        std::string commandLine = "\"" + exe + "\" " + options;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &process));
    }

    // Runs the program with its standard output and error going to a file; its exit code.
    DWORD RunWithOutput(const std::string& options)
    {
        // A file of its own per run: Wine may hold an ended GUI process's handles a little longer.
        static int runs = 0;
        std::string file = wintest::TempFolder() + "\\" + appName + "_" + std::to_string(++runs) + ".out";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = ::CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   &inherit, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE)
            return 0xBAD;
        std::string commandLine = "\"" + exe + "\" " + options;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        HANDLE error = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), out, ::GetCurrentProcess(), &error, 0, TRUE, DUPLICATE_SAME_ACCESS);
        startup.hStdOutput = out;
        startup.hStdError = error;
        PROCESS_INFORMATION run{};
        BOOL started = ::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &run);
        ::CloseHandle(out);
        ::CloseHandle(error);
        DWORD code = 0xDEAD;
        if (started) {
            if (::WaitForSingleObject(run.hProcess, 15000) == WAIT_OBJECT_0)
                ::GetExitCodeProcess(run.hProcess, &code);
            else
                ::TerminateProcess(run.hProcess, 99);
            ::CloseHandle(run.hProcess);
            ::CloseHandle(run.hThread);
        }
        output.clear();
        if (FILE* f = fopen(file.c_str(), "rb")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
                output.append(buffer, n);
            fclose(f);
        }
        ::DeleteFileA(file.c_str());
        return code;
    }

    // The main window: captioned "Quavel" like the box that asks to retry, but with the list.
    HWND WaitForMainWindow()
    {
        HWND window = nullptr;
        wintest::WaitUntil([&] {
            window = wintest::FindProcessWindow(process.dwProcessId, "#32770", "Quavel");
            return window != nullptr && ::GetDlgItem(window, 1001) != nullptr;
        });
        return window != nullptr && ::GetDlgItem(window, 1001) != nullptr ? window : nullptr;
    }

    // The box that asks to retry the search for the player.
    HWND WaitForNotFoundBox()
    {
        HWND box = nullptr;
        wintest::WaitUntil([&] {
            box = wintest::FindProcessWindow(process.dwProcessId, "#32770", "Quavel");
            return box != nullptr && ::GetDlgItem(box, IDRETRY) != nullptr;
        });
        return box != nullptr && ::GetDlgItem(box, IDRETRY) != nullptr ? box : nullptr;
    }

    // Waits until the program has ended by itself; its exit code.
    DWORD WaitForExit()
    {
        if (::WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0)
            return 0xDEAD;
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    void ExpectConnectedWindow(HWND window)
    {
        HWND status = ::GetDlgItem(window, 1043);
        std::string text;
        wintest::WaitUntil([&] { return (text = wintest::ControlText(status)).rfind("Memory:", 0) == 0; });
        EXPECT_EQ("Memory:   total: 32768 KB   used : 0 KB   free : 32768 KB", text);
        EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(window, 1028))) << "idle lamp";
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, 1030))) << "offline lamp";
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, 1004))) << "progress bar";
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, 1010))) << "DELETE";
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, 1011))) << "UPLOAD";
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(window, 1000))) << "REFRESH";
    }

    std::string appName;
    std::string exe;
    std::string images;
    PROCESS_INFORMATION process{};
    std::string output;
};

TEST_F(QuavelRun, ConnectsToAVirtualPlayerAndClosesOnClose)
{
    Start("--virtual-player=\"" + images + "\"");
    HWND window = WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    ExpectConnectedWindow(window);
    // The window is a shaped pop-up of its own in the task bar.
    EXPECT_EQ(0, ::GetWindowLongA(window, GWL_STYLE) & WS_CAPTION & ~WS_BORDER);
    EXPECT_TRUE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    // Connecting wrote the port and delay defaults under the copy's own key.
    CRegistrySettings settings("Kestry", appName);
    EXPECT_EQ(888, settings.ReadInt("Settings", "Port1", -1));
    EXPECT_EQ(632, settings.ReadInt("Settings", "Port2", -1));
    EXPECT_EQ(20000, settings.ReadInt("Settings", "IODelayInit", -1));
    EXPECT_EQ(100, settings.ReadInt("Settings", "IODelayTx", -1));
    EXPECT_EQ(2, settings.ReadInt("Settings", "IODelayRx", -1));
    // The player's memory lives in the image folder.
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((images + "\\internal.img").c_str()));

    ::PostMessageA(::GetDlgItem(window, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, WaitForExit());
}

TEST_F(QuavelRun, APlayerOnTheSecondPortSwapsTheStoredPortsAndEscCloses)
{
    Start("--virtual-player=\"" + images + "\" --player-port=632");
    HWND window = WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    ExpectConnectedWindow(window);
    CRegistrySettings settings("Kestry", appName);
    EXPECT_EQ(632, settings.ReadInt("Settings", "Port1", -1));
    EXPECT_EQ(888, settings.ReadInt("Settings", "Port2", -1));

    // Esc pressed while the list has the focus.
    ::PostMessageA(::GetDlgItem(window, 1001), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(0u, WaitForExit());
}

TEST_F(QuavelRun, EnterInTheListCloses)
{
    Start("--virtual-player=\"" + images + "\"");
    HWND window = WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    ExpectConnectedWindow(window);
    ::PostMessageA(::GetDlgItem(window, 1001), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0u, WaitForExit());
}

TEST_F(QuavelRun, AnUnpluggedPlayerIsFoundByRetryOnceItIsPluggedIn)
{
    Start("--virtual-player=\"" + images + "\" --unplugged");
    HWND box = WaitForNotFoundBox();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Rio not found!\r\n\r\nPlease connect your Rio to the printerport.", wintest::MessageBoxText(box));
    // Plugged in: a marker file in the player's folder.
    FILE* marker = fopen((images + "\\plugged-in").c_str(), "wb");
    ASSERT_NE(nullptr, marker);
    fclose(marker);
    ::PostMessageA(box, WM_COMMAND, IDRETRY, 0);
    HWND window = WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    ExpectConnectedWindow(window);
    ::PostMessageA(::GetDlgItem(window, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, WaitForExit());
    ::DeleteFileA((images + "\\plugged-in").c_str());
}

TEST_F(QuavelRun, WithoutAnyPortBackendItSaysSoOnceAndFindsNoPlayer)
{
    // Under Wine a program may not execute IN/OUT and there is no inpout32.dll.
    Start("");
    HWND box = wintest::WaitForMessageBox(process.dwProcessId, appName.c_str());
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(CAppPortProvider::kNoPortMessage, wintest::MessageBoxText(box));
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    // No player answers: the search offers to retry; Cancel gives up.
    HWND retry = WaitForNotFoundBox();
    ASSERT_NE(nullptr, retry);
    ::PostMessageA(retry, WM_COMMAND, IDCANCEL, 0);

    HWND window = WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(wintest::WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(window, 1030)) != FALSE; }))
        << "offline lamp";
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(window, 1028))) << "idle lamp";
    EXPECT_EQ("", wintest::ControlText(::GetDlgItem(window, 1043)));
    EXPECT_EQ(nullptr, wintest::FindProcessWindow(process.dwProcessId, "#32770", appName.c_str()))
        << "the message comes once";
    ::PostMessageA(::GetDlgItem(window, 1), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, WaitForExit());
}

TEST_F(QuavelRun, HelpOptionAndBadOptions)
{
    // Started from a console, --help prints the options and ends without a
    // window; a wrong option is refused with the reason and the options.
    EXPECT_EQ(0u, RunWithOutput("--help"));
    EXPECT_NE(std::string::npos, output.find("--virtual-player=DIR"));
    EXPECT_NE(std::string::npos, output.find("--player-port=PORT"));

    EXPECT_EQ(2u, RunWithOutput("--virtual-player=x --card=3"));
    EXPECT_EQ(0u, output.find("--card needs a device code")) << output;
    EXPECT_NE(std::string::npos, output.find("Usage: Quavel.exe"));
}

}  // namespace
