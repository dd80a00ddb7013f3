// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/FileRows.h"

#include <cctype>
#include <utility>

int ImageForExtension(const std::string& extension)
{
    std::string upper = extension;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "MP3")
        return kImageMp3;
    if (upper == "ZIP")
        return kImageArchive;
    if (upper == "TXT")
        return kImageText;
    if (upper == "DOC")
        return kImageDocument;
    if (upper == "BMP" || upper == "JPG" || upper == "GIF")
        return kImagePicture;
    return kImageOther;
}

std::string RowTitleText(const CFileEntry& entry)
{
    return entry.GetNumberText() + ". " + entry.GetNameText();
}

int RowImage(const CFileEntry& entry)
{
    if (entry.GetSizeText() == "0")
        return kImageMissing;
    const std::string title = RowTitleText(entry);
    // The title always holds at least the number and ". ".
    return ImageForExtension(title.size() >= 3 ? title.substr(title.size() - 3) : title);
}

bool CFileRowMap::Insert(int index, std::unique_ptr<CFileEntry> entry)
{
    if (!entry || index != Count() || index >= kMaxRows)
        return false;
    m_rows.push_back(std::move(entry));
    return true;
}

bool CFileRowMap::Delete(int index)
{
    if (At(index) == nullptr)
        return false;
    m_rows.erase(m_rows.begin() + index);
    for (int i = index; i < Count(); ++i)
        m_rows[static_cast<size_t>(i)]->SetNumber(i + 1);
    return true;
}

bool CFileRowMap::Swap(int a, int b)
{
    if (At(a) == nullptr || At(b) == nullptr)
        return false;
    std::unique_ptr<CFileEntry>& ra = m_rows[static_cast<size_t>(a)];
    std::unique_ptr<CFileEntry>& rb = m_rows[static_cast<size_t>(b)];
    const int32_t number = ra->GetNumber();
    ra->SetNumber(rb->GetNumber());
    rb->SetNumber(number);
    std::swap(ra, rb);
    return true;
}

const CFileEntry* CFileRowMap::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_rows[static_cast<size_t>(index)].get();
}

bool CFileRowMap::GetEntryName(int index, std::string& name) const
{
    const CFileEntry* entry = At(index);
    if (entry == nullptr)
        return false;
    name = entry->GetNameText();
    return true;
}

bool CFileRowMap::GetEntrySize(int index, int32_t& size) const
{
    const CFileEntry* entry = At(index);
    if (entry == nullptr)
        return false;
    size = entry->GetSizeValue();
    return true;
}
