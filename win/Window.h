// SPDX-License-Identifier: GPL-3.0-or-later
// Non-owning window handle with typed one-liners over the messages we use.
#pragma once

#include <windows.h>

#include <string>

class CWindow {
public:
    CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
    virtual ~CWindow() = default;  // never destroys the window: it is not ours

    HWND Handle() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() { HWND h = m_hWnd; m_hWnd = nullptr; return h; }
    bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd) != FALSE; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageA(m_hWnd, msg, wParam, lParam); }
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::PostMessageA(m_hWnd, msg, wParam, lParam) != FALSE; }

    // Children and parent.
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    CWindow Item(int id) const { return CWindow(GetDlgItem(id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

    // State.
    bool EnableWindow(bool enable = true) const { return ::EnableWindow(m_hWnd, enable) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    bool ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
    bool Show(bool show) const { return ShowWindow(show ? SW_SHOW : SW_HIDE); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    bool SetForeground() const { return ::SetForegroundWindow(m_hWnd) != FALSE; }
    bool Destroy() { bool ok = ::DestroyWindow(m_hWnd) != FALSE; m_hWnd = nullptr; return ok; }

    // Painting.
    bool Invalidate(bool erase = true) const { return ::InvalidateRect(m_hWnd, nullptr, erase) != FALSE; }
    bool InvalidateRect(const RECT& rc, bool erase = true) const
        { return ::InvalidateRect(m_hWnd, &rc, erase) != FALSE; }
    bool UpdateWindow() const { return ::UpdateWindow(m_hWnd) != FALSE; }
    void SetRedraw(bool redraw) const { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE); }

    // Geometry.
    RECT GetClientRect() const { RECT rc{}; ::GetClientRect(m_hWnd, &rc); return rc; }
    RECT GetWindowRect() const { RECT rc{}; ::GetWindowRect(m_hWnd, &rc); return rc; }
    bool Move(int x, int y, int cx, int cy, bool repaint = true) const
        { return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint) != FALSE; }
    bool SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const
        { return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) != FALSE; }
    POINT ScreenToClient(POINT pt) const { ::ScreenToClient(m_hWnd, &pt); return pt; }
    POINT ClientToScreen(POINT pt) const { ::ClientToScreen(m_hWnd, &pt); return pt; }
    // The control's rectangle in this window's client coordinates.
    RECT ChildRect(HWND child) const;

    // Text.
    bool SetText(const char* text) const { return ::SetWindowTextA(m_hWnd, text) != FALSE; }
    bool SetText(const std::string& text) const { return SetText(text.c_str()); }
    std::string GetText() const;
    bool SetDlgItemText(int id, const char* text) const { return ::SetDlgItemTextA(m_hWnd, id, text) != FALSE; }
    std::string GetDlgItemText(int id) const { return CWindow(GetDlgItem(id)).GetText(); }
    std::string GetClassName() const;

    // Buttons.
    void CheckDlgButton(int id, bool checked) const
        { ::CheckDlgButton(m_hWnd, id, checked ? BST_CHECKED : BST_UNCHECKED); }
    bool IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void SetButtonState(bool pushed) const { SendMessage(BM_SETSTATE, pushed ? 1 : 0); }

    // Misc.
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true) const
        { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
    void SetIcon(HICON icon, bool big) const
        { SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)); }
    HMENU GetSystemMenu(bool revert = false) const { return ::GetSystemMenu(m_hWnd, revert); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
    HWND SetCapture() const { return ::SetCapture(m_hWnd); }

protected:
    HWND m_hWnd;
};
