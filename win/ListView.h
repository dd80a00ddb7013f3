// SPDX-License-Identifier: GPL-3.0-or-later
// A list view control in report view: the operations our lists use. Attach a
// control to use it as is, or Subclass it when a derived class handles messages.
#pragma once

#include "win/Subclass.h"

#include <commctrl.h>

#include <string>

class CListView : public CSubclassedWindow {
public:
    void SetExtendedStyle(DWORD mask, DWORD style) const
        { SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style)); }
    HIMAGELIST SetImageList(HIMAGELIST list, int which) const
        { return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list))); }

    // Columns.
    int InsertColumn(int column, const char* heading, int width, int format = LVCFMT_LEFT) const;
    int GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, column)); }
    bool SetColumnWidth(int column, int width) const
        { return SendMessage(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != 0; }
    HWND GetHeader() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    int GetColumnCount() const;

    // Rows.
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    int InsertItem(int row, const char* text, int image) const;
    int InsertItem(LVITEMA& item) const
        { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item))); }
    bool GetItem(LVITEMA& item) const
        { return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0; }
    bool SetItemText(int row, int column, const char* text) const;
    // The text of one cell, at most maxChars characters.
    std::string GetItemText(int row, int column, int maxChars = 255) const;
    bool DeleteItem(int row) const { return SendMessage(LVM_DELETEITEM, row) != 0; }
    bool DeleteAllItems() const { return SendMessage(LVM_DELETEALLITEMS) != 0; }

    // Selection and state.
    int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    int GetNextItem(int start, UINT flags) const
        { return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0))); }
    UINT GetItemState(int row, UINT mask) const
        { return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, row, mask)); }
    bool SetItemState(int row, UINT state, UINT mask) const;
    bool IsSelected(int row) const { return GetItemState(row, LVIS_SELECTED) != 0; }
    bool EnsureVisible(int row, bool partialOk = false) const
        { return SendMessage(LVM_ENSUREVISIBLE, row, partialOk) != 0; }

    // The row at a point of the client area, or -1.
    int HitTest(POINT pt) const;
    // The control's own drag picture of a row; the caller owns the image list.
    HIMAGELIST CreateDragImage(int row, POINT* upperLeft) const
        { return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_CREATEDRAGIMAGE, row, reinterpret_cast<LPARAM>(upperLeft))); }
};
