// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Mp3Fit.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

constexpr int kMp3Rates[] = {32000, 44100, 48000};
// The encoder's delay before the first sample and the least padding it leaves
// after the last, so that the last granule can be decoded completely.
constexpr int64_t kEncoderDelay = 576;
constexpr int64_t kLeastEndPadding = 576;
// Bytes per frame are 144 * bit/s / rate for MPEG-1 Layer III.
constexpr int64_t kFrameByteFactor = 144000;
// The information frame holds the frame header and side information (21
// bytes mono, 36 stereo) and the encoder's 156-byte tag.
constexpr int64_t kInfoTagBytes = 156;

}  // namespace

bool IsMp3Bitrate(int kbps)
{
    return std::find(std::begin(kMp3Bitrates), std::end(kMp3Bitrates), kbps) != std::end(kMp3Bitrates);
}

int Mp3OutputRate(int sourceRate)
{
    for (int rate : kMp3Rates)
        if (sourceRate == rate)
            return rate;
    if (sourceRate > 0 && sourceRate % 11025 == 0)
        return 44100;
    if (sourceRate > 0 && sourceRate % 8000 == 0)
        return sourceRate < 32000 ? 32000 : 48000;
    int best = kMp3Rates[0];
    for (int rate : kMp3Rates)
        if (std::abs(rate - sourceRate) < std::abs(best - sourceRate))
            best = rate;
    return best;
}

int64_t Mp3OutputSamples(int64_t sourceSamples, int sourceRate)
{
    const int64_t out = Mp3OutputRate(sourceRate);
    if (sourceRate <= 0 || out == sourceRate)
        return sourceSamples;
    // Rounded to the nearest; the product stays far inside 64 bits for any
    // length a player can hold (hours at 192 kHz).
    return (sourceSamples * out + sourceRate / 2) / sourceRate;
}

int64_t Mp3AudioFrames(int64_t outputSamples)
{
    const int64_t encoded = outputSamples + kEncoderDelay;
    int64_t padding = kMp3FrameSamples - encoded % kMp3FrameSamples;
    if (padding < kLeastEndPadding)
        padding += kMp3FrameSamples;
    return (encoded + padding) / kMp3FrameSamples;
}

int Mp3OutputChannels(int sourceChannels)
{
    return sourceChannels == 1 ? 1 : 2;
}

int64_t Mp3Bytes(int64_t sourceSamples, int sourceRate, int sourceChannels, int kbps)
{
    const int64_t rate = Mp3OutputRate(sourceRate);
    const int64_t frames = Mp3AudioFrames(Mp3OutputSamples(sourceSamples, sourceRate));
    const int64_t whole = kFrameByteFactor * kbps / rate;
    const int64_t fraction = kFrameByteFactor * kbps % rate;
    // The encoder pads a frame whenever the fractions it has left out add up
    // to a byte; the first frame never is: (frames - 1) * fraction / rate,
    // rounded up, frames carry a padding byte.
    const int64_t padded = ((frames - 1) * fraction + rate - 1) / rate;
    // The information frame is one unpadded frame of the same bitrate, when
    // the tag fits into it.
    const int64_t sideInfo = Mp3OutputChannels(sourceChannels) == 1 ? 21 : 36;
    const int64_t info = whole >= sideInfo + kInfoTagBytes ? whole : 0;
    return info + frames * whole + padded;
}

int PlayerBlocks(int64_t bytes)
{
    return static_cast<int>((bytes + kPlayerBlockBytes - 1) / kPlayerBlockBytes);
}

int64_t BatchBlocks(const std::vector<SFitFile>& files, int kbps)
{
    int64_t blocks = 0;
    for (const SFitFile& f : files)
        blocks += PlayerBlocks(f.converts ? Mp3Bytes(f.samples, f.rate, f.channels, kbps) : f.bytes);
    return blocks;
}

int FitBitrate(const std::vector<SFitFile>& files, int topKbps, int freeBlocks, int freeEntries)
{
    if (static_cast<int64_t>(files.size()) > freeEntries)
        return 0;
    for (auto k = std::rbegin(kMp3Bitrates); k != std::rend(kMp3Bitrates); ++k)
        if (*k <= topKbps && BatchBlocks(files, *k) <= freeBlocks)
            return *k;
    return 0;
}
