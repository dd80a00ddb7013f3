// SPDX-License-Identifier: GPL-3.0-or-later
// Music made at test time by Debian's ffmpeg command from a tone, and the
// check that a file is MPEG-1 Layer III at a constant bitrate.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "playlist/FileEntry.h"
#include "tests/cli/CliTestSupport.h"

// An input made by ffmpeg from a tone: lavfi source options, then the output options.
inline std::string Input(const std::string& name, const std::string& tone, const std::string& options)
{
    const std::string path = std::string(QUAVEL_AUDIO_INPUTS) + "/" + name;
    if (!std::filesystem::exists(path)) {
        std::filesystem::create_directories(QUAVEL_AUDIO_INPUTS);
        // Made under another name first: test processes may run side by side.
        const std::string part = std::string(QUAVEL_AUDIO_INPUTS) + "/part-" + std::to_string(::getpid()) + "-" + name;
        const std::string command =
            "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=1000:" + tone + " " + options + " " + part;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::filesystem::rename(part, path);
    }
    return path;
}

// Every frame: MPEG-1 Layer III without CRC at kbps and rate, back to back to the end.
inline std::string FrameFault(const std::vector<uint8_t>& b, int kbps, int rate)
{
    const int rates[4] = {44100, 48000, 32000, 0};
    size_t at = 0;
    while (at + 4 <= b.size()) {
        const uint8_t* h = &b[at];
        if (h[0] != 0xFF || h[1] != 0xFB || DecodeBitrate(h) != kbps || rates[(h[2] >> 2) & 3] != rate)
            return "frame header at " + std::to_string(at);
        at += static_cast<size_t>(144000 * kbps / rate + ((h[2] >> 1) & 1));
    }
    return at == b.size() ? "" : "a cut frame at the end";
}
