// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliText.h"

#include <cstdint>

#include "cli/NameCodec.h"

namespace {

bool IsUtf8(const std::string& s)
{
    uint32_t ch;
    for (size_t at = 0; at < s.size();)
        if (!NextUtf8(s, at, ch))
            return false;
    return true;
}

}  // namespace

std::string ConsoleText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

std::string PcTextToUtf8(const std::string& text)
{
    if (IsUtf8(text))
        return text;
    std::string out;
    for (unsigned char c : text)
        AppendUtf8(out, c);
    return out;
}
