// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/Help.h"
#include "app/HelpTopics.h"
#include "app/Settings.h"
#include "device/OptionsDlg.h"
#include "device/RioSession.h"
#include "mainwindow/ConnectDlg.h"
#include "playlist/FileEntry.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"
#include "win/BusyCursor.h"
#include "win/Gdi.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {
// The memory bar and the file counter, in window pixels.
constexpr RECT kBarRect = {138, 200, 464, 210};
constexpr int kBarMaximum = 100;
constexpr RECT kCounterCell = {49, 55, 65, 78};
constexpr RECT kCounterRepaint = {49, 55, 81, 78};
constexpr int kCounterDigits = 2;
constexpr int kCounterStyle = CLed::LED_HIDE_ZERO | CLed::LED_NO_BACKGROUND | CLed::LED_NO_BORDER | 0x01;

// The stored widths of the list's four columns, in column order.
constexpr SettingId kColumnSettings[4] = {SettingRioDirFirstColumn, SettingRioDirSecondColumn,
                                          SettingRioDirThirdColumn, SettingRioDirFourthColumn};

// The buttons that start device operations (EnableButtons).
constexpr int kOperationButtons[] = {IDC_MAIN_CLOSE, IDC_MAIN_PLAYLST, IDC_MAIN_REFRESH, IDC_MAIN_UPLOAD,
                                     IDC_MAIN_INIT, IDC_MAIN_DELETE, IDC_MAIN_DOWNP, IDC_MAIN_INTFL,
                                     IDC_MAIN_EXTFL};

constexpr const char* kNotFoundText = "Rio not found!\r\n\r\nPlease connect your Rio to the printerport.";
constexpr const char* kWindowTitle = "Quavel";
constexpr const char* kVerifyDownloadsText = "Verify downloads";
constexpr const char* kCheckMemoryText = "Check memory...";
constexpr const char* kSyncPlaylistText = "Sync with playlist...";

bool IsAnsiLeadByte(uint8_t byte)
{
    return ::IsDBCSLeadByte(byte) != FALSE;
}
}  // namespace

const int CMainDlg::kBitmapButtonIds[kBitmapButtonCount] = {
    IDC_MAIN_ABOUT,   IDC_MAIN_CLOSE,   IDC_MAIN_HELP,    IDC_MAIN_INIT,
    IDC_MAIN_DOWNP,   IDC_MAIN_DELETE,  IDC_MAIN_UPLOAD,  IDC_MAIN_REFRESH,
    IDC_MAIN_PLAYLST, IDC_MAIN_INTFL,   IDC_MAIN_EXTFL,   IDC_MAIN_KESTRY,
};

HWND CMainDlg::s_progressTarget = nullptr;
CMainDlg* CMainDlg::s_transferWindow = nullptr;

CMainDlg::CMainDlg(CPortProvider& ports, HWND parent)
    : CDialog(IDD_MAIN, parent),
      m_ports(ports),
      m_bar(kBarRect.left, kBarRect.top, kBarRect.right, kBarRect.bottom, kBarMaximum),
      m_counter(kCounterCell.left, kCounterCell.top, kCounterCell.right, kCounterCell.bottom, kCounterDigits)
{
    m_bar.SetPosition(0);
    m_bar.SetStyle(WBalken::kSolidFill);
    m_counter.SetStyle(kCounterStyle);
    m_counter.SetColour(255, 0, 128);
    m_counter.SetValue(0);
}

CMainDlg::~CMainDlg()
{
    if (m_dragImage != nullptr)
        ImageList_Destroy(m_dragImage);
}

bool CMainDlg::OnInitDialog()
{
    for (int i = 0; i < kBitmapButtonCount; ++i)
        m_buttons[i].AttachBitmapButton(kBitmapButtonIds[i], m_hWnd);

    m_list.Subclass(GetDlgItem(IDC_MAIN_LIST));
    SetDlgItemText(IDC_MAIN_STATUS, m_statusText.c_str());

    // The About entry of the system menu, when the string resource has a text,
    // and the "Verify downloads" choice beside it, checked as stored.
    const bool verify = ReadIntSetting(AppSettings(), SettingVerifyDownloads) == 1;
    HMENU menu = GetSystemMenu();
    if (menu != nullptr) {
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        char about[128] = "";
        if (::LoadStringA(ResourceInstance(), IDS_ABOUTBOX, about, sizeof about) > 0)
            ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
        ::AppendMenuA(menu, MF_STRING | (verify ? MF_CHECKED : MF_UNCHECKED), IDM_VERIFYDOWNLOADS,
                      kVerifyDownloadsText);
        AddConvertMenu(menu);
        ::AppendMenuA(menu, MF_STRING, IDM_CHECKMEMORY, kCheckMemoryText);
        ::AppendMenuA(menu, MF_STRING, IDM_SYNCPLAYLIST, kSyncPlaylistText);
    }

    HICON icon = ::LoadIconA(ResourceInstance(), MAKEINTRESOURCEA(IDI_MAIN));
    if (icon != nullptr) {
        SetIcon(icon, true);
        SetIcon(icon, false);
    }
    SetText(kWindowTitle);

    for (int lamp : {IDC_MAIN_LAMP_IDLE, IDC_MAIN_LAMP_UPLOAD, IDC_MAIN_LAMP_DOWNLOAD, IDC_MAIN_LAMP_OFFLINE})
        ShowLamp(lamp, false);
    Item(IDC_MAIN_PROGRESS).Show(false);
    Item(IDC_MAIN_DELETE).EnableWindow(false);
    Item(IDC_MAIN_UPLOAD).EnableWindow(false);

    SetupList();

    m_messages.SetOwner(m_hWnd);
    m_session = std::make_unique<CRioSession>(AppSettings(), m_messages, m_ports);
    m_session->SetVerifyDownloads(verify);
    // The names of dropped and chosen files are in the ANSI code page: a cut
    // must not split one of its double-byte characters.
    m_session->SetLeadBytePredicate(IsAnsiLeadByte);
    ConnectPlayer();

    // Each opening of the window gets its shape on its first paint.
    SetRegionPending(SkinnedWindow::Main);

    m_externalMemory = false;
    Item(IDC_MAIN_INTFL).SetButtonState(true);
    Item(IDC_MAIN_EXTFL).SetButtonState(false);
    return true;
}

void CMainDlg::SetupList()
{
    m_list.SetupColumns(4);
    for (int n = 0; n < 4; ++n) {
        const int width = ReadIntSetting(AppSettings(), kColumnSettings[n]);
        if (width > 0)
            m_list.SetColumnWidth(n, width & 0xFFFF);
    }
}

void CMainDlg::ShowLamp(int id, bool show)
{
    Item(id).Show(show);
}

// ---- Connecting and the directory ---------------------------------------------

void CMainDlg::ConnectPlayer()
{
    COperationScope operation(*this);
    CConnectDlg connect(nullptr);
    connect.Create();
    if (connect.IsWindow()) {
        connect.ShowWindow(SW_SHOW);
        connect.UpdateWindow();
    }

    m_connected = true;
    bool found = m_session->Connect();
    while (!found) {
        const int answer = ::MessageBoxA(m_hWnd, kNotFoundText, kWindowTitle, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
        if (answer != IDRETRY) {
            m_connected = false;
            break;
        }
        found = m_session->Connect();
    }

    if (m_connected) {
        RefreshDirectory();
        ShowLamp(IDC_MAIN_LAMP_IDLE, true);
    } else {
        ShowLamp(IDC_MAIN_LAMP_OFFLINE, true);
    }
    connect.Destroy();
}

void CMainDlg::RefreshDirectory()
{
    if (!m_connected) {
        ConnectPlayer();
        return;   // a player found has been read by ConnectPlayer already
    }
    if (CommitOrder())
        return;
    COperationScope operation(*this);
    CBusyCursor busy;
    m_session->ReadDirectory();
    FillList();
}

void CMainDlg::FillList()
{
    m_list.SetRedraw(false);
    m_list.ClearAll();
    for (int i = 0;; ++i) {
        std::unique_ptr<CFileEntry> entry;
        if (!m_session->GetEntryRow(i, entry) || !entry)
            break;
        m_list.InsertEntry(i, std::move(entry));
    }
    m_list.SetRedraw(true);
    m_list.Invalidate();
    // The new rows have no selection: nothing for DELETE or UPLOAD to work on.
    Item(IDC_MAIN_DELETE).EnableWindow(false);
    Item(IDC_MAIN_UPLOAD).EnableWindow(false);
    ReadMemoryFigures();
    ShowMemory();
}

void CMainDlg::ReadMemoryFigures()
{
    m_session->GetTotalMemory(m_total);
    m_session->GetUsedMemory(m_used);
    m_session->GetFreeMemory(m_free);
    m_bar.SetMaximum(m_total);
    m_bar.SetPosition(m_used);   // ignored when above the total: the bar keeps its length
    InvalidateBar();
}

void CMainDlg::ShowMemory()
{
    ReadMemoryFigures();
    char text[128];
    std::snprintf(text, sizeof text, "Memory:   total: %ld KB   used : %ld KB   free : %ld KB",
                  static_cast<long>(m_total), static_cast<long>(m_used), static_cast<long>(m_free));
    SetStatusText(text);
}

void CMainDlg::SetStatusText(const std::string& text)
{
    m_statusText = text;
    SetDlgItemText(IDC_MAIN_STATUS, m_statusText.c_str());
}

void CMainDlg::EnableButtons(bool on)
{
    for (int id : kOperationButtons)
        Item(id).EnableWindow(on);
    if (!on && IsBatchRunning())
        Item(IDC_MAIN_CLOSE).EnableWindow(true); // CLOSE stops the batch, then closes
    if (on) {
        const bool selected = m_list.GetItemCount() > 0 && m_list.GetSelectedCount() > 0;
        Item(IDC_MAIN_DELETE).EnableWindow(selected);
        Item(IDC_MAIN_UPLOAD).EnableWindow(selected);
    }
}

void CMainDlg::InvalidateBar()
{
    if (m_hWnd != nullptr)
        InvalidateRect(m_bar.Bar(), false);
}

void CMainDlg::InvalidateCounter()
{
    if (m_hWnd != nullptr)
        InvalidateRect(kCounterRepaint, false);
}

void CMainDlg::OnMemorySwitch(bool external)
{
    if (!m_connected) {
        ConnectPlayer();
        if (!m_connected)
            return;
    }
    CommitOrder();
    m_externalMemory = external;
    Item(IDC_MAIN_INTFL).SetButtonState(!m_externalMemory);
    Item(IDC_MAIN_EXTFL).SetButtonState(m_externalMemory);
    {
        COperationScope operation(*this);
        CBusyCursor busy;
        m_session->SelectMemory(m_externalMemory ? 1 : 0);
        RefreshDirectory();
    }
    EnableButtons(true);
    m_list.SetFocus();
}

// ---- Operations running -----------------------------------------------------

void CMainDlg::BeginOperation()
{
    ++m_operationDepth;
}

void CMainDlg::EndOperation()
{
    if (m_operationDepth > 0)
        --m_operationDepth;
    if (m_operationDepth > 0)
        return;
    TakeQueuedEscapes();
    if (m_closePending) {
        m_closePending = false;
        EndDialog(m_closeResult);
    }
}

bool CMainDlg::IsEscapeFor(const MSG& msg) const
{
    return m_hWnd != nullptr && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
           (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd));
}

bool CMainDlg::TakeQueuedEscapes()
{
    bool taken = false;
    std::vector<MSG> others;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        if (IsEscapeFor(msg))
            taken = true;
        else
            others.push_back(msg);
    }
    for (const MSG& other : others)
        ::PostMessageA(other.hwnd, other.message, other.wParam, other.lParam);
    return taken;
}

void CMainDlg::RequestClose(INT_PTR result)
{
    if (IsOperationRunning()) {
        // Ending the modal loop now would tear the session down under the
        // operation that is dispatching this message: close when it ends.
        m_closePending = true;
        m_closeResult = result;
        return;
    }
    EndDialog(result);
}

void CMainDlg::OnOK()
{
    // CLOSE (and Enter): a running batch stops after the current block, then the window closes.
    if (IsBatchRunning())
        m_stopRequested = true;
    RequestClose(IDOK);
}

void CMainDlg::OnCancel()
{
    // Esc: a running batch stops after the current block; the window stays.
    if (IsBatchRunning()) {
        m_stopRequested = true;
        return;
    }
    RequestClose(IDCANCEL);
}

// ---- Messages -----------------------------------------------------------------

bool CMainDlg::OnCommand(int id, int code, HWND control)
{
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code, control);
    // The operation buttons are disabled while an operation runs; a command
    // that arrives anyway (posted, or queued before the buttons went off) is dropped.
    const bool running = IsOperationRunning();
    switch (id) {
    case IDC_MAIN_HELP:
        ShowHelpTopic(m_hWnd, kHelpMainWindow);
        return true;
    case IDC_MAIN_ABOUT:
        OnSpeedOptions();
        return true;
    case IDC_MAIN_KESTRY:
        OnAbout();
        return true;
    case IDC_MAIN_REFRESH:
        if (!running)
            RefreshDirectory();
        return true;
    case IDC_MAIN_INTFL:
    case IDC_MAIN_EXTFL:
        if (!running)
            OnMemorySwitch(id == IDC_MAIN_EXTFL);
        return true;
    case IDC_MAIN_DOWNP:
        if (!running)
            OnDownloadChosenFiles();
        return true;
    case IDC_MAIN_DELETE:
        if (!running)
            OnDeleteFiles();
        return true;
    case IDC_MAIN_INIT:
        if (!running)
            OnInitialize();
        return true;
    case IDC_MAIN_PLAYLST:
        if (!running)
            OnPlaylist();
        return true;
    case IDC_MAIN_UPLOAD:
        if (!running)
            OnUpload();
        return true;
    default:
        // Some systems send the commands of a submenu of the system menu as WM_COMMAND.
        return (control == nullptr && OnConvertCommand(static_cast<UINT>(id))) || CDialog::OnCommand(id, code, control);
    }
}

bool CMainDlg::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_MAIN_LIST && header->hwndFrom == m_list.Handle()) {
        if (header->code == NM_CLICK) {
            // A click during an operation must not bring the buttons back.
            if (!IsOperationRunning())
                EnableButtons(true);
            result = 0;
            return true;
        }
        if (header->code == LVN_BEGINDRAG) {
            BeginRowDrag(*reinterpret_cast<NMLISTVIEW*>(header));
            result = 0;
            return true;
        }
    }
    return CDialog::OnNotify(id, header, result);
}

void CMainDlg::OnSpeedOptions()
{
    // The options hand new delays to the session: not while it is at work.
    if (IsOperationRunning()) {
        ::MessageBeep(MB_OK);
        return;
    }
    COptionsDlg options(m_session.get(), m_hWnd);
    options.DoModal();
}

void CMainDlg::OnAbout()
{
    CAboutDlg about(m_hWnd);
    about.DoModal();
}

// The system menu's "Verify downloads": the choice is stored and holds from the
// next download on; not while a transfer runs, whose files keep the choice they
// started with.
void CMainDlg::OnVerifyDownloads()
{
    if (IsOperationRunning()) {
        ::MessageBeep(MB_OK);
        return;
    }
    const bool on = !m_session->GetVerifyDownloads();
    m_session->SetVerifyDownloads(on);
    WriteIntSetting(AppSettings(), SettingVerifyDownloads, on ? 1 : 0);
    ::CheckMenuItem(GetSystemMenu(), IDM_VERIFYDOWNLOADS, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool CMainDlg::OnSysCommand(UINT command, LPARAM /*lParam*/)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
        return true;
    }
    // The task bar's Close ends the program as CLOSE does, not as the Esc it
    // would become: a running batch stops, then the window closes.
    if ((command & 0xFFF0) == SC_CLOSE && IsBatchRunning()) {
        m_stopRequested = true;
        RequestClose(IDCANCEL);
        return true;
    }
    if ((command & 0xFFF0) == IDM_VERIFYDOWNLOADS) {
        OnVerifyDownloads();
        return true;
    }
    if ((command & 0xFFF0) == IDM_CHECKMEMORY) {
        OnCheckMemory();
        return true;
    }
    if ((command & 0xFFF0) == IDM_SYNCPLAYLIST) {
        OnSyncPlaylist();
        return true;
    }
    return OnConvertCommand(command & 0xFFF0);
}

bool CMainDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpMainWindow);
    return true;
}

bool CMainDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(m_hWnd);
        HICON icon = ::LoadIconA(ResourceInstance(), MAKEINTRESOURCEA(IDI_MAIN));
        const RECT rc = GetClientRect();
        const int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        if (icon != nullptr)
            ::DrawIcon(dc, x, y, icon);
        return true;
    }
    CPaintDC dc(m_hWnd);
    PaintSkin(m_hWnd, dc, SkinnedWindow::Main);
    m_bar.Draw(dc);
    m_counter.Draw(dc);
    return true;
}

HICON CMainDlg::OnQueryDragIcon()
{
    return ::LoadIconA(ResourceInstance(), MAKEINTRESOURCEA(IDI_MAIN));
}

HBRUSH CMainDlg::OnCtlColor(HDC dc, HWND control, UINT type)
{
    HBRUSH brush = CDialog::OnCtlColor(dc, control, type);
    if (control != nullptr && ::GetDlgCtrlID(control) == IDC_MAIN_STATUS)
        return m_brush.Answer(dc, kBodyTextWhite);
    return brush;
}

bool CMainDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    // The press on the skin moves the window (the title-bar press is posted,
    // so the default handling still runs first).
    StartBodyDrag(m_hWnd, pt);
    return false;
}

void CMainDlg::OnDestroy()
{
    for (int n = 0; n < 4; ++n)
        WriteIntSetting(AppSettings(), kColumnSettings[n], m_list.GetColumnWidth(n));
    CloseHelp(m_hWnd);
}
