// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/player/DeviceRig.h"

#include <atomic>
#include <chrono>

CTempFolder::CTempFolder()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_root = std::filesystem::temp_directory_path() /
             ("quavel-rig-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_root);
}

CTempFolder::~CTempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

std::vector<uint8_t> MakeBytes(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345;
        bytes[i] = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
}

SPlayerOptions QuickPlayer()
{
    SPlayerOptions o;
    o.readyAtOnce = true;
    o.formatTime = 1000000000;
    return o;
}

CDeviceRig::CDeviceRig(const SPlayerOptions& options, SDelays delays)
    : m_player(new CVirtualPlayer(options)), m_delays(delays)
{
    NewDevice();
}

void CDeviceRig::NewDevice()
{
    m_device.reset(new CRioDevice(*m_player));
    m_device->SetPort(m_player->Options().base);
    m_device->SetIODelayInit(m_delays.init);
    m_device->SetIODelayTx(m_delays.tx);
    m_device->SetIODelayRx(m_delays.rx);
}
