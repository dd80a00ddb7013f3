// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/ListView.h"

#include <vector>

int CListView::InsertColumn(int column, const char* heading, int width, int format) const
{
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<char*>(heading);
    col.iSubItem = column;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)));
}

int CListView::GetColumnCount() const
{
    HWND header = GetHeader();
    if (header == nullptr)
        return 0;
    return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

int CListView::InsertItem(int row, const char* text, int image) const
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<char*>(text);
    item.iImage = image;
    return InsertItem(item);
}

bool CListView::SetItemText(int row, int column, const char* text) const
{
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    return SendMessage(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)) != 0;
}

std::string CListView::GetItemText(int row, int column, int maxChars) const
{
    if (maxChars < 0)
        maxChars = 0;
    std::vector<char> buffer(static_cast<size_t>(maxChars) + 1, '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = maxChars + 1;
    SendMessage(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool CListView::SetItemState(int row, UINT state, UINT mask) const
{
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    return SendMessage(LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) != 0;
}

int CListView::HitTest(POINT pt) const
{
    LVHITTESTINFO info{};
    info.pt = pt;
    return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}
