// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder of the system's temporary folder for one test, removed with
// everything in it when the test ends.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace playlisttest {

class CTempFolder {
public:
    CTempFolder()
    {
        namespace fs = std::filesystem;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int i = 0; i < 1000; ++i) {
            fs::path p = fs::temp_directory_path() / ("quavel-pl-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(i));
            std::error_code error;
            if (fs::create_directory(p, error)) {
                m_root = p;
                break;
            }
        }
    }
    ~CTempFolder()
    {
        std::error_code error;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, error);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    std::string Root() const { return m_root.string(); }
    std::string Path(const std::string& name) const { return (m_root / name).string(); }

    // Writes a file of these bytes; returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        const std::string path = Path(name);
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }

    // The names in the folder, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_root, error))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_root;
};

}  // namespace playlisttest
