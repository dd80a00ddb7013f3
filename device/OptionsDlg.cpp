// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/OptionsDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "app/Settings.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"
#include "win/Gdi.h"

namespace {
// Rows SLOW, MEDIUM, FAST of each column.
constexpr int kSpeedButtons[kSpeedColumns][kSpeedRows] = {
    {IDC_OPTIONS_INIT_SLOW, IDC_OPTIONS_INIT_MEDIUM, IDC_OPTIONS_INIT_FAST},
    {IDC_OPTIONS_TX_SLOW, IDC_OPTIONS_TX_MEDIUM, IDC_OPTIONS_TX_FAST},
    {IDC_OPTIONS_RX_SLOW, IDC_OPTIONS_RX_MEDIUM, IDC_OPTIONS_RX_FAST},
};

// The bitmap buttons, in the order they are attached.
constexpr int kAttachOrder[] = {
    IDC_OPTIONS_INIT_SLOW, IDC_OPTIONS_RX_SLOW, IDC_OPTIONS_TX_SLOW,
    IDC_OPTIONS_INIT_MEDIUM, IDC_OPTIONS_RX_MEDIUM, IDC_OPTIONS_TX_MEDIUM,
    IDC_OPTIONS_INIT_FAST, IDC_OPTIONS_RX_FAST, IDC_OPTIONS_TX_FAST,
    IDC_OPTIONS_SETDEF, IDC_OPTIONS_OK, IDC_OPTIONS_CANCEL, IDC_OPTIONS_CLOSE, IDC_OPTIONS_HELP,
};
}  // namespace

COptionsDlg::COptionsDlg(CRioSession* session, HWND owner)
    : CDialog(IDD_OPTIONS, owner), m_session(session)
{
    // Each opening gets the window's shape on its first paint.
    SetRegionPending(SkinnedWindow::Options);
}

int COptionsDlg::ButtonId(int column, int row)
{
    if (column < 0 || column >= kSpeedColumns || row < 0 || row >= kSpeedRows)
        return 0;
    return kSpeedButtons[column][row];
}

bool COptionsDlg::FindSpeedButton(int id, int& column, int& row)
{
    for (int c = 0; c < kSpeedColumns; ++c) {
        for (int r = 0; r < kSpeedRows; ++r) {
            if (kSpeedButtons[c][r] == id) {
                column = c;
                row = r;
                return true;
            }
        }
    }
    return false;
}

bool COptionsDlg::OnInitDialog()
{
    static_assert(sizeof kAttachOrder / sizeof kAttachOrder[0] == kButtonCount, "one object per button");
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].AttachBitmapButton(kAttachOrder[i], m_hWnd);
    m_choice.Load(AppSettings());
    ShowState();
    return true;
}

void COptionsDlg::ShowColumn(int column)
{
    const int pressed = m_choice.PressedRow(column);
    for (int row = 0; row < kSpeedRows; ++row) {
        CWindow button = Item(kSpeedButtons[column][row]);
        button.SetButtonState(false);
        button.EnableWindow(true);
    }
    if (pressed >= 0) {
        Item(kSpeedButtons[column][pressed]).SetButtonState(true);
        return;
    }
    // A count that is none of the column's (written by hand): the column is
    // unusable until SETDEF, and the count stays in force.
    for (int row = 0; row < kSpeedRows; ++row)
        Item(kSpeedButtons[column][row]).EnableWindow(false);
}

void COptionsDlg::ShowState()
{
    for (int column = 0; column < kSpeedColumns; ++column)
        ShowColumn(column);
}

bool COptionsDlg::OnCommand(int id, int code, HWND control)
{
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code, control);
    int column = 0;
    int row = 0;
    if (FindSpeedButton(id, column, row)) {
        m_choice.Choose(column, row);
        ShowColumn(column);
        return true;
    }
    switch (id) {
    case IDC_OPTIONS_SETDEF:
        m_choice.SetDefaults();
        ShowState();
        return true;
    case IDC_OPTIONS_CLOSE:
        OnCancel();
        return true;
    case IDC_OPTIONS_HELP:
        ShowHelpTopic(m_hWnd, kHelpOptions);
        return true;
    default:
        return CDialog::OnCommand(id, code, control);
    }
}

void COptionsDlg::OnOK()
{
    m_choice.StoreAndApply(AppSettings(), m_session);
    EndDialog(IDOK);
}

bool COptionsDlg::OnPaint()
{
    CPaintDC dc(m_hWnd);
    PaintSkin(m_hWnd, dc, SkinnedWindow::Options);
    return true;
}

bool COptionsDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    // The press on the skin moves the window; the default handling still runs
    // first, since the title-bar press is only posted.
    StartBodyDrag(m_hWnd, pt);
    return false;
}

bool COptionsDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpOptions);
    return true;
}
