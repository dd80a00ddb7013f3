// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark of the device link against the virtual player. One line per case,
// key=value fields:
//   register traffic of single operations (player ready at once),
//   modelled transfer rate at 1 us per register access with datasheet busy
//   times (model_kbps: kilobits per second, model_kBps: kilobytes per second),
//   host speed of a full 32 MB memory written file by file and read back,
//   the cost of identifying the chip again on the open link after each
//   operation's last block (the check that tells a vanished player from a
//   successful transfer),
//   the register accesses of a sync that finds nothing to change against
//   those of list (both as quavel-cli runs them: find the player, read the
//   directory), and the sync plan's modelled block times beside the measured ones.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "device/MessageSink.h"
#include "device/PortProvider.h"
#include "device/RioDevice.h"
#include "device/RioSession.h"
#include "player/VirtualPlayer.h"
#include "sync/SyncPlan.h"
#include "sync/SyncRun.h"
#include "sync/SyncSources.h"

namespace {

struct SSpeed {
    const char* name;
    int init;
    int tx;
    int rx;
};
const SSpeed kSpeeds[] = {
    {"SLOW", 25000, 150, 3},
    {"MEDIUM", 20000, 100, 2},
    {"FAST", 15000, 10, 1},
};

struct SMemory {
    const char* name;
    int select;       // device memory selection
};
const SMemory kMemories[] = {{"internal", 0}, {"card", 1}};

void ApplySpeed(CRioDevice& dev, const SSpeed& s)
{
    dev.SetIODelayInit(s.init);
    dev.SetIODelayTx(s.tx);
    dev.SetIODelayRx(s.rx);
}

SPlayerOptions PlayerOptions(bool readyAtOnce)
{
    SPlayerOptions o;
    o.cardCode = 0x75;  // a 32 MB card, as large as the internal memory
    o.readyAtOnce = readyAtOnce;
    return o;
}

bool Check(bool ok, const CRioDevice& dev, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "%s failed: %s\n", what, dev.GetErrorText());
    return ok;
}

// Register writes and reads of each single operation.
bool TrafficCases()
{
    std::vector<uint8_t> block(kRioBlockSize, 0x5A);
    for (const SMemory& m : kMemories) {
        for (const SSpeed& s : kSpeeds) {
            CVirtualPlayer player(PlayerOptions(true));
            CRioDevice dev(player);
            dev.SetPort(888);
            dev.SetMemory(m.select);
            ApplySpeed(dev, s);
            struct SOp {
                const char* name;
                bool (*run)(CRioDevice&, std::vector<uint8_t>&);
            };
            const SOp ops[] = {
                {"TxBlock", [](CRioDevice& d, std::vector<uint8_t>& b) { return d.TxBlock(b.data(), 1, 0xFFFF, 0xFFFF); }},
                {"RxBlock", [](CRioDevice& d, std::vector<uint8_t>& b) { return d.RxBlock(b.data(), 1); }},
                {"Detect", [](CRioDevice& d, std::vector<uint8_t>&) { return d.Detect(); }},
                {"ReadDirectory", [](CRioDevice& d, std::vector<uint8_t>&) { return d.ReadDirectory(); }},
            };
            if (!Check(dev.Detect(), dev, "Detect"))
                return false;
            for (const SOp& op : ops) {
                player.ResetCounters();
                if (!Check(op.run(dev, block), dev, op.name))
                    return false;
                std::printf("op=%s memory=%s speed=%s writes=%llu reads=%llu\n", op.name, m.name, s.name,
                            static_cast<unsigned long long>(player.Writes()),
                            static_cast<unsigned long long>(player.Reads()));
            }
            if (player.ProtocolErrors() != 0) {
                std::fprintf(stderr, "protocol errors:\n%s", player.Log().Dump().c_str());
                return false;
            }
        }
    }
    return true;
}

// Modelled rate of whole block transfers, retries included, at datasheet busy times.
bool ModelCases()
{
    std::vector<uint8_t> block(kRioBlockSize, 0xA5);
    for (const SMemory& m : kMemories) {
        for (const SSpeed& s : kSpeeds) {
            CVirtualPlayer player(PlayerOptions(false));
            CRioDevice dev(player);
            dev.SetPort(888);
            dev.SetMemory(m.select);
            ApplySpeed(dev, s);
            if (!Check(dev.Detect(), dev, "Detect"))
                return false;
            for (const char* op : {"SendBlock", "ReceiveBlock"}) {
                const uint64_t start = player.Micros();
                const bool write = op[0] == 'S';
                const bool ok = write ? dev.SendBlock(block.data(), 2, 0xFFFF, 0xFFFF) : dev.ReceiveBlock(block.data(), 2);
                if (!Check(ok, dev, op))
                    return false;
                const double seconds = static_cast<double>(player.Micros() - start) / 1e6;
                std::printf("op=%s memory=%s speed=%s model_ms=%.1f model_kbps=%.1f model_kBps=%.1f "
                            "sync_plan_ms=%.1f\n",
                            op, m.name, s.name, seconds * 1e3, kRioBlockSize * 8 / 1000.0 / seconds,
                            kRioBlockSize / 1024.0 / seconds,
                            ModelledBlockMicros(s.init, s.tx, s.rx, m.select != 0, !write) / 1e3);
            }
        }
    }
    return true;
}

// The whole internal memory written file by file (each followed by the directory
// write, as a session does) and read back, at the default (MEDIUM) delays.
bool FullCycle()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "quavel-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "up");

    CVirtualPlayer player(PlayerOptions(true));
    CRioDevice dev(player);
    dev.SetPort(888);
    if (!Check(dev.Detect(), dev, "Detect") || !Check(dev.ReadDirectory(), dev, "ReadDirectory"))
        return false;
    // 31 files of 33 blocks fill the 1023 blocks beside the directory.
    const int files = 31;
    const size_t fileBytes = 33u * kRioBlockSize;
    std::vector<std::vector<uint8_t>> contents(files);
    for (int f = 0; f < files; ++f) {
        contents[f].resize(fileBytes);
        uint32_t x = 1234567u + static_cast<uint32_t>(f);
        for (uint8_t& b : contents[f]) {
            x = x * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(x >> 24);
        }
        const std::string path = (dir / ("file" + std::to_string(f) + ".mp3")).string();
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(contents[f].data(), 1, fileBytes, out) != fileBytes)
            return false;
        std::fclose(out);
    }

    const uint64_t accessesBefore = player.Accesses();
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < files; ++f) {
        const std::string path = (dir / ("file" + std::to_string(f) + ".mp3")).string();
        if (!Check(dev.DownloadFile(path.c_str(), nullptr), dev, "DownloadFile") ||
            !Check(dev.WriteDirectory(), dev, "WriteDirectory"))
            return false;
    }
    for (int f = 0; f < files; ++f) {
        const std::string path = (dir / "up" / ("file" + std::to_string(f) + ".mp3")).string();
        if (!Check(dev.UploadFile(path.c_str(), nullptr), dev, "UploadFile"))
            return false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const uint64_t accesses = player.Accesses() - accessesBefore;

    bool same = dev.GetHeader().free == 0;
    std::vector<uint8_t> back(fileBytes);
    for (int f = 0; f < files && same; ++f) {
        const std::string path = (dir / "up" / ("file" + std::to_string(f) + ".mp3")).string();
        std::FILE* in = std::fopen(path.c_str(), "rb");
        same = in && std::fread(back.data(), 1, fileBytes, in) == fileBytes && back == contents[f];
        if (in)
            std::fclose(in);
    }
    fs::remove_all(dir);
    if (!same || player.ProtocolErrors() != 0) {
        std::fprintf(stderr, "full cycle: data differ or protocol errors\n%s", player.Log().Dump().c_str());
        return false;
    }
    std::printf("op=FullCycle bytes=%llu accesses=%llu seconds=%.2f accesses_per_s=%.0f\n",
                static_cast<unsigned long long>(2ull * files * fileBytes), static_cast<unsigned long long>(accesses),
                seconds, static_cast<double>(accesses) / seconds);
    return true;
}

// Register accesses of whole operations as the session runs them, and the share
// of them spent on the identification (PlayerAnswers, on the link the transfer
// left open) that follows the last block of a download or upload and each
// directory write: register writes + reads. A bad-block check adds one only for
// each block that fails its patterns.
bool VanishCheckCost()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "quavel-bench-vanish";
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const SSpeed& s : kSpeeds) {
        CVirtualPlayer player(PlayerOptions(true));
        CRioDevice dev(player);
        dev.SetPort(888);
        ApplySpeed(dev, s);
        if (!Check(dev.Detect(), dev, "Detect") || !Check(dev.ReadDirectory(), dev, "ReadDirectory"))
            return false;
        std::vector<uint8_t> block(kRioBlockSize);
        if (!Check(dev.ReceiveBlock(block.data(), 0), dev, "ReceiveBlock"))
            return false;
        player.ResetCounters();
        if (!Check(dev.PlayerAnswers(), dev, "PlayerAnswers"))
            return false;
        const uint64_t check = player.Writes() + player.Reads();
        dev.ReleaseLink();
        struct SCase {
            const char* op;
            size_t bytes;
        };
        const SCase cases[] = {{"Download+WriteDirectory", 1}, {"Download+WriteDirectory", 32768u * 4},
                               {"Download+WriteDirectory", 32768u * 128}, {"Upload", 32768u * 4},
                               {"Delete+WriteDirectory", 0}};
        int n = 0;
        for (const SCase& c : cases) {
            const std::string path = (dir / ("f" + std::to_string(n++) + ".mp3")).string();
            bool ok = true;
            int checks = 2;
            player.ResetCounters();
            if (std::strcmp(c.op, "Upload") == 0) {
                const std::string up = (dir / "f1.mp3").string();
                ok = dev.UploadFile(up.c_str(), nullptr);
                checks = 1;
            } else if (std::strcmp(c.op, "Delete+WriteDirectory") == 0) {
                ok = dev.DeleteFile("f0.mp3") && dev.WriteDirectory();
                checks = 1;
            } else {
                std::FILE* out = std::fopen(path.c_str(), "wb");
                if (!out)
                    return false;
                std::vector<uint8_t> bytes(c.bytes, 0x3C);
                std::fwrite(bytes.data(), 1, bytes.size(), out);
                std::fclose(out);
                player.ResetCounters();
                ok = dev.DownloadFile(path.c_str(), nullptr) && dev.WriteDirectory();
            }
            if (!Check(ok, dev, c.op))
                return false;
            const uint64_t total = player.Writes() + player.Reads();
            std::printf("op=VanishCheck case=%s blocks=%llu speed=%s accesses=%llu check_accesses=%llu share=%.2f%%\n",
                        c.op, static_cast<unsigned long long>((c.bytes + 32767) / 32768), s.name,
                        static_cast<unsigned long long>(total), static_cast<unsigned long long>(checks * check),
                        100.0 * double(checks * check) / double(total));
        }
    }
    fs::remove_all(dir);
    return true;
}

class CQuietSink : public CMessageSink {
public:
    void ShowError(const char* text) override { std::fprintf(stderr, "%s\n", text); }
};

// A player holding 20 files; `list` is a session that finds the player and
// reads the directory; a sync of the same 20 files is that plus reading the
// list's sources, preparing and planning, and a run of the (empty) plan.
bool SyncAgainstList()
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "quavel-bench-sync";
    fs::remove_all(dir);
    fs::create_directories(dir);
    CVirtualPlayer player(PlayerOptions(true));
    std::vector<std::string> paths;
    {
        CRioDevice dev(player);
        dev.SetPort(888);
        if (!Check(dev.Detect(), dev, "Detect") || !Check(dev.ReadDirectory(), dev, "ReadDirectory"))
            return false;
        for (int f = 0; f < 20; ++f) {
            const std::string path = (dir / ("track" + std::to_string(10 + f) + ".mp3")).string();
            std::vector<uint8_t> bytes(20000u + 3000u * unsigned(f), uint8_t(f));
            std::FILE* out = std::fopen(path.c_str(), "wb");
            if (!out)
                return false;
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
            paths.push_back(path);
            if (!Check(dev.DownloadFile(path.c_str(), nullptr) && dev.WriteDirectory(), dev, "DownloadFile"))
                return false;
        }
    }
    CFixedPortProvider ports(&player);
    CQuietSink sink;
    for (const SSpeed& s : kSpeeds) {
        uint64_t accesses[2] = {0, 0};
        for (int sync = 0; sync < 2; ++sync) {
            CMemorySettings settings;
            WriteIntSetting(settings, SettingIODelayInit, s.init);
            WriteIntSetting(settings, SettingIODelayTx, s.tx);
            WriteIntSetting(settings, SettingIODelayRx, s.rx);
            player.ResetCounters();
            CRioSession session(settings, sink, ports);
            if (!session.Connect() || !session.ReadDirectory())
                return false;
            if (sync) {
                const SSyncSources sources = ReadSyncSources({dir.string()}, false);
                std::vector<SSyncFile> list;
                std::vector<std::string> problems;
                const PlayerNameOf same = [](const std::string& base, std::string& name, std::string&) {
                    name = base;
                    return true;
                };
                if (!PrepareSyncFiles(sources.paths, same, list, problems))
                    return false;
                const SSyncPlan plan = MakeSyncPlan(*session.GetDevice(), list);
                if (!plan.ChangesNothing() || !RunSyncPlan(session, list, plan, SSyncHooks()).done)
                    return false;
            }
            accesses[sync] = player.Writes() + player.Reads();
        }
        std::printf("op=SyncNoChange files=20 speed=%s sync_accesses=%llu list_accesses=%llu\n", s.name,
                    static_cast<unsigned long long>(accesses[1]), static_cast<unsigned long long>(accesses[0]));
    }
    fs::remove_all(dir);
    return true;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!TrafficCases() || !ModelCases() || !VanishCheckCost() || !SyncAgainstList() || !FullCycle())
        return 1;
    return 0;
}
