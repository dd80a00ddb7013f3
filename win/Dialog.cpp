// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/Dialog.h"

#include "win/Subclass.h"

#include <windowsx.h>

namespace {
HINSTANCE g_resourceInstance = nullptr;

POINT PointFromLParam(LPARAM lParam)
{
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Reflects a message to a child control, but only to one of our own subclassed
// controls: standard controls give their own meanings to this message range.
LRESULT Reflect(HWND control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (control == nullptr || CSubclassedWindow::FromHandle(control) == nullptr)
        return 0;
    return ::SendMessageA(control, WM_REFLECT_BASE + msg, wParam, lParam);
}
}  // namespace

bool InitCommonControlClasses()
{
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    return ::InitCommonControlsEx(&init) != FALSE;
}

HINSTANCE CDialog::ResourceInstance()
{
    return g_resourceInstance != nullptr ? g_resourceInstance : ::GetModuleHandleA(nullptr);
}

void CDialog::SetResourceInstance(HINSTANCE instance)
{
    g_resourceInstance = instance;
}

CDialog::CDialog(UINT templateId, HWND parent) : m_parent(parent), m_templateId(templateId) {}

CDialog::~CDialog()
{
    // A modeless window must not outlive the object its dialog procedure calls.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal()
{
    m_modal = true;
    return ::DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                             DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create()
{
    m_modal = false;
    HWND hWnd = ::CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

void CDialog::EndDialog(INT_PTR result)
{
    if (m_hWnd == nullptr)
        return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr)
            self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (self == nullptr)
        return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT) get the defaults

    INT_PTR result = FALSE;
    try {
        result = self->OnMessage(msg, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the message counts as not handled.
        result = FALSE;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        try {
            self->OnFinalMessage();
        } catch (...) {
        }
    }
    return result;
}

INT_PTR CDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (!OnNotify(static_cast<int>(wParam), header, result))
            return FALSE;
        SetMsgResult(result);
        return TRUE;
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_DRAWITEM:
        if (!OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam)))
            return FALSE;
        SetMsgResult(TRUE);  // what the sender receives
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
        // The brush is the dialog procedure's return value for these messages.
        return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                    reinterpret_cast<HWND>(lParam), msg));
    case WM_LBUTTONDOWN:
        return OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam)) ? TRUE : FALSE;
    case WM_LBUTTONUP:
        return OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam)) ? TRUE : FALSE;
    case WM_MOUSEMOVE:
        return OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam)) ? TRUE : FALSE;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_SYSCOMMAND:
        return OnSysCommand(static_cast<UINT>(wParam), lParam) ? TRUE : FALSE;
    case WM_HELP:
        return OnHelp(reinterpret_cast<HELPINFO*>(lParam)) ? TRUE : FALSE;
    case WM_DROPFILES:
        return OnDropFiles(reinterpret_cast<HDROP>(wParam)) ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

bool CDialog::OnCommand(int id, int code, HWND /*control*/)
{
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    result = Reflect(header->hwndFrom, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(header));
    return result != 0;
}

bool CDialog::OnDrawItem(int id, DRAWITEMSTRUCT* item)
{
    if (item->CtlType == ODT_MENU)
        return false;
    return Reflect(item->hwndItem, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(item)) != 0;
}

HBRUSH CDialog::OnCtlColor(HDC dc, HWND control, UINT type)
{
    if (type == WM_CTLCOLORDLG)
        return nullptr;
    return reinterpret_cast<HBRUSH>(Reflect(control, type, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(control)));
}
