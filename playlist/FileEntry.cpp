// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/FileEntry.h"

#include <sys/stat.h>
#include <cctype>
#include <climits>
#include <cstdio>

namespace {

std::string TrimRight(const char* text) {
    std::string s = text ? text : "";
    size_t end = s.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(s[end - 1])))
        --end;
    s.erase(end);
    return s;
}

}  // namespace

void CFileEntry::SetSizeText(const char* text) {
    m_sizeText = TrimRight(text);
}

void CFileEntry::SetDateTimeText(const char* text) {
    m_dateTimeText = text ? text : "";
}

void CFileEntry::SetNameText(const char* text) {
    m_nameText = TrimRight(text);
}

void CFileEntry::SetBitrateText(const char* text) {
    m_bitrateText = text ? text : "";
}

std::string CFileEntry::GetNumberText() const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2d", static_cast<int>(m_number));
    return buf;
}

int32_t CFileEntry::GetSizeValue() const {
    // Digits only, from the first character; an overlong number stops at the
    // 32-bit limit rather than wrapping to a wrong size.
    long long value = 0;
    for (char c : m_sizeText) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

std::string CFileEntry::GetShownBitrate() const {
    const size_t n = m_nameText.size();
    if (n >= 4) {
        std::string tail = m_nameText.substr(n - 4);
        for (char& c : tail)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (tail == ".MP3")
            return m_bitrateText;
    }
    return "  -";
}

int32_t FileSize(const char* path) {
    if (!path)
        return 0;
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return 0;
    long long size = -1;
#ifdef _WIN32
    // The plain stat of the 32-bit runtime fails on files of 2 GB and more.
    struct _stati64 st;
    if (_stati64(path, &st) == 0)
        size = st.st_size;
#else
    struct stat st;
    if (stat(path, &st) == 0)
        size = st.st_size;
#endif
    std::fclose(f);
    if (size < 0)
        return 0;
    return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
}
