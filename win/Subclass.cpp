// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/Subclass.h"

#include <commctrl.h>

namespace {
// One subclass id for all our objects; the reference data tells them apart.
constexpr UINT_PTR kSubclassId = 0x51A7;
// A window property names the object too, so that FromHandle needs no
// GetWindowSubclass (missing from some import libraries).
const char kObjectProperty[] = "QuavelSubclassObject";
}

CSubclassedWindow::~CSubclassedWindow()
{
    Unsubclass();
}

bool CSubclassedWindow::Subclass(HWND hWnd)
{
    if (hWnd == nullptr || m_subclassed)
        return false;
    if (!::SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    ::SetPropA(hWnd, kObjectProperty, reinterpret_cast<HANDLE>(this));
    m_hWnd = hWnd;
    m_subclassed = true;
    return true;
}

void CSubclassedWindow::Unsubclass()
{
    if (m_subclassed && m_hWnd != nullptr) {
        ::RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
        ::RemovePropA(m_hWnd, kObjectProperty);
    }
    m_subclassed = false;
    m_hWnd = nullptr;
}

CSubclassedWindow* CSubclassedWindow::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    return reinterpret_cast<CSubclassedWindow*>(::GetPropA(hWnd, kObjectProperty));
}

LRESULT CALLBACK CSubclassedWindow::SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                 UINT_PTR /*id*/, DWORD_PTR refData)
{
    CSubclassedWindow* self = reinterpret_cast<CSubclassedWindow*>(refData);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        // Never unwind through the system's code; fall back to the control's own handling.
        result = ::DefSubclassProc(hWnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        // The control is going away: detach so the object never touches a dead handle.
        ::RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
        ::RemovePropA(hWnd, kObjectProperty);
        self->m_subclassed = false;
        self->m_hWnd = nullptr;
    }
    return result;
}
