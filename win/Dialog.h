// SPDX-License-Identifier: GPL-3.0-or-later
// A dialog box from a template, modal or modeless. One static dialog procedure
// finds the object (passed in lParam at creation) and routes every message to the
// virtual OnMessage, whose switch calls the virtual handlers below. No C++
// exception ever leaves the dialog procedure.
#pragma once

#include "win/Window.h"

#include <commctrl.h>
#include <shellapi.h>

// Messages that a dialog reflects to the child control they concern, so that a
// subclassed control can draw or colour itself. A control returns nonzero from a
// reflected message when it handled it.
enum : UINT {
    WM_REFLECT_BASE = WM_USER + 0x1C00,
    WM_REFLECT_DRAWITEM = WM_REFLECT_BASE + WM_DRAWITEM,
    WM_REFLECT_CTLCOLORSTATIC = WM_REFLECT_BASE + WM_CTLCOLORSTATIC,
    WM_REFLECT_CTLCOLORBTN = WM_REFLECT_BASE + WM_CTLCOLORBTN,
    WM_REFLECT_NOTIFY = WM_REFLECT_BASE + WM_NOTIFY,
};

// Registers the common-control window classes the templates use (list view,
// tree view, progress bar); call once before the first dialog opens.
bool InitCommonControlClasses();

class CDialog : public CWindow {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the EndDialog result, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    // Creates the modeless form and returns whether the window exists.
    bool Create();
    // Ends a modal dialog, or destroys the modeless form.
    void EndDialog(INT_PTR result);

    UINT TemplateId() const { return m_templateId; }
    bool IsModal() const { return m_modal; }

    // Module whose resources the dialogs use (the executable by default).
    static HINSTANCE ResourceInstance();
    static void SetResourceInstance(HINSTANCE instance);

protected:
    // Routes one message; returns what the dialog procedure returns.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Handlers. Those returning bool return true when they handled the message.
    virtual bool OnInitDialog() { return true; }  // true: focus the default control
    virtual bool OnCommand(int id, int code, HWND control);
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result);
    virtual bool OnPaint() { return false; }
    virtual bool OnDrawItem(int id, DRAWITEMSTRUCT* item);
    // A brush answers the colour query; nullptr leaves the default answer.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    virtual bool OnLButtonDown(UINT /*keys*/, POINT /*pt*/) { return false; }
    virtual bool OnLButtonUp(UINT /*keys*/, POINT /*pt*/) { return false; }
    virtual bool OnMouseMove(UINT /*keys*/, POINT /*pt*/) { return false; }
    // The mouse capture went to another window (or to none).
    virtual void OnCaptureChanged(HWND /*gaining*/) {}
    virtual bool OnSysCommand(UINT /*command*/, LPARAM /*lParam*/) { return false; }
    virtual bool OnHelp(HELPINFO* /*info*/) { return false; }
    virtual bool OnDropFiles(HDROP /*drop*/) { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }
    virtual void OnDestroy() {}
    // Called after the window is gone (last message); the handle is already cleared.
    virtual void OnFinalMessage() {}

    // The Enter and Esc defaults end a modal dialog with IDOK / IDCANCEL.
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // Result of a message whose dialog-procedure return value is only TRUE/FALSE.
    void SetMsgResult(LRESULT result) const { ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result); }

    HWND m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
};
