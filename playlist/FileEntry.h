// SPDX-License-Identifier: GPL-3.0-or-later
// One row of a file list: texts made by whoever fills the list (the device session
// from a player directory entry, the playlist code from a PC file). The list owns
// the record once it is inserted.
#pragma once
#include <cstdint>
#include <string>

class CFileEntry {
public:
    CFileEntry() = default;
    virtual ~CFileEntry() = default;

    void SetNumber(int32_t number) { m_number = number; }
    void SetSizeText(const char* text);       // trailing white space removed
    void SetDateTimeText(const char* text);
    void SetNameText(const char* text);       // trailing white space removed
    void SetBitrateText(const char* text);    // kept as given, blanks included

    int32_t GetNumber() const { return m_number; }
    std::string GetNumberText() const;        // "%2d"
    const std::string& GetSizeText() const { return m_sizeText; }
    int32_t GetSizeValue() const;             // leading decimal digits, 0 when none
    const std::string& GetDateTimeText() const { return m_dateTimeText; }
    const std::string& GetNameText() const { return m_nameText; }
    // The bitrate text for names ending in ".MP3" (any case), else "  -".
    std::string GetShownBitrate() const;

private:
    int32_t m_number = 0;
    std::string m_sizeText;
    std::string m_dateTimeText;
    std::string m_nameText;
    std::string m_bitrateText;
};

// Size in bytes of the file at path; 0 when it cannot be opened or its status
// cannot be read. Sizes beyond the 32-bit range read as the largest 32-bit value.
int32_t FileSize(const char* path);

// Bitrate in kbit/s of an MPEG audio frame header given in file order (h[0] is
// the 0xFF sync byte). 0 for the free-format index 0, the forbidden index 15,
// the reserved version and the reserved layer (and so for an all-zero header).
int DecodeBitrate(const uint8_t header[4]);
