#include "mainwindow/MainDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "app/Settings.h"
#include "device/RioSession.h"
#include "res/resource.h"

#include <cstdio>

CMainDlg::CMainDlg(CPortProvider& ports, HWND parent) : CDialog(IDD_MAIN, parent), m_ports(ports) {}

CMainDlg::~CMainDlg() = default;

bool CMainDlg::OnInitDialog()
{
    SetDlgItemText(IDC_MAIN_STATUS, statusText.c_str());

    // The About entry of the system menu, when the string resource has a text.
    char about[128] = "";
    if (::LoadStringA(ResourceInstance(), IDS_ABOUTBOX, about, sizeof about) > 0) {
        HMENU menu = GetSystemMenu();
        if (menu != nullptr) {
            ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }

    HICON icon = ::LoadIconA(ResourceInstance(), MAKEINTRESOURCEA(IDI_MAIN));
    if (icon != nullptr) {
        SetIcon(icon, true);
        SetIcon(icon, false);
    }
    SetText("Quavel");

    for (int lamp : {IDC_MAIN_LAMP_IDLE, IDC_MAIN_LAMP_UPLOAD, IDC_MAIN_LAMP_DOWNLOAD, IDC_MAIN_LAMP_OFFLINE})
        Item(lamp).Show(false);
    Item(IDC_MAIN_PROGRESS).Show(false);
    Item(IDC_MAIN_DELETE).EnableWindow(false);
    Item(IDC_MAIN_UPLOAD).EnableWindow(false);

    m_messages.SetOwner(m_hWnd);
    m_session = std::make_unique<CRioSession>(AppSettings(), m_messages, m_ports);
    connected = m_session->Connect();
    if (connected) {
        m_session->ReadDirectory();
        ShowMemory();
        ShowLamp(IDC_MAIN_LAMP_IDLE);
    } else {
        ShowLamp(IDC_MAIN_LAMP_OFFLINE);
    }
    return true;
}

void CMainDlg::ShowMemory()
{
    int total = 0;
    int used = 0;
    int free = 0;
    m_session->GetTotalMemory(total);
    m_session->GetUsedMemory(used);
    m_session->GetFreeMemory(free);
    char text[128];
    std::snprintf(text, sizeof text, "Memory:   total: %ld KB   used : %ld KB   free : %ld KB",
                  static_cast<long>(total), static_cast<long>(used), static_cast<long>(free));
    statusText = text;
    SetDlgItemText(IDC_MAIN_STATUS, text);
}

void CMainDlg::ShowLamp(int id)
{
    Item(id).Show(true);
}

bool CMainDlg::OnCommand(int id, int code, HWND control)
{
    if (id == IDC_MAIN_HELP && code == BN_CLICKED) {
        ShowHelpTopic(m_hWnd, kHelpMainWindow);
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

bool CMainDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpMainWindow);
    return true;
}
