// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/UploadChecks.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The name the file system would look up: Windows drops trailing dots and blanks.
std::string WithoutTrailingDotsAndBlanks(const std::string& name)
{
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' '))
        --end;
    return name.substr(0, end);
}

bool IsReservedDeviceName(const std::string& name)
{
    // The part before the first dot names the device ("CON.mp3" is CON), also
    // with blanks before the dot.
    std::string base = Upper(WithoutTrailingDotsAndBlanks(name.substr(0, name.find('.'))));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0)) {
        // Also the superscript digits one to three of the ANSI code page.
        const unsigned char digit = static_cast<unsigned char>(base[3]);
        return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

}  // namespace

bool IsSafePcFileName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F)
            return false;
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    if (name.find("..") != std::string::npos)
        return false;
    // Windows drops trailing dots and blanks: "a.mp3." would land as "a.mp3",
    // another file's name, and replace it without a word.
    if (WithoutTrailingDotsAndBlanks(name) != name)
        return false;
    return !IsReservedDeviceName(name);
}

std::string UnsafeNameErrorText(const std::string& name)
{
    return "Upload file failed!\r\n\r\nthe name '" + name + "' cannot be used for a file on the PC";
}

std::string UploadFolder(const std::string& selectedPath)
{
    if (!selectedPath.empty() && selectedPath.back() == '\\')
        return selectedPath;
    return selectedPath + "\\";
}

std::string FreeSpaceMessage(uint64_t freeBytes, uint64_t neededBytes)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "There isn't enough free space on the harddisk to upload all the files.\n\n"
                  "Harddisk:    %" PRIu64 " KB free\nFiles:         %" PRIu64 " KB needed.",
                  freeBytes / 1000, neededBytes / 1000);
    return text;
}
