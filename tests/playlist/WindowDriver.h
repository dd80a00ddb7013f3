// SPDX-License-Identifier: GPL-3.0-or-later
// What a test thread does to the playlist window and its file dialogs and
// message boxes, the way a user would: drop files, click the list, select
// rows, read the rows and statics, answer questions, type into file dialogs,
// and look at the colours of a control on the screen.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/win/WinTestSupport.h"

namespace playlisttest {

constexpr DWORD kSendTimeout = 5000;

inline LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
    return static_cast<LRESULT>(result);
}

// Files dropped from the shell, in this order.
using wintest::DropFiles;

// The list reports a mouse click to the window.
inline void NotifyClick(HWND dialog, int listId)
{
    NMHDR header{};
    header.hwndFrom = ::GetDlgItem(dialog, listId);
    header.idFrom = static_cast<UINT_PTR>(listId);
    header.code = NM_CLICK;
    Send(dialog, WM_NOTIFY, static_cast<WPARAM>(listId), reinterpret_cast<LPARAM>(&header));
}

// Selects exactly these rows of a list view.
inline void SelectRows(HWND list, const std::vector<int>& rows)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    for (int row : rows) {
        item.state = LVIS_SELECTED;
        Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

inline std::vector<int> SelectedRows(HWND list)
{
    std::vector<int> rows;
    const int n = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        if (Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) != 0)
            rows.push_back(i);
    }
    return rows;
}

inline std::string CellText(HWND list, int row, int column)
{
    return wintest::ListCellText(list, row, column);
}

// Column 0 of every row.
inline std::vector<std::string> Titles(HWND list)
{
    std::vector<std::string> titles;
    const int n = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        titles.push_back(CellText(list, i, 0));
    return titles;
}

inline BOOL CALLBACK FindFileNameEdit(HWND child, LPARAM lParam)
{
    if (::GetDlgCtrlID(child) == 0x47C && wintest::ClassOf(child) == "Edit") {
        *reinterpret_cast<HWND*>(lParam) = child;
        return FALSE;
    }
    return TRUE;
}

// Waits for the file dialog with this title, types the text into its file
// name box and presses its OK button (or Cancel when text is null). False when
// the dialog did not show up.
inline bool AnswerFileDialog(DWORD pid, const char* title, const char* text)
{
    HWND dialog = wintest::WaitForMessageBox(pid, title);
    if (dialog == nullptr)
        return false;
    if (text == nullptr) {
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else {
        HWND edit = nullptr;
        wintest::WaitUntil([&] {
            ::EnumChildWindows(dialog, FindFileNameEdit, reinterpret_cast<LPARAM>(&edit));
            return edit != nullptr;
        });
        if (edit == nullptr)
            edit = ::GetDlgItem(dialog, 0x47C);
        Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return wintest::WaitUntil([&] { return !::IsWindow(dialog); });
}

// Waits for a message box with this caption, returns its text and presses the
// button with this id.
inline std::string AnswerBox(DWORD pid, const char* caption, int button, HWND except = nullptr)
{
    HWND box = wintest::WaitForMessageBox(pid, caption, except);
    if (box == nullptr)
        return "<no box>";
    std::string text;
    wintest::WaitUntil([&] { text = wintest::MessageBoxText(box); return !text.empty(); }, 3000);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    wintest::WaitUntil([&] { return !::IsWindow(box); });
    return text;
}

// Pixels of a control as the screen shows it, counted by colour.
struct SColourCount {
    int matching = 0;
    int total = 0;
};

inline SColourCount CountScreenColour(HWND control, COLORREF colour)
{
    SColourCount count;
    RECT rc{};
    ::GetWindowRect(control, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return count;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
        const DWORD p = pixels[i];
        const COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        ++count.total;
        if (c == colour)
            ++count.matching;
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return count;
}

// Where tests leave their pictures: the folder named by QUAVEL_SCREENSHOT_DIR, or none.
inline std::string ShotFolder()
{
    char dir[MAX_PATH] = "";
    const DWORD n = ::GetEnvironmentVariableA("QUAVEL_SCREENSHOT_DIR", dir, sizeof dir);
    return n > 0 && n < sizeof dir ? std::string(dir) : std::string();
}

}  // namespace playlisttest
