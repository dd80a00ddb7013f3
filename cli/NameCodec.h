// SPDX-License-Identifier: GPL-3.0-or-later
// Player file names are stored in the Windows-1252 code page (what Quavel.exe
// writes on a Western Windows); the console's text is in the locale's
// encoding (the ANSI code page on Windows). CNameCodec converts between the
// two, refusing what has no form on the player instead of storing '?'.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The Unicode character of a Windows-1252 byte. The five bytes the code page
// leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control
// characters of the same number, as Windows maps them.
uint32_t Windows1252ToUnicode(uint8_t byte);
// The Windows-1252 byte of a character; false when it has none.
bool UnicodeToWindows1252(uint32_t ch, uint8_t& byte);

// Reads the UTF-8 character at s[at] and moves at past it; false (at
// unchanged) for an invalid byte, an overlong form, a surrogate or a cut sequence.
bool NextUtf8(const std::string& s, size_t& at, uint32_t& ch);
void AppendUtf8(std::string& s, uint32_t ch);

// A player name as UTF-8 text (for JSON): every byte has a character.
std::string PlayerNameToUtf8(const std::string& name);

class CNameCodec {
public:
    // The encoding of the running program: the locale's (LC_CTYPE) on Linux,
    // the ANSI code page on Windows. The plain C locale ("ANSI_X3.4-1968")
    // is taken as UTF-8: its bytes above 0x7F are, on today's systems, UTF-8
    // names that the user did not choose a locale for.
    static CNameCodec ForLocale();
    // An encoding by name: "UTF-8", "CP1252", else any name iconv knows on
    // Linux, "CP" and a code page number on Windows.
    explicit CNameCodec(const std::string& codeset);

    const std::string& Codeset() const { return m_codeset; }

    // Text in the locale's encoding as the player stores it. With escapes,
    // "\xHH" (two hex digits) stands for the byte HH of the player's name: the
    // form Show gives a byte that the locale cannot show, so that such a name
    // can still be named on the command line. False, with error saying why,
    // when the text is not valid in the locale's encoding or holds a
    // character that Windows-1252 has no byte for.
    bool ToPlayer(const std::string& text, bool escapes, std::string& name, std::string& error) const;
    // A player name for the console: characters the locale cannot show,
    // control characters and the backslash become "\xHH". width (if given) receives the columns
    // it takes: every character of the code page is one column wide.
    std::string Show(const std::string& name, size_t* width = nullptr) const;
    // A player name as a PC file name in the locale's encoding; false when a
    // character of it has no form there.
    bool ToLocale(const std::string& name, std::string& text) const;

private:
    enum class EKind { Utf8, Windows1252, Other };

    // One character as locale text; false when the locale has no form for it.
    bool Encode(uint32_t ch, std::string& out) const;
    // Locale text as UTF-8; false with the offset of the first invalid byte.
    bool DecodeToUtf8(const std::string& text, std::string& utf8, size_t& bad) const;

    std::string m_codeset;
    EKind m_kind = EKind::Utf8;
    unsigned m_codePage = 0; // Windows, EKind::Other
};
