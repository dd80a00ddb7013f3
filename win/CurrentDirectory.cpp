// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/CurrentDirectory.h"

#include <windows.h>

#include <vector>

CCurrentDirectoryKeeper::CCurrentDirectoryKeeper() : m_saved(Get()) {}

CCurrentDirectoryKeeper::~CCurrentDirectoryKeeper()
{
    if (!m_saved.empty())
        Set(m_saved);
}

std::string CCurrentDirectoryKeeper::Get()
{
    DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return std::string();
    std::vector<char> buffer(needed + 1);
    DWORD got = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0 || got >= buffer.size())
        return std::string();
    return std::string(buffer.data(), got);
}

bool CCurrentDirectoryKeeper::Set(const std::string& path)
{
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}
