// SPDX-License-Identifier: GPL-3.0-or-later
// A PC file as FFmpeg's demuxers and decoders see it: what it is (recognised
// by its content, never by its name), how long, and its audio as planar float
// PCM at the rate and channel count the encoder takes (mono stays mono, more
// than two channels are mixed to stereo).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

enum class EAudioKind {
    NotAudio,   // no audio stream: sent as it is (the player carries any file)
    Mpeg,       // plain MPEG audio frames: the player plays it as it is
    Other,      // audio in another form: converted
};

struct SAudioInfo {
    EAudioKind kind = EAudioKind::NotAudio;
    std::string format;     // container, e.g. "flac", "ogg"
    std::string codec;      // e.g. "flac", "vorbis", "mp3"
    int64_t samples = 0;    // per channel, at rate
    int rate = 0;
    int channels = 0;
    int kbps = 0;           // average bitrate of the audio (Mpeg)
    int64_t fileBytes = 0;
    double Seconds() const { return rate > 0 ? static_cast<double>(samples) / rate : 0.0; }
};

class CAudioSource {
public:
    CAudioSource();
    ~CAudioSource();
    CAudioSource(const CAudioSource&) = delete;
    CAudioSource& operator=(const CAudioSource&) = delete;

    // Opens and identifies the file. False, with the reason, for a file that
    // looks like audio or video but cannot be used: corrupt, protected, without
    // an audio stream, or of a length that cannot be read.
    bool Open(const std::string& path, std::string& error);
    const SAudioInfo& Info() const { return m_info; }

    // Prepares decoding to planar float at outRate with outChannels (1 or 2).
    bool Start(int outRate, int outChannels, std::string& error);
    // The next PCM: sets planes (one per output channel, valid until the next
    // call) and count; count 0 at the end, after the decoder and resampler
    // have given their last samples. False, with the reason, on bad data.
    bool Read(const float* const*& planes, int& count, std::string& error);

private:
    struct SImpl;
    std::unique_ptr<SImpl> m_impl;
    SAudioInfo m_info;
    std::string m_path;
    int64_t m_tagBytes = 0;
};
