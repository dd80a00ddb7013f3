// SPDX-License-Identifier: GPL-3.0-or-later
// The PC file operations of quavel-cli on plain narrow paths, as the device
// link opens its files: player names are bytes of any code page, and a path
// made of them must reach the file system unchanged (std::filesystem would
// convert it, and may refuse bytes it cannot convert). None of these throws.
#pragma once
#include <cstdint>
#include <string>

#include "playlist/PcFiles.h"

bool IsFolder(const std::string& path);
// Creates a folder; true also when it is there already.
bool MakeFolder(const std::string& path);
void RemoveFolder(const std::string& path);     // an empty folder
// Moves a file, replacing a file of the target's name; the reason in error
// when it cannot.
bool MoveReplacing(CPcFiles& files, const std::string& from, const std::string& to, std::string& error);
// Size of a file in bytes, or -1 when there is no such file.
long long FileBytes(const std::string& path);
// Whether two existing folders are the same one.
bool SameFolder(const std::string& a, const std::string& b);
// folder + separator + name.
std::string JoinPath(const std::string& folder, const std::string& name);
// The file name part of a PC path (a pointer into path). On Linux only '/'
// separates folders: a backslash or a colon belongs to the name.
const char* PcBaseName(const std::string& path);
