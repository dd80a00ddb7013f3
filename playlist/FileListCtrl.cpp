// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/FileListCtrl.h"

#include "win/Dialog.h"

#include <utility>

bool CFileListCtrl::AttachImageStrip()
{
    HBITMAP strip = ::LoadBitmapA(CDialog::ResourceInstance(), MAKEINTRESOURCEA(kImageStripBitmap));
    if (strip == nullptr)
        return false;
    // Only whole pictures are cut from the strip: 160 pixels give nine.
    HIMAGELIST images = ImageList_Create(kImageWidth, kImageHeight, ILC_COLOR24 | ILC_MASK, kImageCount, 0);
    if (images == nullptr) {
        ::DeleteObject(strip);
        return false;
    }
    const int added = ImageList_AddMasked(images, strip, kImageTransparent);
    ::DeleteObject(strip);
    if (added < 0) {
        ImageList_Destroy(images);
        return false;
    }
    HIMAGELIST old = SetImageList(images, LVSIL_SMALL);
    if (old != nullptr && old != images)
        ImageList_Destroy(old);
    return true;
}

void CFileListCtrl::SetupColumns(int n)
{
    if (n < 2)
        n = 2;
    if (n > 4)
        n = 4;
    // A list set up twice starts over rather than keeping rows the new count
    // does not know about.
    ClearAll();
    for (int c = GetColumnCount(); c > 0; --c)
        SendMessage(LVM_DELETECOLUMN, c - 1);
    m_columns = n;
    AttachImageStrip();
    InsertColumn(0, "  No. Title", n == 2 ? 235 : 219);
    InsertColumn(1, "Size", 57);
    if (n >= 3)
        InsertColumn(2, "Bitr.", 31);
    if (n == 4)
        InsertColumn(3, "Downl. Date/Time", 2);
}

void CFileListCtrl::InsertVisibleRow(int index, const CFileEntry& entry)
{
    const std::string title = RowTitleText(entry);
    const int row = InsertItem(index, title.c_str(), RowImage(entry));
    if (row < 0)
        return;
    SetItemText(row, 1, entry.GetSizeText().c_str());
    if (m_columns >= 3)
        SetItemText(row, 2, entry.GetShownBitrate().c_str());
    if (m_columns >= 4)
        SetItemText(row, 3, entry.GetDateTimeText().c_str());
}

bool CFileListCtrl::InsertEntry(int index, std::unique_ptr<CFileEntry> entry)
{
    const CFileEntry* record = entry.get();
    if (!m_rows.Insert(index, std::move(entry)))
        return false;
    InsertVisibleRow(index, *record);
    ++m_rowCount;
    return true;
}

bool CFileListCtrl::DeleteRow(int index)
{
    if (!m_rows.Delete(index))
        return false;
    // The entries after the deleted one carry their new numbers; rewrite the
    // titles of their visible rows before those rows move up.
    for (int i = index; i < m_rows.Count(); ++i)
        SetItemText(i + 1, 0, RowTitleText(*m_rows.At(i)).c_str());
    DeleteItem(index);
    --m_rowCount;
    return true;
}

bool CFileListCtrl::SwapRows(int a, int b)
{
    if (!m_rows.Swap(a, b))
        return false;
    Refill();
    return true;
}

void CFileListCtrl::Refill()
{
    DeleteAllItems();
    m_rowCount = 0;
    for (int i = 0; i < m_rows.Count(); ++i) {
        InsertVisibleRow(i, *m_rows.At(i));
        ++m_rowCount;
    }
}

void CFileListCtrl::ClearAll()
{
    m_rows.Clear();
    DeleteAllItems();
    m_rowCount = 0;
}
