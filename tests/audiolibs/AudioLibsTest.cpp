// SPDX-License-Identifier: GPL-3.0-or-later
// The audio DLLs load and work in this word size: FFmpeg reads a FLAC and an
// M4A made from a one-second 1 kHz tone, libswresample turns them into 16-bit
// stereo, and LAME encodes that to MPEG-1 Layer III frames.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}
#include <lame/lame.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kFrameSamples = 1152;

struct SDecoded {
    AVCodecID codec = AV_CODEC_ID_NONE;
    std::vector<int16_t> pcm;    // interleaved stereo
};

// Decodes the best audio stream of a file to 16-bit stereo at 44.1 kHz.
SDecoded Decode(const char* path)
{
    SDecoded decoded;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path, nullptr, nullptr) != 0)
        return decoded;
    const AVCodec* decoder = nullptr;
    int stream = -1;
    if (avformat_find_stream_info(format, nullptr) >= 0)
        stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    AVCodecContext* context = stream >= 0 ? avcodec_alloc_context3(decoder) : nullptr;
    SwrContext* resampler = nullptr;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (context && avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
        avcodec_open2(context, decoder, nullptr) == 0 &&
        swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, kRate, &context->ch_layout,
                            context->sample_fmt, context->sample_rate, 0, nullptr) == 0 &&
        swr_init(resampler) == 0) {
        decoded.codec = decoder->id;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto drain = [&] {
            while (avcodec_receive_frame(context, frame) == 0) {
                size_t at = decoded.pcm.size();
                int room = swr_get_out_samples(resampler, frame->nb_samples);
                decoded.pcm.resize(at + 2 * room);
                auto* out = reinterpret_cast<uint8_t*>(decoded.pcm.data() + at);
                int got = swr_convert(resampler, &out, room, const_cast<const uint8_t**>(frame->extended_data),
                                      frame->nb_samples);
                decoded.pcm.resize(at + 2 * std::max(got, 0));
            }
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream && avcodec_send_packet(context, packet) == 0)
                drain();
            av_packet_unref(packet);
        }
        avcodec_send_packet(context, nullptr);
        drain();
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    swr_free(&resampler);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return decoded;
}

// Encodes interleaved stereo at 128 kbit/s CBR.
std::vector<unsigned char> EncodeMp3(std::vector<int16_t>& pcm)
{
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, kRate);
    lame_set_num_channels(lame, 2);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 128);
    std::vector<unsigned char> mp3;
    if (lame_init_params(lame) == 0) {
        int samples = static_cast<int>(pcm.size() / 2);
        mp3.resize(samples * 5 / 4 + 2 * 7200);
        int size = static_cast<int>(mp3.size());
        int n = lame_encode_buffer_interleaved(lame, pcm.data(), samples, mp3.data(), size);
        if (n >= 0)
            n += lame_encode_flush(lame, mp3.data() + n, size - n);
        mp3.resize(std::max(n, 0));
    }
    lame_close(lame);
    return mp3;
}

TEST(AudioLibsTest, ToneFilesDecodeAndEncodeToMp3)
{
    struct {
        const char* file;
        AVCodecID codec;
    } const inputs[] = {{"tone.flac", AV_CODEC_ID_FLAC}, {"tone.m4a", AV_CODEC_ID_AAC}};
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.file);
        SDecoded decoded = Decode(input.file);
        EXPECT_EQ(decoded.codec, input.codec);
        // One second within a frame, and the tone's level (a quarter of full scale).
        EXPECT_NEAR(static_cast<double>(decoded.pcm.size() / 2), kRate, kFrameSamples);
        int peak = 0;
        for (int16_t s : decoded.pcm)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_NEAR(peak, 8192, 600);

        std::vector<unsigned char> mp3 = EncodeMp3(decoded.pcm);
        // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, frame after frame.
        ASSERT_GE(mp3.size(), 38u * 417);
        EXPECT_EQ(mp3[0], 0xFF);
        EXPECT_EQ(mp3[1] & 0xFE, 0xFA);
        EXPECT_EQ(mp3[2] & 0xFC, 0x90);
    }
}

}    // namespace
