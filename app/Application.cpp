// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <windows.h>

#include <vector>

const char* const kCompanyKey = "Kestry";

std::string ExecutablePath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD got = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0)
            return std::string();
        if (got < buffer.size())
            return std::string(buffer.data(), got);
        buffer.resize(buffer.size() * 2);  // truncated: try a larger buffer
    }
}

std::string BaseNameWithoutExtension(const std::string& path)
{
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string ApplicationName()
{
    return BaseNameWithoutExtension(ExecutablePath());
}
