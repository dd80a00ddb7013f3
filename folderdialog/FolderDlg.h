// SPDX-License-Identifier: GPL-3.0-or-later
// CFolderDlg: the folder selection dialog (template 143) that chooses the
// destination of an upload. Its drive tree preselects and opens the drive of
// the previous upload; OK gives the full path of the selected folder. OK with
// nothing selected is refused (the dialog stays open). A skinned window.
#pragma once

#include "folderdialog/DriveView.h"
#include "skin/BitmapButton.h"
#include "win/Dialog.h"

#include <string>

class CFolderDlg : public CDialog {
public:
    explicit CFolderDlg(HWND parent = nullptr);

    // The full path of the item selected when OK was pressed; empty before.
    std::string selectedPath;

    CDriveView& DriveView() { return m_tree; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnPaint() override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnHelp(HELPINFO* info) override;
    void OnOK() override;

private:
    static constexpr int kButtonCount = 4;

    CDriveView m_tree;
    CBitmapButton m_buttons[kButtonCount];
};
