// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window on the test's thread, driven from a second thread as a
// user would, against a virtual player whose memory lives in image files; and
// what the player holds afterwards, read back with a fresh device object and a
// fresh virtual player on the same files.
// The device headers come first: <windows.h> renames CRioDevice::SetPort.
#pragma once

#include "device/RioDevice.h"
#include "player/VirtualPlayer.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Application.h"
#include "app/Help.h"
#include "app/Settings.h"
#include "device/PortProvider.h"
#include "mainwindow/MainDlg.h"
#include "res/resource.h"
#include "tests/win/WinTestSupport.h"
#include "tools/seed/DemoMp3.h"

namespace maintest {

using wintest::WaitUntil;

// ---- Files ----------------------------------------------------------------------

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& data)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::vector<uint8_t> data;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return data;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    std::fclose(f);
    return data;
}

// Removes a folder with everything in it.
inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(dir.c_str());
}

// ---- What the player holds ----------------------------------------------------------

struct SPlayerFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

struct SPlayerContents {
    bool read = false;
    DirectoryHeader header;
    std::vector<SPlayerFile> files;   // in directory order

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const SPlayerFile& f : files)
            names.push_back(f.name);
        return names;
    }
};

// Opens the image files with a new virtual player and device object, reads the
// directory of one memory and fetches every file.
inline SPlayerContents ReadPlayer(const SPlayerOptions& options, int memory, const std::string& scratch)
{
    SPlayerContents contents;
    CVirtualPlayer player(options);
    if (!player.ImageError().empty())
        return contents;
    CRioDevice device(player);
    device.SetPort(options.base);
    device.SetMemory(memory);
    if (!device.Detect() || !device.ReadDirectory())
        return contents;
    contents.read = true;
    contents.header = device.GetHeader();
    ::CreateDirectoryA(scratch.c_str(), nullptr);
    for (int i = 0; i < device.EntryCount(); ++i) {
        DirectoryEntry entry = DirectoryEntry::Read(device.EntrySlot(i));
        char name[kRioNameSize + 1];
        entry.GetName(name);
        SPlayerFile file;
        file.name = name;
        // By its entry: two entries of one name are two files.
        if (device.UploadEntry(i, (scratch + "\\" + name).c_str(), nullptr)) {
            file.bytes = ReadBytes(scratch + "\\" + name);
            ::DeleteFileA((scratch + "\\" + name).c_str());
        }
        contents.files.push_back(file);
    }
    return contents;
}

// ---- The port the window finds ----------------------------------------------------------

// The player is plugged in or not; the test may plug it in while the window runs.
class CPluggablePorts : public CPortProvider {
public:
    CPortIO* GetPortIO() override { return plugged ? player : nullptr; }
    std::atomic<bool> plugged{true};
    CVirtualPlayer* player = nullptr;
};

// ---- Help calls --------------------------------------------------------------------

inline std::atomic<int>& HelpCount()
{
    static std::atomic<int> count{0};
    return count;
}
inline std::atomic<unsigned long>& LastHelpTopic()
{
    static std::atomic<unsigned long> topic{0};
    return topic;
}
inline std::atomic<int>& HelpQuits()
{
    static std::atomic<int> count{0};
    return count;
}
inline bool RecordHelp(HWND, const char*, UINT command, ULONG_PTR data)
{
    if (command == HELP_QUIT)
        ++HelpQuits();
    if (command == HELP_CONTEXT) {
        LastHelpTopic() = static_cast<unsigned long>(data);
        ++HelpCount();
    }
    return true;
}

// ---- Windows of the process -----------------------------------------------------------

struct SFindMain {
    DWORD pid;
    HWND found;
};

inline BOOL CALLBACK FindMainProc(HWND hWnd, LPARAM lParam)
{
    SFindMain* find = reinterpret_cast<SFindMain*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != find->pid || !::IsWindowVisible(hWnd) || wintest::ClassOf(hWnd) != "#32770")
        return TRUE;
    if (::GetDlgItem(hWnd, IDC_MAIN_LIST) == nullptr || wintest::Caption(hWnd) != "Quavel")
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

// The visible main window of this process, or nullptr.
inline HWND FindMainWindow()
{
    SFindMain find{::GetCurrentProcessId(), nullptr};
    ::EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// A message box of this process with the caption, or nullptr after the wait.
inline HWND WaitForBox(const char* caption, DWORD timeoutMs = 10000)
{
    return wintest::WaitForMessageBox(::GetCurrentProcessId(), caption, nullptr, timeoutMs);
}

// Presses a button of a message box or dialog (posted: the owner thread is busy).
inline void Press(HWND window, int id)
{
    ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

using wintest::Click;
using wintest::IsEnabled;
using wintest::IsPushed;

inline bool IsShown(HWND dialog, int id)
{
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}

inline std::string Status(HWND main)
{
    return wintest::ControlText(::GetDlgItem(main, IDC_MAIN_STATUS));
}

inline LRESULT SendList(HWND main, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(::GetDlgItem(main, IDC_MAIN_LIST), msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

inline int RowCount(HWND main)
{
    return static_cast<int>(SendList(main, LVM_GETITEMCOUNT, 0, 0));
}

inline std::string CellText(HWND main, int row, int column)
{
    return wintest::ListCellText(::GetDlgItem(main, IDC_MAIN_LIST), row, column);
}

inline std::vector<std::string> Titles(HWND main)
{
    std::vector<std::string> titles;
    for (int r = 0; r < RowCount(main); ++r)
        titles.push_back(CellText(main, r, 0));
    return titles;
}

inline void SelectRow(HWND main, int row, bool selected)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendList(main, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// A point inside a row, in the list's client coordinates.
inline POINT RowPoint(HWND main, int row, int dy = 0)
{
    RECT rc{};
    rc.left = LVIR_LABEL;
    SendList(main, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
    return POINT{rc.left + 20, (rc.top + rc.bottom) / 2 + dy};
}

// A click of the mouse on a row (with Ctrl: the row joins the selection).
inline void ClickRow(HWND main, int row, bool control)
{
    HWND list = ::GetDlgItem(main, IDC_MAIN_LIST);
    const POINT pt = RowPoint(main, row);
    const WPARAM keys = MK_LBUTTON | (control ? MK_CONTROL : 0);
    ::PostMessageA(list, WM_LBUTTONDOWN, keys, MAKELPARAM(pt.x, pt.y));
    ::PostMessageA(list, WM_LBUTTONUP, control ? MK_CONTROL : 0, MAKELPARAM(pt.x, pt.y));
}

// The window that holds the mouse capture on the main window's thread.
inline HWND CaptureOf(HWND main)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndCapture;
}

// Waits until the window's thread has handled everything posted so far.
inline void Settle(HWND main)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

inline void DropOn(HWND main, const std::vector<std::string>& paths)
{
    wintest::DropFiles(main, paths);
}

void ChooseInFileDialog(const std::string& typed);   // into DOWNP's file dialog, then Open

// ---- The fixture ----------------------------------------------------------------

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        SetAppSettings(&settings);
        HelpCount() = 0;
        HelpQuits() = 0;
        LastHelpTopic() = 0;
        oldHelp = SetHelpEngine(RecordHelp);
        static int run = 0;
        dir = wintest::TempFolder() + "\\quavel_main_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++run);
        ::CreateDirectoryA(dir.c_str(), nullptr);
        images = dir + "\\player";
        pcFiles = dir + "\\pc";
        ::CreateDirectoryA(images.c_str(), nullptr);
        ::CreateDirectoryA(pcFiles.c_str(), nullptr);
        options.imageDir = images;
        options.formatTime = 946684800;
    }

    void TearDown() override
    {
        player.reset();
        SetHelpEngine(oldHelp);
        SetAppSettings(nullptr);
        RemoveTree(dir);
    }

    // The player as the window will find it.
    void MakePlayer()
    {
        player = std::make_unique<CVirtualPlayer>(options);
        ASSERT_EQ("", player->ImageError());
        ports.player = player.get();
    }

    // Sends files to the player before the window opens (as an earlier run would have).
    void Preload(const std::vector<std::string>& names, size_t bytes = 40000)
    {
        ASSERT_TRUE(player);
        CRioDevice device(*player);
        device.SetPort(options.base);
        ASSERT_TRUE(device.Detect());
        ASSERT_TRUE(device.ReadDirectory());
        uint32_t seed = 100;
        for (const std::string& name : names) {
            const std::string path = pcFiles + "\\" + name;
            ASSERT_TRUE(WriteBytes(path, demo::MakeMp3(128, bytes, seed++)));
            ASSERT_TRUE(device.DownloadFile(path.c_str(), nullptr)) << device.GetErrorText();
            ASSERT_TRUE(device.WriteDirectory());
        }
    }

    // A PC file of demonstration frames; returns its path.
    std::string MakePcFile(const std::string& name, size_t bytes, uint32_t seed, int kbps = 128)
    {
        const std::string path = pcFiles + "\\" + name;
        EXPECT_TRUE(WriteBytes(path, demo::MakeMp3(kbps, bytes, seed)));
        return path;
    }

    // Runs the window modally here, drive(main window) on a second thread once
    // it is on screen. Whatever the driver leaves open is closed.
    INT_PTR Run(CMainDlg& window, const std::function<void(HWND)>& drive)
    {
        std::thread driver([&] {
            HWND main = nullptr;
            WaitUntil([&] { return (main = FindMainWindow()) != nullptr; }, 20000);
            if (main != nullptr)
                drive(main);
            // Clean-up after a failed driver: answer boxes, close the window.
            for (int i = 0; i < 50 && main != nullptr && ::IsWindow(main); ++i) {
                HWND box = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
                if (box != nullptr && box != main)
                    ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                WaitUntil([&] { return !::IsWindow(main); }, 500);
            }
        });
        const INT_PTR result = window.DoModal();
        driver.join();
        return result;
    }

    // What the player holds now, read with fresh objects (the window's player is released first).
    SPlayerContents Contents(int memory = 0)
    {
        player.reset();
        ports.player = nullptr;
        return ReadPlayer(options, memory, dir + "\\fetched");
    }

    // The message-box caption of the session's errors: the application's name.
    static std::string AppCaption() { return ApplicationName(); }

    CMemorySettings settings;
    HelpEngine oldHelp = nullptr;
    std::string dir;
    std::string images;
    std::string pcFiles;
    SPlayerOptions options;
    std::unique_ptr<CVirtualPlayer> player;
    CPluggablePorts ports;
};

}  // namespace maintest
