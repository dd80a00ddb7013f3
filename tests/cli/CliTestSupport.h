// SPDX-License-Identifier: GPL-3.0-or-later
// Runs quavel-cli in-process on a virtual player whose images live in a
// private folder, with its output captured.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgress.h"
#include "device/RioDevice.h"
#include "player/VirtualPlayer.h"
#include "tests/player/DeviceRig.h"

struct SCliRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Short delay counts: the same traffic, fewer pacing reads.
constexpr const char* kQuickSpeed = "--speed=8,2,1";

inline SCliRun RunQuavelCli(const std::vector<std::string>& args, CPpdevCalls* ppdev = nullptr,
                            CPcFiles* pcFiles = nullptr, std::function<void(CVirtualPlayer&)> playerFaults = {})
{
    std::vector<const char*> argv{"quavel-cli"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    SCliIo io{out, err, false, ppdev, pcFiles, playerFaults};
    io.codeset = "UTF-8"; // the same on every build and in any locale
    SCliRun run;
    run.code = RunCli(static_cast<int>(argv.size()), argv.data(), io);
    run.out = out.str();
    run.err = err.str();
    return run;
}

class CCliTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        CCliProgress::SetBlockHook(nullptr);
        ClearInterrupt();
    }

    std::string PlayerDir() const { return m_folder.Path("player"); }

    // quavel-cli --virtual-player=<player> --speed=8,2,1 args...
    SCliRun Cli(std::initializer_list<std::string> args, const std::string& dir = std::string())
    {
        std::vector<std::string> all{"--virtual-player=" + (dir.empty() ? PlayerDir() : dir), kQuickSpeed};
        all.insert(all.end(), args.begin(), args.end());
        return RunQuavelCli(all, nullptr, m_pcFiles, m_playerFaults);
    }

    // A PC file of size bytes; a frame header first when header is given.
    std::string MakeFile(const std::string& name, size_t size, uint32_t seed, const std::vector<uint8_t>& header = {})
    {
        std::vector<uint8_t> bytes = MakeBytes(size, seed);
        for (size_t i = 0; i < header.size() && i < size; ++i)
            bytes[i] = header[i];
        const std::string path = Path(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    // Joined as bytes: a name in another code page must reach the file system unchanged.
    std::string Path(const std::string& name) const { return m_folder.Path("") + name; }

    // Stops the running operation before block `at` (only the first time it is reached).
    static void InterruptAt(int at)
    {
        CCliProgress::SetBlockHook([at](int done, int) {
            if (done == at)
                RequestInterrupt();
        });
    }

    CTempFolder m_folder;
    CPcFiles* m_pcFiles = nullptr;                       // the next runs' PC files
    std::function<void(CVirtualPlayer&)> m_playerFaults; // the next runs' player faults
};

// A fresh device object on a fresh virtual player over the same images: what
// a later run of either program would see.
class CReopenedPlayer {
public:
    explicit CReopenedPlayer(const std::string& dir, bool card = false, uint8_t cardCode = 0)
    {
        SPlayerOptions o = QuickPlayer();
        o.imageDir = dir;
        o.cardCode = cardCode;
        m_player.reset(new CVirtualPlayer(o));
        m_device.reset(new CRioDevice(*m_player));
        m_device->SetPort(o.base);
        m_device->SetIODelayInit(8);
        m_device->SetIODelayTx(2);
        m_device->SetIODelayRx(1);
        m_device->SetMemory(card ? 1 : 0);
        m_detected = m_device->Detect();
        m_read = m_detected && m_device->ReadDirectory();
    }
    bool Read() const { return m_read; }
    CRioDevice& Device() { return *m_device; }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (int i = 0; i < m_device->EntryCount(); ++i) {
            char name[kRioNameSize + 1];
            DirectoryEntry::Read(m_device->EntrySlot(i)).GetName(name);
            names.push_back(name);
        }
        return names;
    }

private:
    std::unique_ptr<CVirtualPlayer> m_player;
    std::unique_ptr<CRioDevice> m_device;
    bool m_detected = false;
    bool m_read = false;
};
