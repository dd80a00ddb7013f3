// SPDX-License-Identifier: GPL-3.0-or-later
// The platform-free rules of an upload (player to PC): which names on the player
// may become file names in a PC folder, the destination folder's form, and the
// message shown when the destination drive has too little room.
#pragma once
#include <cstdint>
#include <string>

// Whether a file name from the player can be put below a PC folder without
// leaving it or reaching a device: not empty; no path separator (\ or /), drive
// or stream colon, wildcard, quote, angle bracket, bar or control character;
// not made of dots and blanks only (".", "..", "..."), and no "..";
// and not a reserved device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9), in any letter case, with or without an extension or trailing dots and
// blanks. A corrupt or hostile player directory can hold any such name.
bool IsSafePcFileName(const std::string& name);

// The message for a refused name, in the style of the session's messages.
std::string UnsafeNameErrorText(const std::string& name);

// The selected folder with a backslash appended unless it ends with one.
std::string UploadFolder(const std::string& selectedPath);

// "There isn't enough free space on the harddisk to upload all the files.\n\n"
// "Harddisk:    <free / 1000> KB free\nFiles:         <needed / 1000> KB needed."
// Both figures in 64 bits, so that large drives show their true figure.
std::string FreeSpaceMessage(uint64_t freeBytes, uint64_t neededBytes);
