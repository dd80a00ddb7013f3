// SPDX-License-Identifier: GPL-3.0-or-later
// CHyperLink: a dialog's static text turned into a link. The text is drawn in
// link colours and underlined, the pointer becomes a hand over it, a tooltip
// shows the target, and a click (or the space bar while it has the focus) opens
// the target through the shell, falling back to the program that the system
// associates with web pages. Failures are shown with the system's reason.
#pragma once

#include "win/Gdi.h"
#include "win/Subclass.h"

#include <string>

// Link style bits.
enum : DWORD {
    HLS_UNDERLINE = 0x01,         // the control's font is underlined
    HLS_HOVER_COLOUR = 0x02,      // the hover colour while the pointer is over the link
    HLS_AUTOSIZE = 0x04,          // the control is fitted to its text
    HLS_DOWN_CLICK = 0x08,        // open on button press instead of release
    HLS_FOCUS_ON_CLICK = 0x10,    // a button press gives the link the focus
    HLS_NO_HAND_CURSOR = 0x20,    // the hand pointer is not loaded
    HLS_NO_ACTIVE_COLOUR = 0x40,  // the active colour is never used
};
constexpr DWORD kLinkDefaultStyle = HLS_UNDERLINE | HLS_AUTOSIZE | HLS_FOCUS_ON_CLICK;

// Link colours, the same for every link.
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
constexpr COLORREF kLinkVisitedColour = RGB(128, 0, 128);
constexpr COLORREF kLinkActiveColour = RGB(0, 128, 128);
constexpr COLORREF kLinkHoverColour = RGB(255, 0, 0);

// The tool of the link's tooltip.
constexpr UINT_PTR kLinkToolId = 1;

// Pointer resource of the hand in the help viewer's program file.
constexpr int kHandPointerResource = 106;

class CHyperLink : public CSubclassedWindow {
public:
    static constexpr const char* kClassName = "CHyperLink";

    CHyperLink() = default;
    ~CHyperLink() override;

    // Subclasses the static control and runs the attach step: text and target
    // from each other, the underlined font, the fit, the hand pointer, the tooltip.
    bool AttachLink(HWND control);
    bool AttachLink(int id, HWND parent) { return AttachLink(::GetDlgItem(parent, id)); }

    // Sets the target; an attached control is refitted and its tooltip updated.
    void SetTarget(const std::string& target);
    const std::string& Target() const { return m_url; }

    // The style bits; set them before attaching.
    DWORD LinkStyle() const { return m_style; }
    void SetLinkStyle(DWORD style) { m_style = style; }

    bool IsOver() const { return m_over; }
    bool IsActive() const { return m_active; }
    bool IsVisited() const { return m_visited; }
    HFONT LinkFont() const { return m_font.Get(); }
    HWND Tooltip() const { return m_tooltip; }
    // The colour the text is drawn in now.
    COLORREF TextColour() const;

    // Opens the target; on failure beeps and shows why.
    void ActivateLink();
    // Fits the control to its text when HLS_AUTOSIZE is set.
    void FitToText();
    // Shows "Can't open link:" with the reason for a shell result.
    void ShowLinkError(int code) const;

    // Opens target with the shell's "open" verb; when that fails, starts the
    // program registered for web pages (".htm") with the target. Returns the
    // shell's or the start's result, greater than 32 on success.
    static int OpenTarget(const char* target, int showCommand);
    // The two halves alone: the program registered for web pages started with
    // the target (SE_ERR_NOASSOC when none is registered), and the shell's
    // "open". A browser keeps the anchor of a file address that the shell may drop.
    static int OpenWithPageProgram(const char* target, int showCommand);
    static int ShellOpen(const char* target, int showCommand);
    // The message ShowLinkError shows for a result code.
    static std::string LinkErrorText(int code);

    // The shared hand pointer (null until a link has loaded it, or when none
    // could be loaded).
    static HCURSOR HandPointer();
    // The hand pointer as the attach step finds it: pointer 106 of the module
    // file, copied; the system's own hand when the module or pointer is missing.
    static HCURSOR LoadHandPointer(const std::string& modulePath);

    // Test seams: the shell's open call, and the registry root of the file
    // classes (HKEY_CLASSES_ROOT). Each returns the previous value; null
    // restores the platform's.
    using ShellOpenCall = int (*)(const char* target, int showCommand);
    static ShellOpenCall SetShellOpen(ShellOpenCall call);
    static HKEY SetClassRoot(HKEY root);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateTooltip();
    void RelayToTooltip(UINT msg, WPARAM wParam, LPARAM lParam) const;
    void OnMouseMove(POINT pt);
    void OnLButtonDown();
    void OnLButtonUp();

    bool m_active = false;
    bool m_over = false;
    bool m_visited = false;
    DWORD m_style = kLinkDefaultStyle;
    std::string m_url;
    CFont m_font;
    HWND m_tooltip = nullptr;
};
