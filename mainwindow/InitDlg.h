// SPDX-License-Identifier: GPL-3.0-or-later
// CInitDlg: the question before the player's memory is initialized (template
// 142), with the choice of a check for bad blocks. White text on the body
// colour, no skin bitmap and no shape; the body can be dragged.
#pragma once

#include "skin/BitmapButton.h"
#include "skin/SkinColours.h"
#include "win/Dialog.h"

class CInitDlg : public CDialog {
public:
    explicit CInitDlg(HWND parent = nullptr);

    // The check box: unchecked at first, read back when the dialog ends with OK.
    bool checkBadBlocks = false;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnHelp(HELPINFO* info) override;
    void OnOK() override;

private:
    static constexpr int kButtonCount = 3;
    CBitmapButton m_buttons[kButtonCount];
    CBodyBrush m_brush{kBodyColour};
};
