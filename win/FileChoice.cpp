// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/FileChoice.h"

#include <cstring>

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
    if (last == '\\' || last == '/')
        return folder + name;
    return folder + "\\" + name;
}

SFileChoice SplitFileChoice(const char* buffer, size_t size, size_t fileOffset)
{
    SFileChoice choice;
    if (buffer == nullptr || size == 0 || std::memchr(buffer, '\0', size) == nullptr)
        return choice;
    const std::string first(buffer);
    if (first.empty())
        return choice;
    if (fileOffset > 0 && fileOffset < first.size()) {
        // One file: the first string is its full path.
        choice.paths.push_back(first);
        choice.folder = first.substr(0, fileOffset);
        return choice;
    }
    // Several files: the folder, then the names, up to an empty string.
    choice.folder = first;
    size_t at = first.size() + 1;
    while (at < size) {
        const void* end = std::memchr(buffer + at, '\0', size - at);
        if (end == nullptr)
            break;
        const size_t length = static_cast<size_t>(static_cast<const char*>(end) - (buffer + at));
        if (length == 0)
            break;
        choice.paths.push_back(JoinPath(first, std::string(buffer + at, length)));
        at += length + 1;
    }
    return choice;
}
