// SPDX-License-Identifier: GPL-3.0-or-later
// Seeds a new demonstration player with three small MP3 files, so that the
// first start of Quavel with a virtual player shows the program at work.
//
//   quavel_seed_player DIR [Quavel's virtual-player options...]
//
// DIR is the player's image folder. A folder that already holds an image is
// left alone: the demonstration player keeps what the user did with it.
#include "device/RioDevice.h"
#include "player/VirtualPlayer.h"
#include "port/PortOptions.h"
#include "tools/seed/DemoMp3.h"

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
struct SDemoFile {
    const char* name;
    int kbps;
    size_t bytes;
};

const SDemoFile kDemoFiles[] = {
    {"Quavel Demo - Morning Walk.mp3", 128, 180 * 1024},
    {"Quavel Demo - Printer Port Blues.mp3", 160, 260 * 1024},
    {"Quavel Demo - Flash Memory.mp3", 96, 120 * 1024},
};

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [virtual-player options]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    if (Exists(dir + "/internal.img"))
        return 0;

    std::vector<std::string> words(argv + 2, argv + argc);
    SPortOptions port;
    std::string error;
    words.push_back("--virtual-player=" + dir);
    if (!ParsePortOptions(words, port, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    SPlayerOptions options;
    options.base = static_cast<uint16_t>(port.playerPort);
    options.largeChips = port.largePlayer;
    options.cardCode = static_cast<uint8_t>(port.cardDeviceCode);
    options.imageDir = dir;
    CVirtualPlayer player(options);
    if (!player.ImageError().empty()) {
        std::fprintf(stderr, "%s\n", player.ImageError().c_str());
        return 1;
    }
    CRioDevice device(player);
    device.SetPort(port.playerPort);
    if (!device.Detect() || !device.ReadDirectory()) {
        std::fprintf(stderr, "the new player does not answer: %s\n", device.GetErrorText());
        return 1;
    }
    // The files are made in the image folder under their own names (the
    // player keeps the name), sent, and removed again.
    uint32_t seed = 1;
    for (const SDemoFile& file : kDemoFiles) {
        const std::string path = dir + "/" + file.name;
        if (!WriteFile(path, demo::MakeMp3(file.kbps, file.bytes, seed++))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const bool sent = device.DownloadFile(path.c_str(), nullptr) && device.WriteDirectory();
        std::remove(path.c_str());
        if (!sent) {
            std::fprintf(stderr, "sending %s failed: %s\n", file.name, device.GetErrorText());
            return 1;
        }
    }
    std::printf("seeded the demonstration player in %s with %zu files\n", dir.c_str(),
                sizeof kDemoFiles / sizeof kDemoFiles[0]);
    return 0;
}
