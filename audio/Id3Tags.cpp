// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Id3Tags.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr int kId3v2HeaderBytes = 10;
constexpr int kId3v2FooterFlag = 0x10;
constexpr int kId3v1Bytes = 128;
constexpr int kApeFooterBytes = 32;
constexpr uint32_t kApeHasHeader = 0x80000000u;

bool ReadAt(std::ifstream& in, int64_t at, void* data, int64_t n)
{
    in.clear();
    in.seekg(at);
    in.read(static_cast<char*>(data), n);
    return in.gcount() == n;
}

uint32_t LittleEndian32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The size of an ID3v2 tag starting at h, or 0 when h holds none.
int64_t Id3v2Bytes(const uint8_t h[kId3v2HeaderBytes])
{
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF)
        return 0;
    int64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (h[i] & 0x80)   // sizes are 7 bits per byte
            return 0;
        size = size << 7 | h[i];
    }
    return kId3v2HeaderBytes + size + ((h[5] & kId3v2FooterFlag) ? kId3v2HeaderBytes : 0);
}

}  // namespace

STagSpan FindTags(const std::string& path)
{
    STagSpan span;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return span;
    in.seekg(0, std::ios::end);
    span.fileBytes = span.end = static_cast<int64_t>(in.tellg());
    uint8_t h[kId3v2HeaderBytes];
    while (span.start + kId3v2HeaderBytes <= span.end && ReadAt(in, span.start, h, sizeof h)) {
        const int64_t n = Id3v2Bytes(h);
        if (n == 0 || span.start + n > span.end)
            break;
        span.start += n;
    }
    // APEv2 and ID3v1 in either order at the end.
    for (bool found = true; found;) {
        found = false;
        uint8_t t[kApeFooterBytes];
        if (span.end - kId3v1Bytes >= span.start && ReadAt(in, span.end - kId3v1Bytes, t, 3) &&
            std::memcmp(t, "TAG", 3) == 0) {
            span.end -= kId3v1Bytes;
            found = true;
        }
        if (span.end - kApeFooterBytes >= span.start && ReadAt(in, span.end - kApeFooterBytes, t, sizeof t) &&
            std::memcmp(t, "APETAGEX", 8) == 0) {
            const int64_t n = LittleEndian32(t + 12) + ((LittleEndian32(t + 20) & kApeHasHeader) ? kApeFooterBytes : 0);
            if (n >= kApeFooterBytes && span.end - n >= span.start) {
                span.end -= n;
                found = true;
            }
        }
    }
    return span;
}

bool CopyWithoutTags(const std::string& path, const std::string& outPath, std::string& error)
{
    const STagSpan span = FindTags(path);
    std::ifstream in(path, std::ios::binary);
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(1 << 16);
    in.seekg(span.start);
    for (int64_t left = span.end - span.start; in && out && left > 0;) {
        const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
        in.read(buffer.data(), n);
        out.write(buffer.data(), in.gcount());
        left -= in.gcount();
        if (in.gcount() != n)
            break;
    }
    out.close();
    if (!in || !out) {
        error = "it cannot be copied without its tags";
        return false;
    }
    return true;
}

int64_t EncoderGapSamples(const std::string& path, int64_t start)
{
    // Header, side information (by version and mode), then the tag.
    constexpr int kXingFrames = 1, kXingBytes = 2, kXingToc = 4, kXingQuality = 8;
    constexpr int kGapOffset = 21;   // in the encoder's extension: 12 bits delay, 12 bits padding
    std::ifstream in(path, std::ios::binary);
    uint8_t frame[256];
    if (!ReadAt(in, start, frame, sizeof frame) || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0)
        return 0;
    const bool mpeg1 = (frame[1] & 0x18) == 0x18;
    const bool mono = (frame[3] & 0xC0) == 0xC0;
    size_t at = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0)
        return 0;
    const uint32_t flags = static_cast<uint32_t>(frame[at + 4]) << 24 | frame[at + 5] << 16 | frame[at + 6] << 8 |
                           frame[at + 7];
    at += 8 + ((flags & kXingFrames) ? 4 : 0) + ((flags & kXingBytes) ? 4 : 0) + ((flags & kXingToc) ? 100 : 0) +
          ((flags & kXingQuality) ? 4 : 0);
    if (at + kGapOffset + 3 > sizeof frame)
        return 0;
    for (size_t i = at; i < at + 4; ++i)
        if (!std::isalnum(frame[i]))
            return 0;
    const uint8_t* g = frame + at + kGapOffset;
    return (g[0] << 4 | g[1] >> 4) + ((g[1] & 0x0F) << 8 | g[2]);
}
