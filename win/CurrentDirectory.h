// SPDX-License-Identifier: GPL-3.0-or-later
// Saves the process's current directory and restores it when the object ends
// (file dialogs change it as the user browses).
#pragma once

#include <string>

class CCurrentDirectoryKeeper {
public:
    CCurrentDirectoryKeeper();
    ~CCurrentDirectoryKeeper();
    CCurrentDirectoryKeeper(const CCurrentDirectoryKeeper&) = delete;
    CCurrentDirectoryKeeper& operator=(const CCurrentDirectoryKeeper&) = delete;
    const std::string& Saved() const { return m_saved; }

    static std::string Get();
    static bool Set(const std::string& path);

private:
    std::string m_saved;
};
