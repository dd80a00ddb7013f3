// SPDX-License-Identifier: GPL-3.0-or-later
// The main window in a build without the audio libraries: no "Convert to MP3"
// submenu, every file goes as it is.
#include "mainwindow/MainDlg.h"

void CMainDlg::AddConvertMenu(HMENU) {}

bool CMainDlg::OnConvertCommand(UINT)
{
    return false;
}

bool CMainDlg::PlanConversion(const std::vector<std::string>&, SConversionPlan& plan)
{
    plan = SConversionPlan();
    return true;
}

CMainDlg::ESent CMainDlg::SendConverted(const std::string& path, int)
{
    return SendFile(path, path, nullptr);
}
