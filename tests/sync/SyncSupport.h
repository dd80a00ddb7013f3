// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli sync on a virtual player with a 2 MB card: starting players made
// with put, lists written as .m3u files, and the player's files read back
// from a fresh device over its images.
#pragma once
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/cli/CliTestSupport.h"

struct SSyncFileSpec {
    const char* name;
    size_t size;
    uint32_t seed;
};

class CSyncTest : public CCliTest {
protected:
    static constexpr uint8_t kCardCode = 0x64; // 2 MB: 63 blocks for files

    // The card holding these files (PC files in start/), in this order.
    void Start(const std::vector<SSyncFileSpec>& files)
    {
        std::vector<std::string> args{"--card", "put"};
        for (const SSyncFileSpec& f : files)
            args.push_back(Make("start", f));
        if (!files.empty())
            ASSERT_EQ(Run(args).code, kExitDone);
        else
            ASSERT_EQ(Run({"--card", "list"}).code, kExitDone); // makes the empty card
    }

    // An .m3u naming the files relative to itself, with the comments players
    // write, then the files of more by their absolute paths.
    std::string List(const std::vector<SSyncFileSpec>& files, const std::vector<std::string>& more = {})
    {
        std::string text = "#EXTM3U\n";
        for (const SSyncFileSpec& f : files) {
            Make("list", f);
            text += "#EXTINF:123,Artist - " + std::string(f.name) + "\r\nlist/" + f.name + "\r\n";
        }
        for (const std::string& path : more)
            text += path + "\n";
        const std::string path = Path("list.m3u");
        EXPECT_TRUE(WriteFile(path, std::vector<uint8_t>(text.begin(), text.end())));
        return path;
    }

    std::string Make(const std::string& where, const SSyncFileSpec& f)
    {
        std::filesystem::create_directories(std::filesystem::path(Path(where + "/" + f.name)).parent_path());
        return MakeFile(where + "/" + f.name, f.size, f.seed);
    }

    SCliRun Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--virtual-player=" + PlayerDir(), "--card-size=2", kQuickSpeed});
        return RunQuavelCli(args, nullptr, nullptr, m_playerFaults);
    }

    SCliRun Sync(const std::string& list, std::vector<std::string> more = {})
    {
        std::vector<std::string> args{"--card", "sync", list, "--json"};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }

    // The card's files as a fresh device reads them: name and bytes, in order;
    // false when its directory does not read soundly.
    bool CardFiles(std::vector<std::pair<std::string, std::vector<uint8_t>>>& files)
    {
        CReopenedPlayer player(PlayerDir(), true, kCardCode);
        if (!player.Read())
            return false;
        files.clear();
        for (const std::string& name : player.Names()) {
            const std::string back = Path("back.bin");
            EXPECT_TRUE(player.Device().UploadFile(back.c_str(), nullptr, name.c_str())) << name;
            files.emplace_back(name, ReadFile(back));
        }
        return true;
    }

    std::vector<std::pair<std::string, std::vector<uint8_t>>> Expected(const std::string& where,
                                                                       const std::vector<SSyncFileSpec>& files)
    {
        std::vector<std::pair<std::string, std::vector<uint8_t>>> v;
        for (const SSyncFileSpec& f : files)
            v.emplace_back(f.name, ReadFile(Path(where + "/" + f.name)));
        return v;
    }

    std::vector<uint8_t> CardImage() { return ReadFile(PlayerDir() + "/card.img"); }
};
