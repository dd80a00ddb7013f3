// SPDX-License-Identifier: GPL-3.0-or-later
// What must hold for any bytes read as a playlist file: every row text is a
// single line of at most kPlaylistPathChars characters without a NUL or
// trailing white space, and the rows saved again read back as the same rows
// (empty ones left out). Shared by the libFuzzer target and the seeded test.
#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "playlist/PlaylistFile.h"

namespace playlisttest {

inline std::string CheckPlaylistBytes(const std::string& bytes)
{
    const std::vector<std::string> texts = ParsePlaylist(bytes);
    if (texts.size() > bytes.size())
        return "more rows than bytes";
    std::vector<std::string> saved;
    for (const std::string& t : texts) {
        if (t.size() > kPlaylistPathChars)
            return "row text longer than a path";
        if (t.find('\n') != std::string::npos || t.find('\0') != std::string::npos)
            return "row text holds a line end or a NUL";
        if (!t.empty() && std::isspace(static_cast<unsigned char>(t.back())))
            return "row text ends in white space";
        if (!t.empty())
            saved.push_back(t);
    }
    if (ParsePlaylist(FormatPlaylist(texts)) != saved)
        return "saved rows read back differently";
    return "";
}

}  // namespace playlisttest
