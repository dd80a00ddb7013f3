// SPDX-License-Identifier: GPL-3.0-or-later
// Small MP3 files made by the project: a run of MPEG-1 Layer III frames whose
// headers are valid (so that the player's list shows their bitrate) around
// quiet frame bodies. Used to seed the demonstration player and by tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace demo {

// Bitrates of MPEG-1 Layer III by header index, in kbit/s (0: free, 15: bad).
constexpr int kLayer3Bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kSampleRate = 44100;   // header sample-rate index 0

// The header index of a bitrate, or 0 when the bitrate has none.
inline int BitrateIndex(int kbps)
{
    for (int i = 1; i < 15; ++i)
        if (kLayer3Bitrates[i] == kbps)
            return i;
    return 0;
}

// `bytes` bytes of frames (the last one cut short) at the bitrate (kbit/s); `seed` varies the
// bodies so that files differ. The first four bytes are a frame header.
inline std::vector<uint8_t> MakeMp3(int kbps, size_t bytes, uint32_t seed)
{
    const int index = BitrateIndex(kbps);
    const size_t frameSize = static_cast<size_t>(144 * kbps * 1000 / kSampleRate);
    std::vector<uint8_t> data;
    if (index == 0 || frameSize < 8)
        return data;
    data.reserve(bytes + frameSize);
    uint32_t noise = seed * 2654435761u + 1;
    while (data.size() < bytes) {
        data.push_back(0xFF);
        data.push_back(0xFB);                                   // MPEG-1, Layer III, no CRC
        data.push_back(static_cast<uint8_t>(index << 4));       // 44.1 kHz, no padding
        data.push_back(0x44);                                   // joint stereo
        for (size_t i = 4; i < frameSize; ++i) {
            noise = noise * 1103515245u + 12345u;
            // Quiet bodies: small values, never 0xFF, so no false frame sync.
            data.push_back(static_cast<uint8_t>((noise >> 16) & 0x0F));
        }
    }
    data.resize(bytes);
    return data;
}

}  // namespace demo
