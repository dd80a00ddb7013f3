// SPDX-License-Identifier: GPL-3.0-or-later
// A temporary folder of this test process alone. ctest runs every test case as
// its own process, two at a time: files under fixed names in the shared
// temporary folder would be written, read and removed by two cases at once.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

inline const std::filesystem::path& ProcessTempFolder()
{
    static const std::filesystem::path folder = [] {
#ifdef _WIN32
        const long pid = long(_getpid());
#else
        const long pid = long(getpid());
#endif
        std::error_code ec;
        return std::filesystem::temp_directory_path(ec) / ("quavel-test-" + std::to_string(pid));
    }();
    return folder;
}

// The folder's path with its separator at the end; made at the first call and
// removed with whatever is left in it when the process ends.
inline const std::string& ProcessTempDir()
{
    static const std::string dir = [] {
        std::error_code ec;
        std::filesystem::create_directories(ProcessTempFolder(), ec);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ProcessTempFolder(), ignored);
        });
        return (ProcessTempFolder() / "").string();
    }();
    return dir;
}
