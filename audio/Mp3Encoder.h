// SPDX-License-Identifier: GPL-3.0-or-later
// LAME behind a small face: planar float PCM in, MPEG-1 Layer III frames at a
// constant bitrate out, into a new file. Only the MPEG-1 rates are accepted,
// so that the encoder can never choose an MPEG-2 or 2.5 rate by itself.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

struct lame_global_struct;

class CMp3Encoder {
public:
    CMp3Encoder() = default;
    ~CMp3Encoder();
    CMp3Encoder(const CMp3Encoder&) = delete;
    CMp3Encoder& operator=(const CMp3Encoder&) = delete;

    bool Start(int rate, int channels, int kbps, const std::string& path, std::string& error);
    // count samples of each of the planes (one per channel).
    bool Encode(const float* const* planes, int count, std::string& error);
    // The last frames, then the information frame over the first one.
    bool Finish(std::string& error);

private:
    bool Write(int bytes, std::string& error);

    lame_global_struct* m_lame = nullptr;
    FILE* m_file = nullptr;
    int m_channels = 0;
    std::vector<unsigned char> m_buffer;
};
