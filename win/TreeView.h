// SPDX-License-Identifier: GPL-3.0-or-later
// A tree view control: the operations the drive tree uses.
#pragma once

#include "win/Subclass.h"

#include <commctrl.h>

#include <string>

class CTreeView : public CSubclassedWindow {
public:
    HIMAGELIST SetImageList(HIMAGELIST list, int which = TVSIL_NORMAL) const
        { return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, which, reinterpret_cast<LPARAM>(list))); }

    HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image, int selectedImage) const;
    bool DeleteItem(HTREEITEM item) const
        { return SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0; }
    std::string GetItemText(HTREEITEM item) const;
    int GetCount() const { return static_cast<int>(SendMessage(TVM_GETCOUNT)); }

    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const
        { return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item))); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }

    bool SelectItem(HTREEITEM item) const
        { return SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0; }
    bool Expand(HTREEITEM item, UINT code = TVE_EXPAND) const
        { return SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)) != 0; }
    UINT GetItemState(HTREEITEM item, UINT mask) const
        { return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask)); }
};
