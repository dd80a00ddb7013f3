// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"
#include "win/Gdi.h"

#include <cstdio>
#include <cstring>

namespace {
// The fixed part of a version resource: the root block's value.
const VS_FIXEDFILEINFO* FixedInfo(const BYTE* block, size_t size)
{
    // Layout of the root block: length, value length, type (16 bits each), the
    // key "VS_VERSION_INFO" in UTF-16 with its terminator, padding to 32 bits.
    constexpr size_t kValueOffset = 6 + sizeof L"VS_VERSION_INFO" + 2;
    if (size < kValueOffset + sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    WORD valueLength = 0;
    std::memcpy(&valueLength, block + 2, sizeof valueLength);
    if (valueLength < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    const auto* info = reinterpret_cast<const VS_FIXEDFILEINFO*>(block + kValueOffset);
    return info->dwSignature == VS_FFI_SIGNATURE ? info : nullptr;
}
}  // namespace

CAboutDlg::CAboutDlg(HWND parent) : CDialog(IDD_ABOUT, parent)
{
    // Each opening gets the window's shape on its first paint.
    SetRegionPending(SkinnedWindow::About);
}

std::string CAboutDlg::VersionLine()
{
    HINSTANCE instance = ResourceInstance();
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
    if (found == nullptr)
        return std::string();
    HGLOBAL loaded = ::LoadResource(instance, found);
    const BYTE* block = loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const VS_FIXEDFILEINFO* info = block != nullptr ? FixedInfo(block, ::SizeofResource(instance, found)) : nullptr;
    if (info == nullptr)
        return std::string();
    char line[64];
    std::snprintf(line, sizeof line, "Quavel Version %u.%u", static_cast<unsigned>(HIWORD(info->dwProductVersionMS)),
                  static_cast<unsigned>(LOWORD(info->dwProductVersionMS)));
    return line;
}

bool CAboutDlg::OnInitDialog()
{
    m_ok.AttachBitmapButton(IDC_ABOUT_OK, m_hWnd);
    m_close.AttachBitmapButton(IDC_ABOUT_CLOSE, m_hWnd);

    m_makerLink.AttachLink(IDC_ABOUT_MAKER_LINK, m_hWnd);
    m_makerLink.SetTarget(kMakerAddress);
    // The authors' link shows its address and opens it.
    m_authorsLink.AttachLink(IDC_ABOUT_AUTHORS_LINK, m_hWnd);
    m_authorsLink.SetTarget(m_authorsLink.GetText());

    const std::string version = VersionLine();
    if (!version.empty())
        SetDlgItemText(IDC_ABOUT_VERSION, version.c_str());
    return true;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control)
{
    if (id == IDC_ABOUT_CLOSE && code == BN_CLICKED) {
        EndDialog(IDOK);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CAboutDlg::OnPaint()
{
    CPaintDC dc(m_hWnd);
    PaintSkin(m_hWnd, dc, SkinnedWindow::About);
    return true;
}

HBRUSH CAboutDlg::OnCtlColor(HDC dc, HWND control, UINT type)
{
    if (type == WM_CTLCOLORSTATIC) {
        const int id = ::GetDlgCtrlID(control);
        if (id == IDC_ABOUT_VERSION || id == IDC_ABOUT_THANKS || id == IDC_ABOUT_EDITION)
            return m_brush.AnswerKeepingText(dc);
    }
    return CDialog::OnCtlColor(dc, control, type);
}

bool CAboutDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    StartBodyDrag(m_hWnd, pt);
    return false;
}

bool CAboutDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpAboutBox);
    return true;
}
