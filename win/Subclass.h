// SPDX-License-Identifier: GPL-3.0-or-later
// A control window subclassed with SetWindowSubclass; the reference data carries
// the object, whose virtual WindowProc sees every message first. Messages that
// the parent dialog reflects (WM_REFLECT_*) arrive here too.
#pragma once

#include "win/Window.h"

#include <commctrl.h>

class CSubclassedWindow : public CWindow {
public:
    CSubclassedWindow() = default;
    ~CSubclassedWindow() override;
    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

    bool Subclass(HWND hWnd);
    bool SubclassDlgItem(int id, HWND parent) { return Subclass(::GetDlgItem(parent, id)); }
    void Unsubclass();
    bool IsSubclassed() const { return m_subclassed; }

    // The object subclassing a window, or nullptr when it is not one of ours.
    static CSubclassedWindow* FromHandle(HWND hWnd);

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
        { return DefaultProc(msg, wParam, lParam); }
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
        { return ::DefSubclassProc(m_hWnd, msg, wParam, lParam); }

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    bool m_subclassed = false;
};
