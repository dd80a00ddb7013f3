// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of files that the platform's file-open dialog hands back in one
// buffer, taken apart: the chosen files' full paths in the dialog's order, and
// the folder the download dialog remembers for its next opening.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SFileChoice {
    // Full path of every chosen file, in the dialog's order.
    std::vector<std::string> paths;
    // What the dialog's path loses of its end when its file-name part is taken
    // away: the folder with its trailing backslash for one file, the folder
    // itself (as the dialog gives it) for several.
    std::string folder;
};

// buffer/size: the dialog's result buffer, fileOffset: the offset of the first
// file name that the dialog reports. One file: "C:\dir\a.mp3" with the offset at
// "a.mp3". Several: "C:\dir", then each name, each ending with a zero, the list
// ending with two. A buffer without a terminating zero gives no choice.
SFileChoice SplitFileChoice(const char* buffer, size_t size, size_t fileOffset);

// Joins a folder and a file name with exactly one backslash between them.
std::string JoinPath(const std::string& folder, const std::string& name);
