// SPDX-License-Identifier: GPL-3.0-or-later
// The size of a converted file, worked out before the conversion: pure
// functions of a source's length and a bitrate. The encoder writes MPEG-1
// Layer III at a constant bitrate, so the size follows from the number of
// frames it makes: one information frame first (the encoder's tag with the
// length and the gap at both ends, so that players trim it), then the audio
// frames, each 144000 * bitrate / rate bytes with the remainder spread over
// the frames as padding bytes. At the lowest bitrates a frame is too small to
// hold the information frame, and the encoder leaves it out. No ID3 tag is
// written.
#pragma once
#include <cstdint>
#include <vector>

// The MPEG-1 Layer III bitrates in kbit/s, lowest first.
constexpr int kMp3Bitrates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMp3FrameSamples = 1152;
constexpr int kPlayerBlockBytes = 32768;

bool IsMp3Bitrate(int kbps);
// The MPEG-1 sampling rate (32000, 44100 or 48000) a source of this rate is
// encoded at: its own when it is one of them, else the one its rate divides
// into or, failing that, the nearest.
int Mp3OutputRate(int sourceRate);
// Samples per channel at the output rate for a source of this many samples.
int64_t Mp3OutputSamples(int64_t sourceSamples, int sourceRate);
// Audio frames the encoder makes for this many samples: it adds its start
// delay and pads the end to whole frames with at least half a frame to spare.
int64_t Mp3AudioFrames(int64_t outputSamples);
// Channels of the converted file: mono stays mono, more become stereo.
int Mp3OutputChannels(int sourceChannels);
// Bytes of the converted file.
int64_t Mp3Bytes(int64_t sourceSamples, int sourceRate, int sourceChannels, int kbps);
// 32 KB blocks a file of this many bytes takes on the player.
int PlayerBlocks(int64_t bytes);

// One file of a batch: converted (length known) or sent as it is (bytes known).
struct SFitFile {
    bool converts = false;
    int64_t samples = 0;     // converts: source samples per channel
    int rate = 0;            // converts: source sampling rate
    int channels = 0;        // converts: source channels
    int64_t bytes = 0;       // sent as it is: its size
};

// The highest bitrate of the table, at most topKbps, at which every file fits
// into freeBlocks and the batch into freeEntries directory entries; 0 when
// even 32 kbit/s does not fit (or there are more files than entries).
int FitBitrate(const std::vector<SFitFile>& files, int topKbps, int freeBlocks, int freeEntries);
// Blocks the batch takes at this bitrate.
int64_t BatchBlocks(const std::vector<SFitFile>& files, int kbps);
