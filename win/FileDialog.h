// SPDX-License-Identifier: GPL-3.0-or-later
// The platform's file-open and file-save dialogs, run with the current
// directory saved and restored around them (the dialog changes it as the user
// browses), their choice taken apart into full paths.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SFileDialogResult {
    bool chosen = false;               // at least one file was chosen
    bool tooLong = false;              // not chosen: the choice did not fit the buffer
    std::vector<std::string> paths;    // full paths, in the dialog's order
    std::string folder;                // the dialog's path less its file-name part
};

// Shown when a multiple choice did not fit, rather than doing nothing as if
// the user had changed their mind.
extern const char* const kChoiceTooLong;
// The same for one path (open or save) longer than the dialog's buffer.
extern const char* const kPathTooLong;

// save: the save dialog instead of the open dialog. flags are added to
// OFN_EXPLORER | OFN_HIDEREADONLY; bufferSize is the result buffer's size in
// characters.
SFileDialogResult RunFileDialog(HWND owner, bool save, const char* title, const char* filter, const char* extension,
                                const std::string& initialFolder, DWORD flags, DWORD bufferSize);
