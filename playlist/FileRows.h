// SPDX-License-Identifier: GPL-3.0-or-later
// The platform-free half of the file list: the records behind the rows, the
// text and picture each row shows, and how rows are renumbered when one goes
// away or two change places. CFileListCtrl keeps the visible rows in step.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playlist/FileEntry.h"

// Pictures of the list's image strip, by index.
enum EFileImage {
    kImageTick = 0,       // not used by the list
    kImageMp3 = 1,
    kImageMissing = 2,    // size text "0": missing, unreadable or empty file
    kImageOther = 3,
    kImageArchive = 4,    // ZIP
    kImageText = 5,       // TXT
    kImageDocument = 6,   // DOC
    kImagePicture = 7,    // BMP, JPG, GIF
    kImageTickToo = 8,    // not used by the list
    kImageCount = 9
};

// The picture for a file extension, compared without regard to letter case.
int ImageForExtension(const std::string& extension);

// Column 0 of a row: the number text, ". ", then the name ("  7. LIVE.MP3").
std::string RowTitleText(const CFileEntry& entry);
// The row's picture: the red cross when the size text is exactly "0", else by
// the last three characters of the column-0 text.
int RowImage(const CFileEntry& entry);

// The records of a list's rows. Row i holds the entry numbered i + 1; rows run
// from 0 without gaps, and there are at most kMaxRows of them (row numbers are
// kept in 16 bits).
class CFileRowMap {
public:
    static constexpr int kMaxRows = 65536;

    // Takes the entry as row index when that row is the next one free (rows are
    // only ever appended). An index that is taken, would leave a gap or lies
    // beyond kMaxRows is refused, and the entry is destroyed: the list owns it
    // from the call on.
    bool Insert(int index, std::unique_ptr<CFileEntry> entry);
    // Destroys row index and moves the rows after it up one place, numbering
    // each by its new place. False when there is no such row.
    bool Delete(int index);
    // Exchanges the numbers and the places of two rows. False when either row
    // does not exist.
    bool Swap(int a, int b);
    void Clear() { m_rows.clear(); }

    int Count() const { return static_cast<int>(m_rows.size()); }
    // The record of a row, or null.
    const CFileEntry* At(int index) const;

    // False for a missing row; the output is then left as it was.
    bool GetEntryName(int index, std::string& name) const;
    bool GetEntrySize(int index, int32_t& size) const;

private:
    std::vector<std::unique_ptr<CFileEntry>> m_rows;
};
