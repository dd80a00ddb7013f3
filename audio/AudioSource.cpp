// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/Id3Tags.h"

namespace {

// Below this the probe only guessed (a few bytes that happen to look like a
// frame header): such a file is not treated as audio.
constexpr int kLeastProbeScore = AVPROBE_SCORE_RETRY + 1;
// Beyond a tag at the start, this much is read to recognise the content.
constexpr int64_t kProbeBytes = 1 << 20;

std::string Reason(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

std::string TimeText(int64_t samples, int rate)
{
    char text[32];
    const long s = rate > 0 ? static_cast<long>(samples / rate) : 0;
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

bool IsProtectedTag(uint32_t tag)
{
    // Sample entries of protected audio in MP4 files.
    for (const char* name : {"drms", "drmi", "enca", "p608"})
        if (tag == MKTAG(name[0], name[1], name[2], name[3]))
            return true;
    return false;
}

bool IsImageFormat(const char* name)
{
    const size_t n = std::strlen(name);
    return std::strncmp(name, "image2", 6) == 0 || (n > 5 && std::strcmp(name + n - 5, "_pipe") == 0);
}

}  // namespace

struct CAudioSource::SImpl {
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* decoder = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    int outRate = 0;
    int outChannels = 0;
    bool inputDone = false;
    bool decoderDone = false;
    int64_t decodedSamples = 0;   // at the source's rate: where a fault lies
    std::vector<float> planes[2];
    const float* pointers[2] = {};

    ~SImpl() { Close(); }
    void Close()
    {
        swr_free(&resampler);
        avcodec_free_context(&decoder);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avformat_close_input(&format);   // leaves the custom I/O context open
        avio_closep(&io);
        stream = -1;
        inputDone = decoderDone = false;
        decodedSamples = 0;
    }
    // Opens the container by its content; 0 when it is no media file at all.
    int OpenInput(const std::string& path, int64_t tagBytes, std::string& error);
    bool Resample(const AVFrame* in, int& count, std::string& error);
};

int CAudioSource::SImpl::OpenInput(const std::string& path, int64_t tagBytes, std::string& error)
{
    Close();
    // A file that cannot be opened is left to the download, which says so in its own words.
    int r = avio_open(&io, path.c_str(), AVIO_FLAG_READ);
    if (r < 0)
        return 0;
    // The name plays no part: an empty one gives the probe nothing but the bytes.
    const AVInputFormat* input = nullptr;
    const int score = av_probe_input_buffer2(io, &input, "", nullptr, 0, static_cast<unsigned>(tagBytes + kProbeBytes));
    if (score < kLeastProbeScore || !input)
        return 0;
    format = avformat_alloc_context();
    if (!format) {
        error = "out of memory";
        return -1;
    }
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    r = avformat_open_input(&format, "", input, nullptr);
    if (r >= 0)
        r = avformat_find_stream_info(format, nullptr);
    // MPEG audio goes as it is, as it always did, even when it cannot be read through.
    if (r < 0 && std::strcmp(input->name, "mp3") == 0)
        return 0;
    if (r < 0) {
        error = "the data is corrupt or truncated (" + Reason(r) + ")";
        return -1;
    }
    return 1;
}

CAudioSource::CAudioSource() : m_impl(new SImpl) {}
CAudioSource::~CAudioSource() = default;

bool CAudioSource::Open(const std::string& path, std::string& error)
{
    av_log_set_level(AV_LOG_QUIET);
    m_info = SAudioInfo();
    const STagSpan tags = FindTags(path);
    const int opened = m_impl->OpenInput(path, tags.start, error);
    if (opened < 0)
        return false;
    m_info.fileBytes = tags.fileBytes;
    if (opened == 0)
        return true;
    AVFormatContext* f = m_impl->format;
    const int index = av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        // A film without sound cannot be converted; a picture or any other
        // file without audio is simply not audio.
        for (unsigned i = 0; i < f->nb_streams; ++i) {
            const AVStream* s = f->streams[i];
            if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(s->disposition & AV_DISPOSITION_ATTACHED_PIC) &&
                !IsImageFormat(f->iformat->name)) {
                error = "it has no audio stream";
                return false;
            }
        }
        return true;
    }
    m_impl->stream = index;
    const AVStream* s = f->streams[index];
    const AVCodecParameters* p = s->codecpar;
    m_info.format = f->iformat->name;
    const AVCodecDescriptor* d = avcodec_descriptor_get(p->codec_id);
    m_info.codec = d ? d->name : "unknown";
    m_info.rate = p->sample_rate;
    m_info.channels = p->ch_layout.nb_channels;
    if (IsProtectedTag(p->codec_tag) || av_stream_get_side_data(s, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr)) {
        error = "it is protected (DRM) and cannot be decoded";
        return false;
    }
    if (p->codec_id == AV_CODEC_ID_NONE || !avcodec_find_decoder(p->codec_id)) {
        error = "its audio format cannot be decoded";
        return false;
    }
    if (m_info.rate <= 0 || m_info.channels <= 0) {
        error = "its sampling rate or channels cannot be read";
        return false;
    }
    const bool mpeg = std::strcmp(f->iformat->name, "mp3") == 0 &&
                      (p->codec_id == AV_CODEC_ID_MP1 || p->codec_id == AV_CODEC_ID_MP2 || p->codec_id == AV_CODEC_ID_MP3);
    m_info.kind = mpeg ? EAudioKind::Mpeg : EAudioKind::Other;

    // The length: the container's, unless it only estimated it from the
    // bitrate; then the packets are counted (no decoding). Protected packets
    // are found on the way.
    const AVRational perSample = {1, m_info.rate};
    if (f->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE && s->duration != AV_NOPTS_VALUE && s->duration > 0)
        m_info.samples = av_rescale_q(s->duration, s->time_base, perSample);
    else if (f->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE && f->duration > 0)
        m_info.samples = av_rescale_q(f->duration, AV_TIME_BASE_Q, perSample);
    AVPacket* packet = av_packet_alloc();
    int64_t counted = 0;
    bool countable = true, first = true;
    while (packet && (first || m_info.samples <= 0) && av_read_frame(f, packet) >= 0) {
        if (packet->stream_index == index) {
            if (av_packet_get_side_data(packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr)) {
                av_packet_free(&packet);
                error = "it is protected (DRM) and cannot be decoded";
                return false;
            }
            first = false;
            countable = countable && packet->duration > 0;
            counted += packet->duration;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (m_info.samples <= 0 && countable)
        m_info.samples = av_rescale_q(counted, s->time_base, perSample);
    if (m_info.samples <= 0 && !mpeg) {
        error = "its length cannot be read";
        return false;
    }
    if (mpeg) {
        // Counted in whole frames: without what the encoder added at both ends.
        const int64_t gap = EncoderGapSamples(path, tags.start);
        if (gap > 0 && gap < m_info.samples)
            m_info.samples -= gap;
        // Without a length (and a bitrate) it is never re-encoded: it goes as it is.
        const double seconds = m_info.Seconds();
        const int64_t audioBytes = tags.end - tags.start;
        if (p->bit_rate > 0)
            m_info.kbps = static_cast<int>(p->bit_rate / 1000);
        else if (seconds > 0)
            m_info.kbps = static_cast<int>(audioBytes * 8 / seconds / 1000 + 0.5);
    }
    m_impl->Close();
    m_path = path;
    m_tagBytes = tags.start;
    return true;
}

bool CAudioSource::Start(int outRate, int outChannels, std::string& error)
{
    SImpl& m = *m_impl;
    if (m_info.kind == EAudioKind::NotAudio || m.OpenInput(m_path, m_tagBytes, error) <= 0) {
        if (error.empty())
            error = "it is not audio";
        return false;
    }
    m.stream = av_find_best_stream(m.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (m.stream < 0) {
        error = "it has no audio stream";
        return false;
    }
    const AVCodecParameters* p = m.format->streams[m.stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(p->codec_id);
    m.decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
    m.packet = av_packet_alloc();
    m.frame = av_frame_alloc();
    if (!m.decoder || !m.packet || !m.frame || avcodec_parameters_to_context(m.decoder, p) < 0) {
        error = "its audio format cannot be decoded";
        return false;
    }
    // A damaged frame fails the conversion instead of being hidden as silence.
    m.decoder->err_recognition |= AV_EF_CRCCHECK | AV_EF_EXPLODE;
    const int r = avcodec_open2(m.decoder, codec, nullptr);
    if (r < 0) {
        error = "its audio format cannot be decoded (" + Reason(r) + ")";
        return false;
    }
    for (unsigned i = 0; i < m.format->nb_streams; ++i)
        if (static_cast<int>(i) != m.stream)
            m.format->streams[i]->discard = AVDISCARD_ALL;
    m.outRate = outRate;
    m.outChannels = outChannels;
    return true;
}

bool CAudioSource::SImpl::Resample(const AVFrame* in, int& count, std::string& error)
{
    if (!resampler) {
        AVChannelLayout inLayout;
        if (in->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, in->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&inLayout, &in->ch_layout);
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, outChannels);
        int r = swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_FLTP, outRate, &inLayout,
                                    static_cast<AVSampleFormat>(in->format), in->sample_rate, 0, nullptr);
        // A mix of more channels into fewer keeps its peaks inside full scale.
        if (r >= 0 && inLayout.nb_channels > outChannels)
            r = av_opt_set_double(resampler, "rematrix_maxval", 1.0, 0);
        if (r >= 0)
            r = swr_init(resampler);
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_uninit(&outLayout);
        if (r < 0) {
            error = "its audio cannot be resampled (" + Reason(r) + ")";
            return false;
        }
    }
    const int capacity = swr_get_out_samples(resampler, in ? in->nb_samples : 0) + 32;
    uint8_t* out[2];
    for (int c = 0; c < outChannels; ++c) {
        if (planes[c].size() < static_cast<size_t>(capacity))
            planes[c].resize(static_cast<size_t>(capacity));
        out[c] = reinterpret_cast<uint8_t*>(planes[c].data());
        pointers[c] = planes[c].data();
    }
    count = swr_convert(resampler, out, capacity, in ? const_cast<const uint8_t**>(in->extended_data) : nullptr,
                        in ? in->nb_samples : 0);
    if (count < 0) {
        error = "its audio cannot be resampled (" + Reason(count) + ")";
        return false;
    }
    return true;
}

bool CAudioSource::Read(const float* const*& planes, int& count, std::string& error)
{
    SImpl& m = *m_impl;
    planes = m.pointers;
    count = 0;
    while (!m.decoderDone) {
        int r = avcodec_receive_frame(m.decoder, m.frame);
        if (r == 0) {
            m.decodedSamples += m.frame->nb_samples;
            const bool ok = m.Resample(m.frame, count, error);
            av_frame_unref(m.frame);
            if (!ok || count > 0)
                return ok;
            continue;
        }
        if (r == AVERROR_EOF) {
            m.decoderDone = true;
            break;
        }
        if (r != AVERROR(EAGAIN)) {
            error = "the data is corrupt at " + TimeText(m.decodedSamples, m.decoder->sample_rate) + " (" + Reason(r) + ")";
            return false;
        }
        r = m.inputDone ? AVERROR_EOF : av_read_frame(m.format, m.packet);
        if (r == AVERROR_EOF) {
            m.inputDone = true;
            avcodec_send_packet(m.decoder, nullptr);   // drains the decoder
            continue;
        }
        if (r < 0) {
            error = "it cannot be read (" + Reason(r) + ")";
            return false;
        }
        if (m.packet->stream_index == m.stream) {
            if (av_packet_get_side_data(m.packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr)) {
                error = "it is protected (DRM) and cannot be decoded";
                r = -1;
            } else {
                r = avcodec_send_packet(m.decoder, m.packet);
                if (r < 0)
                    error = "the data is corrupt or truncated at " +
                            TimeText(m.decodedSamples, m.decoder->sample_rate) + " (" + Reason(r) + ")";
            }
        }
        av_packet_unref(m.packet);
        if (r < 0)
            return false;
    }
    // Whatever the resampler still holds: the end of the audio.
    if (!m.resampler)
        return true;
    return m.Resample(nullptr, count, error);
}
