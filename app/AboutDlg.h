// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the About box (template 100). A small skinned window with the
// version line, the edition, the thanks to the authors of the player interface
// code with a link to their address, and the maker's name as a link to the
// maker's site. OK and CLOSE close it; F1 opens its help topic.
#pragma once

#include "skin/BitmapButton.h"
#include "skin/HyperLink.h"
#include "skin/SkinColours.h"
#include "win/Dialog.h"

#include <string>

class CAboutDlg : public CDialog {
public:
    // The maker's site behind the maker's name.
    static constexpr const char* kMakerAddress = "http://www.kestry.example/";

    explicit CAboutDlg(HWND parent = nullptr);

    // "Quavel Version 1.0" from the version resource of the resource module;
    // empty when there is none.
    static std::string VersionLine();

    const CHyperLink& AuthorsLink() const { return m_authorsLink; }
    const CHyperLink& MakerLink() const { return m_makerLink; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnHelp(HELPINFO* info) override;

private:
    CBitmapButton m_ok;
    CBitmapButton m_close;
    CHyperLink m_authorsLink;
    CHyperLink m_makerLink;
    CBodyBrush m_brush{kAboutBodyColour};
};
