// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's operations that change the player's directory without
// moving file contents: a new order by dragging a row (sent by CommitOrder),
// deleting the selected files, and initializing the memory.
#include "mainwindow/MainDlg.h"

#include "device/RioSession.h"
#include "mainwindow/InitDlg.h"
#include "res/resource.h"
#include "win/BusyCursor.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace {
constexpr int kDragHotSpot = 8;       // the pointer's place inside the drag picture
constexpr int kDropLookBelow = 10;    // the row 10 pixels below the pointer takes the drop
constexpr int kMaxOrderRows = 60;     // the player's directory holds at most 60 files
constexpr int kPositionDigits = 3;    // a row's title starts with its position on the player
constexpr int kMaxItemText = 255;

constexpr const char* kDeletePrefix = "Delete :  ";
constexpr const char* kInitializingText = "Initializing Rio ";

// The position a row's title begins with: its first three characters read as a
// decimal number, leading blanks skipped; 0 when there is no digit.
int PositionOfTitle(const std::string& title)
{
    const std::string head = title.substr(0, kPositionDigits);
    size_t i = 0;
    while (i < head.size() && head[i] == ' ')
        ++i;
    int n = 0;
    for (; i < head.size() && std::isdigit(static_cast<unsigned char>(head[i])); ++i)
        n = n * 10 + (head[i] - '0');
    return n;
}
}  // namespace

// ---- The order of the list --------------------------------------------------------

bool CMainDlg::CommitOrder()
{
    if (!m_connected || !m_orderChanged)
        return false;
    // The session's failure box dispatches messages: nothing else may start meanwhile.
    COperationScope operation(*this);
    {
        CBusyCursor busy;
        int rows = m_list.GetItemCount();
        if (rows > kMaxOrderRows)
            rows = kMaxOrderRows;
        std::vector<uint32_t> order(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r)
            order[static_cast<size_t>(r)] =
                static_cast<uint32_t>(PositionOfTitle(m_list.GetItemText(r, 0, kMaxItemText)) - 1);
        m_session->ReorderFiles(order.data(), rows);
    }
    FillList();
    m_orderChanged = false;
    return true;
}

// ---- Dragging a row ------------------------------------------------------------

void CMainDlg::BeginRowDrag(const NMLISTVIEW& info)
{
    // While an operation runs the session cannot take a new order: no drag starts.
    if (IsOperationRunning() || m_dragging)
        return;
    m_dragRow = info.iItem;
    POINT upperLeft{0, 0};
    m_dragImage = m_list.CreateDragImage(m_dragRow, &upperLeft);
    if (m_dragImage == nullptr)
        return;
    ImageList_BeginDrag(m_dragImage, 0, kDragHotSpot, kDragHotSpot);
    const POINT screen = m_list.ClientToScreen(info.ptAction);
    ImageList_DragEnter(nullptr, screen.x, screen.y);
    m_dragging = true;
    m_dropRow = -1;
    m_dropWindow = m_list.Handle();
    SetCapture();
}

bool CMainDlg::OnMouseMove(UINT /*keys*/, POINT pt)
{
    if (!m_dragging)
        return false;
    const POINT screen = ClientToScreen(pt);
    ImageList_DragMove(screen.x, screen.y);
    ImageList_DragShowNolock(FALSE);
    m_dropWindow = ::WindowFromPoint(screen);
    m_lastPointer = CWindow(m_dropWindow).ScreenToClient(screen);
    ImageList_DragShowNolock(TRUE);
    const bool droppable = m_dropWindow == m_list.Handle();
    ::SetCursor(::LoadCursorA(nullptr, droppable ? IDC_ARROW : IDC_NO));
    return true;
}

bool CMainDlg::OnLButtonUp(UINT /*keys*/, POINT pt)
{
    if (!m_dragging)
        return false;
    EndRowDrag(pt);
    return true;
}

void CMainDlg::OnCaptureChanged(HWND /*gaining*/)
{
    // Another window took the mouse (a switch to another program, a locked
    // screen): the drag ends where it is, the order stays as it was.
    if (m_dragging)
        StopRowDrag();
}

void CMainDlg::StopRowDrag()
{
    m_dragging = false;   // first: releasing the capture reports the change
    ::ReleaseCapture();
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    ImageList_Destroy(m_dragImage);
    m_dragImage = nullptr;
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
}

void CMainDlg::EndRowDrag(POINT pt)
{
    StopRowDrag();

    const POINT screen = ClientToScreen(pt);
    HWND under = ::WindowFromPoint(screen);
    if (under != m_list.Handle())
        return;   // dropped outside the directory list: only the drag ends
    if (IsOperationRunning())
        return;   // the session is at work; the order stays as it is
    // The row goes where the button was released, also when no mouse move
    // reported that place.
    m_dropWindow = under;
    m_lastPointer = CWindow(under).ScreenToClient(screen);
    MoveRow();
    m_orderChanged = true;
    CommitOrder();
}

void CMainDlg::MoveRow()
{
    m_lastPointer.y += kDropLookBelow;
    m_dropRow = m_list.HitTest(m_lastPointer);

    char text[kMaxItemText + 1] = "";
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = m_dragRow;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED | LVIS_DROPHILITED | LVIS_STATEIMAGEMASK;
    if (!m_list.GetItem(item))
        return;

    if (m_dropRow == -1)
        m_dropRow = m_list.GetItemCount();
    item.iItem = m_dropRow;
    item.iSubItem = 0;
    const int inserted = m_list.InsertItem(item);
    if (inserted < 0)
        return;
    m_dropRow = inserted;
    if (m_dragRow > m_dropRow)
        ++m_dragRow;   // the insertion moved it down
    const int columns = m_list.GetColumnCount();
    for (int column = 1; column < columns; ++column)
        m_list.SetItemText(m_dropRow, column, m_list.GetItemText(m_dragRow, column, kMaxItemText).c_str());
    m_list.DeleteItem(m_dragRow);
}

// ---- DELETE ----------------------------------------------------------------------

void CMainDlg::OnDeleteFiles()
{
    CommitOrder();
    COperationScope operation(*this);
    EnableButtons(false);
    {
        CBusyCursor busy;
        // Row i shows the entry in slot i (the list was built from the
        // directory and its order sent): the row's entry goes, not the first
        // of its name. From the last row up, as a delete moves the entries
        // after it up; the rows stay until the list is rebuilt.
        for (int i = m_list.GetItemCount() - 1; i >= 0; --i) {
            if (!m_list.IsSelected(i))
                continue;
            std::string name;
            if (!m_list.GetEntryName(i, name))
                continue;
            SetStatusText(kDeletePrefix + name);
            m_session->DeleteEntry(i);
        }
        FillList();
    }
    EnableButtons(true);
}

// ---- INIT ------------------------------------------------------------------------

void CMainDlg::OnInitialize()
{
    if (!m_connected) {
        ConnectPlayer();
        if (!m_connected)
            return;
    }
    CInitDlg dialog(m_hWnd);
    if (dialog.DoModal() != IDOK)
        return;

    COperationScope operation(*this);
    CBusyCursor busy;
    const int check = dialog.checkBadBlocks ? 1 : 0;
    SetStatusText(kInitializingText);
    CWindow bar = Item(IDC_MAIN_PROGRESS);
    bar.Show(true);
    EnableButtons(false);
    SetProgressTarget();
    m_session->Initialize(check, OnProgress);
    bar.SendMessage(PBM_SETPOS, 0);
    bar.Show(false);
    // The list first: DELETE and UPLOAD then follow the emptied list.
    FillList();
    EnableButtons(true);
}
