// SPDX-License-Identifier: GPL-3.0-or-later
// The tags around the frames of an MPEG audio file: ID3v2 at the start (one
// or more, each with its optional footer), APEv2 and ID3v1 at the end.
#pragma once
#include <cstdint>
#include <string>

struct STagSpan {
    int64_t start = 0;       // first byte after the tags at the start
    int64_t end = 0;         // first byte of the tags at the end
    int64_t fileBytes = 0;
};

// Where the frames lie; the whole file when it cannot be read.
STagSpan FindTags(const std::string& path);
// Writes the bytes between the tags, unchanged, to a new file outPath.
bool CopyWithoutTags(const std::string& path, const std::string& outPath, std::string& error);

// The samples an encoder put before and after the audio of an MPEG file, as
// its information frame (Xing or Info, with the encoder's extension) at
// offset start tells; 0 without one. A length counted in frames includes them.
int64_t EncoderGapSamples(const std::string& path, int64_t start);
