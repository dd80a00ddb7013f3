// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Conversion.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "audio/Mp3Encoder.h"
#include "audio/Mp3Fit.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

int ProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// Progress is told about every 16 encoder frames (a fraction of a second).
constexpr int kProgressSamples = 16 * kMp3FrameSamples;

std::string Minutes(int64_t samples, int rate)
{
    char text[32];
    const int64_t s = samples / rate;
    std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(s / 60), static_cast<int>(s % 60));
    return text;
}

// The sample FIFO between the decoder's frames of any length and the
// encoder's frames of 1152 samples.
class CFifo {
public:
    explicit CFifo(int channels)
        : m_channels(channels), m_fifo(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, 8 * kMp3FrameSamples))
    {}
    ~CFifo() { av_audio_fifo_free(m_fifo); }
    CFifo(const CFifo&) = delete;
    CFifo& operator=(const CFifo&) = delete;
    bool Put(const float* const* planes, int count)
    {
        void* data[2] = {const_cast<float*>(planes[0]), const_cast<float*>(planes[m_channels - 1])};
        return m_fifo && av_audio_fifo_write(m_fifo, data, count) == count;
    }
    int Size() const { return m_fifo ? av_audio_fifo_size(m_fifo) : 0; }
    int Take(float* const* planes, int count)
    {
        void* data[2] = {planes[0], planes[m_channels - 1]};
        return av_audio_fifo_read(m_fifo, data, count);
    }

private:
    int m_channels;
    AVAudioFifo* m_fifo;
};

}  // namespace

bool ProbeAudio(const std::string& path, const SConvertOptions& options, SAudioInfo& info, std::string& error)
{
    info = SAudioInfo();
    if (!options.convert)
        return true;
    CAudioSource source;
    if (!source.Open(path, error))
        return false;
    info = source.Info();
    return true;
}

ESendAs PlanSend(const SAudioInfo& info, const SConvertOptions& options)
{
    if (!options.convert || info.kind == EAudioKind::NotAudio)
        return ESendAs::AsIs;
    if (info.kind == EAudioKind::Other || (options.reencode && info.samples > 0 && info.kbps > options.kbps))
        return ESendAs::Converted;
    return options.stripTags ? ESendAs::WithoutTags : ESendAs::AsIs;
}

std::string PlayerMp3Name(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".mp3";
}

EConvertResult ConvertToMp3(const std::string& path, const std::string& mp3Path, int kbps,
                            const ConvertProgress& progress, std::string& error)
{
    CAudioSource source;
    if (!source.Open(path, error))
        return EConvertResult::Failed;
    const SAudioInfo& info = source.Info();
    const int rate = Mp3OutputRate(info.rate);
    const int channels = Mp3OutputChannels(info.channels);
    const int64_t target = Mp3OutputSamples(info.samples, info.rate);
    CMp3Encoder encoder;
    if (!source.Start(rate, channels, error) || !encoder.Start(rate, channels, kbps, mp3Path, error))
        return EConvertResult::Failed;

    CFifo fifo(channels);
    std::vector<float> frame[2];
    float* framePlanes[2];
    for (int c = 0; c < 2; ++c) {
        frame[c].assign(kMp3FrameSamples, 0.0f);
        framePlanes[c] = frame[c].data();
    }
    int64_t decoded = 0, encoded = 0, told = 0;
    bool ended = false;
    while (encoded < target) {
        // Fill the FIFO with at least one encoder frame, or to the end.
        while (!ended && fifo.Size() < kMp3FrameSamples) {
            const float* const* planes = nullptr;
            int count = 0;
            if (!source.Read(planes, count, error))
                return EConvertResult::Failed;
            ended = count == 0;
            // Beyond the stated length (a few samples of codec padding): left out.
            const int used = static_cast<int>(std::min<int64_t>(count, target - decoded));
            if (used > 0 && !fifo.Put(planes, used)) {
                error = "out of memory";
                return EConvertResult::Failed;
            }
            decoded += used;
            ended = ended || decoded >= target;
        }
        if (ended && decoded < target && target - decoded > rate / 2) {
            error = "it is truncated: " + Minutes(decoded, rate) + " of " + Minutes(target, rate) + " decoded";
            return EConvertResult::Failed;
        }
        // A last short frame is completed with silence up to the stated length.
        const int n = static_cast<int>(std::min<int64_t>(kMp3FrameSamples, target - encoded));
        const int got = fifo.Take(framePlanes, n);
        for (int c = 0; c < channels; ++c)
            std::fill(frame[c].begin() + std::max(got, 0), frame[c].begin() + n, 0.0f);
        if (!encoder.Encode(framePlanes, n, error))
            return EConvertResult::Failed;
        encoded += n;
        if (progress && (encoded - told >= kProgressSamples || encoded == target)) {
            told = encoded;
            if (!progress(encoded, target))
                return EConvertResult::Stopped;
        }
    }
    return encoder.Finish(error) ? EConvertResult::Done : EConvertResult::Failed;
}

CTempMp3::CTempMp3()
{
    static std::atomic<int> counter{0};
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec)
        folder = ".";
    for (;;) {
        const std::filesystem::path candidate =
            folder / ("quavel-" + std::to_string(ProcessId()) + "-" + std::to_string(counter++) + ".mp3");
        if (!std::filesystem::exists(candidate, ec)) {
            m_path = candidate.string();
            break;
        }
    }
}

CTempMp3::~CTempMp3()
{
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
}
