// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/InitDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"

namespace {
// The bitmap buttons, in the order they are attached.
constexpr int kAttachOrder[] = {IDC_INIT_CANCEL, IDC_INIT_OK, IDC_INIT_HELPB};
}  // namespace

CInitDlg::CInitDlg(HWND parent) : CDialog(IDD_INIT, parent) {}

bool CInitDlg::OnInitDialog()
{
    static_assert(sizeof kAttachOrder / sizeof kAttachOrder[0] == kButtonCount, "one object per button");
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].AttachBitmapButton(kAttachOrder[i], m_hWnd);
    CheckDlgButton(IDC_INIT_CHECK, checkBadBlocks);
    return true;
}

bool CInitDlg::OnCommand(int id, int code, HWND control)
{
    if (id == IDC_INIT_HELPB && code == BN_CLICKED) {
        ShowHelpTopic(m_hWnd, kHelpInitialize);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CInitDlg::OnOK()
{
    checkBadBlocks = IsDlgButtonChecked(IDC_INIT_CHECK);
    EndDialog(IDOK);
}

HBRUSH CInitDlg::OnCtlColor(HDC dc, HWND control, UINT type)
{
    // Every control and the dialog itself: white on the body colour.
    CDialog::OnCtlColor(dc, control, type);
    return m_brush.Answer(dc, kBodyTextWhite);
}

bool CInitDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    StartBodyDrag(m_hWnd, pt);
    return false;
}

bool CInitDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpInitialize);
    return true;
}
