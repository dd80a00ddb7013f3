// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderdialog/FolderDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"
#include "win/Gdi.h"

namespace {
constexpr int kAttachOrder[] = {IDC_FOLDER_OK, IDC_FOLDER_CANCEL, IDC_FOLDER_CLOSE, IDC_FOLDER_HELP};
}

CFolderDlg::CFolderDlg(HWND parent) : CDialog(IDD_FOLDER, parent)
{
    // Each opening gets the window's shape on its first paint.
    SetRegionPending(SkinnedWindow::Folder);
}

bool CFolderDlg::OnInitDialog()
{
    static_assert(sizeof kAttachOrder / sizeof kAttachOrder[0] == kButtonCount, "one object per button");
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].AttachBitmapButton(kAttachOrder[i], m_hWnd);
    m_tree.SubclassDlgItem(IDC_FOLDER_TREE, m_hWnd);
    m_tree.AddDrives();
    return true;
}

void CFolderDlg::OnOK()
{
    HTREEITEM item = m_tree.GetSelectedItem();
    if (item == nullptr) {
        // No folder chosen yet: there is no path to give back.
        ::MessageBeep(MB_OK);
        return;
    }
    selectedPath = m_tree.GetItemPath(item);
    EndDialog(IDOK);
}

bool CFolderDlg::OnCommand(int id, int code, HWND control)
{
    if (code == BN_CLICKED && id == IDC_FOLDER_CLOSE) {
        OnCancel();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_FOLDER_HELP) {
        ShowHelpTopic(m_hWnd, kHelpFolderSelect);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CFolderDlg::OnPaint()
{
    CPaintDC dc(m_hWnd);
    PaintSkin(m_hWnd, dc, SkinnedWindow::Folder);
    return true;
}

bool CFolderDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    StartBodyDrag(m_hWnd, pt);
    return false;
}

bool CFolderDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpFolderSelect);
    return true;
}
