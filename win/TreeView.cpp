// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/TreeView.h"

HTREEITEM CTreeView::InsertItem(HTREEITEM parent, HTREEITEM after, const char* text, int image,
                                int selectedImage) const
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string CTreeView::GetItemText(HTREEITEM item) const
{
    char buffer[MAX_PATH + 1] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = sizeof buffer;
    if (item == nullptr || SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)) == 0)
        return std::string();
    buffer[MAX_PATH] = '\0';
    return std::string(buffer);
}
