// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/NameCodec.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#endif

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
// The unassigned bytes map to themselves.
const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const uint32_t kReplacement = 0xFFFD;

// "\xHH" for a byte.
std::string Escape(uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// The byte of an escape "\xHH" at s[at], or -1 when there is none. "\x00"
// is none: a name ends at its first zero byte, and "a\x00b" must not name "a".
int EscapeAt(const std::string& s, size_t at)
{
    if (at + 4 > s.size() || s[at] != '\\' || s[at + 1] != 'x')
        return -1;
    const int high = HexDigit(s[at + 2]), low = HexDigit(s[at + 3]);
    return high < 0 || low < 0 || high + low == 0 ? -1 : high * 16 + low;
}

// Bytes of a text that may not be valid in any encoding, for a message:
// ASCII stays, everything else is escaped.
std::string Ascii(const std::string& s)
{
    std::string out;
    for (unsigned char c : s)
        out += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : Escape(c);
    return out;
}

std::string Normalized(const std::string& codeset)
{
    std::string out;
    for (char c : codeset)
        if (c != '-' && c != '_')
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

#ifdef _WIN32
std::wstring Utf16(uint32_t ch)
{
    std::wstring out;
    if (ch >= 0x10000) {
        ch -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (ch >> 10));
        out += static_cast<wchar_t>(0xDC00 + (ch & 0x3FF));
    } else {
        out += static_cast<wchar_t>(ch);
    }
    return out;
}
#else
// One conversion of iconv's, closed when it goes.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~CIconv()
    {
        if (Valid())
            iconv_close(m_handle);
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool Valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }

    // All of in; false with the offset of the first byte that did not convert.
    bool Convert(const std::string& in, std::string& out, size_t& bad)
    {
        out.clear();
        char* from = const_cast<char*>(in.data());
        size_t left = in.size();
        while (left > 0) {
            char buffer[256];
            char* to = buffer;
            size_t room = sizeof buffer;
            const size_t result = iconv(m_handle, &from, &left, &to, &room);
            out.append(buffer, static_cast<size_t>(to - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                bad = static_cast<size_t>(from - in.data());
                return false;
            }
        }
        // A stateful encoding's closing shift sequence.
        char buffer[16];
        char* to = buffer;
        size_t room = sizeof buffer;
        iconv(m_handle, nullptr, nullptr, &to, &room);
        out.append(buffer, static_cast<size_t>(to - buffer));
        return true;
    }

private:
    iconv_t m_handle;
};
#endif

} // namespace

uint32_t Windows1252ToUnicode(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte; }

bool UnicodeToWindows1252(uint32_t ch, uint8_t& byte)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        byte = static_cast<uint8_t>(ch);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == ch) {
            byte = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    return false;
}

bool NextUtf8(const std::string& s, size_t& at, uint32_t& ch)
{
    const uint8_t c = static_cast<uint8_t>(s[at]);
    int more;
    if (c < 0x80) {
        ch = c;
        ++at;
        return true;
    } else if ((c & 0xE0) == 0xC0) {
        more = 1;
        ch = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        more = 2;
        ch = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        more = 3;
        ch = c & 0x07;
    } else {
        return false;
    }
    if (at + static_cast<size_t>(more) >= s.size())
        return false;
    for (int k = 1; k <= more; ++k) {
        const uint8_t d = static_cast<uint8_t>(s[at + static_cast<size_t>(k)]);
        if ((d & 0xC0) != 0x80)
            return false;
        ch = (ch << 6) | (d & 0x3F);
    }
    static const uint32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
    if (ch < kShortest[more] || ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF))
        return false;
    at += static_cast<size_t>(more) + 1;
    return true;
}

void AppendUtf8(std::string& s, uint32_t ch)
{
    if (ch < 0x80) {
        s += static_cast<char>(ch);
    } else if (ch < 0x800) {
        s += static_cast<char>(0xC0 | (ch >> 6));
        s += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        s += static_cast<char>(0xE0 | (ch >> 12));
        s += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (ch >> 18));
        s += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

std::string PlayerNameToUtf8(const std::string& name)
{
    std::string out;
    for (unsigned char c : name)
        AppendUtf8(out, Windows1252ToUnicode(c));
    return out;
}

CNameCodec CNameCodec::ForLocale()
{
#ifdef _WIN32
    return CNameCodec("CP" + std::to_string(::GetACP()));
#else
    return CNameCodec(nl_langinfo(CODESET));
#endif
}

CNameCodec::CNameCodec(const std::string& codeset) : m_codeset(codeset)
{
    const std::string n = Normalized(codeset);
    if (n == "UTF8" || n == "CP65001" || n == "ANSIX3.41968" || n == "ASCII" || n == "USASCII") {
        m_kind = EKind::Utf8;
        m_codeset = "UTF-8";
    } else if (n == "CP1252" || n == "WINDOWS1252") {
        m_kind = EKind::Windows1252;
    } else {
        m_kind = EKind::Other;
#ifdef _WIN32
        m_codePage = n.compare(0, 2, "CP") == 0 ? static_cast<unsigned>(std::atoi(n.c_str() + 2)) : CP_ACP;
#else
        // An encoding iconv does not know (a broken locale setting) is taken as UTF-8.
        if (!CIconv("UTF-8", codeset.c_str()).Valid()) {
            m_kind = EKind::Utf8;
            m_codeset = "UTF-8";
        }
#endif
    }
}

bool CNameCodec::Encode(uint32_t ch, std::string& out) const
{
    switch (m_kind) {
    case EKind::Utf8: AppendUtf8(out, ch); return true;
    case EKind::Windows1252: {
        uint8_t byte;
        if (!UnicodeToWindows1252(ch, byte))
            return false;
        out += static_cast<char>(byte);
        return true;
    }
    case EKind::Other: break;
    }
#ifdef _WIN32
    const std::wstring wide = Utf16(ch);
    char buffer[16];
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(m_codePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                        buffer, sizeof buffer, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    out.append(buffer, static_cast<size_t>(n));
    return true;
#else
    std::string utf8, text;
    AppendUtf8(utf8, ch);
    size_t bad = 0;
    CIconv toLocale(m_codeset.c_str(), "UTF-8");
    if (!toLocale.Valid() || !toLocale.Convert(utf8, text, bad))
        return false;
    out += text;
    return true;
#endif
}

bool CNameCodec::DecodeToUtf8(const std::string& text, std::string& utf8, size_t& bad) const
{
    utf8.clear();
    switch (m_kind) {
    case EKind::Utf8:
        for (size_t at = 0; at < text.size();) {
            const size_t start = at;
            uint32_t ch;
            if (!NextUtf8(text, at, ch)) {
                bad = start;
                return false;
            }
            AppendUtf8(utf8, ch);
        }
        return true;
    case EKind::Windows1252: utf8 = PlayerNameToUtf8(text); return true;
    case EKind::Other: break;
    }
#ifdef _WIN32
    // Character by character, so that an invalid byte is found where it is.
    for (size_t at = 0; at < text.size();) {
        const int length = ::IsDBCSLeadByteEx(m_codePage, static_cast<BYTE>(text[at])) ? 2 : 1;
        wchar_t wide[4];
        const int n = at + length <= text.size()
                          ? ::MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, text.data() + at, length, wide, 4)
                          : 0;
        if (n <= 0) {
            bad = at;
            return false;
        }
        for (int i = 0; i < n; ++i)
            AppendUtf8(utf8, static_cast<uint16_t>(wide[i]));
        at += static_cast<size_t>(length);
    }
    return true;
#else
    CIconv fromLocale("UTF-8", m_codeset.c_str());
    return fromLocale.Valid() && fromLocale.Convert(text, utf8, bad);
#endif
}

bool CNameCodec::ToPlayer(const std::string& text, bool escapes, std::string& name, std::string& error) const
{
    name.clear();
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !(escapes && EscapeAt(text, end) >= 0))
            ++end;
        std::string utf8;
        size_t bad = 0;
        if (!DecodeToUtf8(text.substr(at, end - at), utf8, bad)) {
            error = "the name '" + Ascii(text) + "' is not " + m_codeset + " text (byte 0x" +
                    Escape(static_cast<uint8_t>(text[at + bad])).substr(2) + ")";
            return false;
        }
        for (size_t u = 0; u < utf8.size();) {
            const size_t start = u;
            uint32_t ch = kReplacement;
            NextUtf8(utf8, u, ch);
            uint8_t byte;
            if (!UnicodeToWindows1252(ch, byte)) {
                char code[16];
                std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
                std::string shown;
                if (!Encode(ch, shown))
                    shown = "?";
                error = "the name '" + text + "' holds '" + shown + "' (" + code +
                        "), which has no form in the player's code page (Windows-1252)";
                return false;
            }
            name += static_cast<char>(byte);
            if (u == start)
                ++u;
        }
        at = end;
        if (at < text.size()) {
            name += static_cast<char>(EscapeAt(text, at));
            at += 4;
        }
    }
    return true;
}

std::string CNameCodec::Show(const std::string& name, size_t* width) const
{
    std::string out;
    size_t columns = 0;
    for (unsigned char c : name) {
        const uint32_t ch = Windows1252ToUnicode(c);
        // Control characters (C0, DEL and the C1 ones of the unassigned bytes)
        // would reach the terminal as commands; a backslash is escaped too, so
        // that every shown name reads back as the same bytes.
        const bool escaped = ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || ch == '\\';
        if (!escaped && Encode(ch, out)) {
            ++columns;
        } else {
            out += Escape(c);
            columns += 4;
        }
    }
    if (width)
        *width = columns;
    return out;
}

bool CNameCodec::ToLocale(const std::string& name, std::string& text) const
{
    text.clear();
    for (unsigned char c : name)
        if (!Encode(Windows1252ToUnicode(c), text))
            return false;
    return true;
}
