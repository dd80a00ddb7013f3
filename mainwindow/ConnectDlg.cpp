// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ConnectDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "app/MessageBoxWin.h"
#include "res/resource.h"
#include "win/Gdi.h"

#include <cstdio>

CConnectDlg::CConnectDlg(HWND parent) : CDialog(IDD_CONNECT, parent) {
    LoadPicture(kPictureFile);
}

void CConnectDlg::LoadPicture(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return;   // no picture file: go on without a palette, silently
    bool readError = false;
    if (!m_dib.Load(file, &readError)) {
        if (!readError)
            AppMessageBox(nullptr, "Failed to load DIB file 'connect.bmp'", MB_OK);
    } else {
        m_palette = std::make_unique<CDIBPalette>();
        if (!m_palette->Create(m_dib))
            AppMessageBox(nullptr, "Failed to create palette from DIB file", MB_OK);
    }
    std::fclose(file);
}

bool CConnectDlg::OnPaint() {
    CPaintDC dc(m_hWnd);
    if (m_palette && *m_palette) {
        CSelectPalette select(dc, m_palette->Get(), true);
        ::RealizePalette(dc);
    }
    return true;
}

bool CConnectDlg::OnHelp(HELPINFO* /*info*/) {
    ShowHelpTopic(m_hWnd, kHelpConnect);
    return true;
}
