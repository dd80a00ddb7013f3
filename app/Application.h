// SPDX-License-Identifier: GPL-3.0-or-later
// Names the running program goes by: its executable's path, and its application
// name (the executable's base name), which keys the settings and captions messages.
#pragma once

#include <string>

std::string ExecutablePath();
// "C:\Apps\Quavel.EXE" -> "Quavel".
std::string ApplicationName();
// The base name of a path without its extension.
std::string BaseNameWithoutExtension(const std::string& path);

// The maker's key word under HKEY_CURRENT_USER\Software.
extern const char* const kCompanyKey;
