// SPDX-License-Identifier: GPL-3.0-or-later
// A device object wired to a virtual player, with PC files in a private folder:
// what the integration tests of the device link share.
#pragma once
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/RioDevice.h"
#include "player/VirtualPlayer.h"

// A folder of its own for one test's PC files, removed afterwards.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    std::string Path(const std::string& name) const { return (m_root / name).string(); }

private:
    std::filesystem::path m_root;
};

// Bytes with a recognisable pattern that differs between seeds and positions.
std::vector<uint8_t> MakeBytes(size_t size, uint32_t seed);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

struct SDelays {
    int init;
    int tx;
    int rx;
};
// Short delays: the traffic is the same, only the counts shrink.
constexpr SDelays kTestDelays = {8, 2, 1};

class CDeviceRig {
public:
    explicit CDeviceRig(const SPlayerOptions& options, SDelays delays = kTestDelays);

    CVirtualPlayer& Player() { return *m_player; }
    CRioDevice& Device() { return *m_device; }
    // A fresh device object on the same player (what a new session would make).
    void NewDevice();
    SDelays Delays() const { return m_delays; }

private:
    std::unique_ptr<CVirtualPlayer> m_player;
    std::unique_ptr<CRioDevice> m_device;
    SDelays m_delays;
};

SPlayerOptions QuickPlayer();
