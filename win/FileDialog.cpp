// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/FileDialog.h"

#include "win/CurrentDirectory.h"
#include "win/FileChoice.h"

#include <cderr.h>
#include <commdlg.h>

const char* const kChoiceTooLong = "You chose more files than Quavel can take in one go.\r\n\r\n"
                                   "Please choose fewer files.";
const char* const kPathTooLong = "The path you chose is longer than Quavel can take.\r\n\r\n"
                                 "Please choose a shorter path.";

SFileDialogResult RunFileDialog(HWND owner, bool save, const char* title, const char* filter, const char* extension,
                                const std::string& initialFolder, DWORD flags, DWORD bufferSize)
{
    std::vector<char> buffer(bufferSize, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = bufferSize;
    ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | flags;

    SFileDialogResult result;
    {
        CCurrentDirectoryKeeper currentDirectory;
        result.chosen = (save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn)) != FALSE;
    }
    if (!result.chosen) {
        result.tooLong = ::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL;
        return result;
    }
    SFileChoice choice = SplitFileChoice(buffer.data(), buffer.size(), ofn.nFileOffset);
    result.chosen = !choice.paths.empty();
    result.paths = std::move(choice.paths);
    result.folder = std::move(choice.folder);
    return result;
}
