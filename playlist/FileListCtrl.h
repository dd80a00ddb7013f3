// SPDX-License-Identifier: GPL-3.0-or-later
// CFileListCtrl: the report-style list of files that the main window (number and
// title, size, bitrate, date/time) and the playlist window (number and path,
// size) show. It subclasses the template's list view control, owns one
// CFileEntry per row and keeps the visible rows in step with them.
#pragma once

#include "playlist/FileRows.h"
#include "win/ListView.h"

#include <cstdint>
#include <memory>
#include <string>

class CFileListCtrl : public CListView {
public:
    // The image strip: bitmap resource 129, pictures 17 x 18 pixels on magenta.
    static constexpr int kImageStripBitmap = 129;
    static constexpr int kImageWidth = 17;
    static constexpr int kImageHeight = 18;
    static constexpr COLORREF kImageTransparent = RGB(255, 0, 255);

    CFileListCtrl() = default;
    ~CFileListCtrl() override = default;

    // Makes the image strip the control's small-image list (the control then
    // owns the list and destroys it with itself).
    virtual bool AttachImageStrip();
    // Sets the list up with n columns (2, 3 or 4): no rows, the image strip,
    // and the headings "  No. Title", "Size", "Bitr.", "Downl. Date/Time".
    virtual void SetupColumns(int n);

    // Appends a row for the entry when index is the current row count (see
    // CFileRowMap::Insert); the list owns the entry from the call on.
    bool InsertEntry(int index, std::unique_ptr<CFileEntry> entry);
    // Destroys the entry of row index, renumbers the rows after it and removes
    // the visible row.
    bool DeleteRow(int index);
    // Exchanges the numbers and places of two rows and rebuilds the list.
    bool SwapRows(int a, int b);
    // Rebuilds every visible row from the entries; the selection is lost.
    void Refill();
    // Destroys every entry and removes every row.
    void ClearAll();

    bool GetEntryName(int index, std::string& name) const { return m_rows.GetEntryName(index, name); }
    bool GetEntrySize(int index, int32_t& size) const { return m_rows.GetEntrySize(index, size); }
    const CFileEntry* GetEntry(int index) const { return m_rows.At(index); }

    int GetRowCount() const { return m_rowCount; }
    int GetColumns() const { return m_columns; }

private:
    // Inserts visible row index with the texts and picture of its entry.
    void InsertVisibleRow(int index, const CFileEntry& entry);

    CFileRowMap m_rows;
    int m_columns = 0;
    int32_t m_rowCount = 0;
};
