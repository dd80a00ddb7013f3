// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the tests that open real windows under Wine: finding windows of a
// process, waiting for a condition with a deadline, and reading texts without
// blocking on a busy UI thread.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace wintest {

// Polls a condition until it holds or the deadline passes; returns the last answer.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(10);
    }
}

// The caption of a window, read without sending it a message (safe when the
// window belongs to this process and its thread is busy).
inline std::string Caption(HWND hWnd)
{
    wchar_t text[512] = L"";
    int n = ::InternalGetWindowText(hWnd, text, 512);
    std::string out;
    for (int i = 0; i < n; ++i)
        out += static_cast<char>(text[i] < 128 ? text[i] : '?');
    return out;
}

inline std::string ClassOf(HWND hWnd)
{
    char name[128] = "";
    ::GetClassNameA(hWnd, name, sizeof name);
    return name;
}

// Text of a child control, asked with a time-out (the owner thread may be busy).
inline std::string ControlText(HWND control)
{
    char text[1024] = "";
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          2000, &result);
    text[sizeof text - 1] = '\0';
    return text;
}

struct SFindWindow {
    DWORD processId;
    const char* className;
    const char* caption;  // nullptr: any
    HWND except;
    HWND found;
};

inline BOOL CALLBACK FindWindowProc(HWND hWnd, LPARAM lParam)
{
    SFindWindow* find = reinterpret_cast<SFindWindow*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != find->processId || hWnd == find->except || !::IsWindowVisible(hWnd))
        return TRUE;
    if (find->className != nullptr && ClassOf(hWnd) != find->className)
        return TRUE;
    if (find->caption != nullptr && Caption(hWnd) != find->caption)
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

// A visible top-level window of a process with this class and caption, or nullptr.
inline HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, HWND except = nullptr)
{
    SFindWindow find{processId, className, caption, except, nullptr};
    ::EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// Waits for a message box (dialog class #32770 with this caption) of a process.
inline HWND WaitForMessageBox(DWORD processId, const char* caption, HWND except = nullptr, DWORD timeoutMs = 10000)
{
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindProcessWindow(processId, "#32770", caption, except)) != nullptr; }, timeoutMs);
    return box;
}

// The text of a message box: its static control with id 0xFFFF.
inline std::string MessageBoxText(HWND box)
{
    return ControlText(::GetDlgItem(box, 0xFFFF));
}

// Removes a registry key with everything below it (test keys only).
inline void DeleteKeyTree(HKEY parent, const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        char name[256];
        for (;;) {
            DWORD length = sizeof name;
            if (::RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            DeleteKeyTree(key, name);
        }
        ::RegCloseKey(key);
    }
    ::RegDeleteKeyA(parent, path.c_str());
}

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

// The temporary folder, without its trailing backslash.
inline std::string TempFolder()
{
    char path[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, path);
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// Dispatches this thread's messages for a while, so that windows paint and settle.
inline void PumpFor(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
}

// The text of a list view's cell, asked with a deadline (the list's thread may be busy).
inline std::string ListCellText(HWND list, int row, int column)
{
    char text[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item),
                          SMTO_ABORTIFHUNG, 5000, &ignored);
    return text;
}

// Saves the window as the screen shows it (its shape included) as a 24-bit
// .BMP file, for people to look at.
inline bool SaveWindowShot(HWND window, const std::string& path)
{
    RECT rc{};
    ::GetWindowRect(window, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    bool ok = false;
    if (bits != nullptr) {
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
                 std::fwrite(bits, 1, imageBytes, f) == imageBytes;
            ok = std::fclose(f) == 0 && ok;
        }
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

// A shell drop of these paths, as the shell hands it to a window.
inline HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths)
        bytes += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* at = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(at, p.c_str(), p.size() + 1);
        at += p.size() + 1;
    }
    *at = '\0';
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// Posts a shell drop of these paths, in this order, to the window.
inline void DropFiles(HWND window, const std::vector<std::string>& paths)
{
    ::PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

}  // namespace wintest
