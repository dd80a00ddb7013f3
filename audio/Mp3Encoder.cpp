// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/Mp3Encoder.h"

#include <lame/lame.h>

#include "audio/Mp3Fit.h"

namespace {

constexpr int kMpeg1 = 1;   // lame_get_version: 0 MPEG-2, 1 MPEG-1, 2 MPEG-2.5

bool IsMpeg1Rate(int rate)
{
    return rate == 32000 || rate == 44100 || rate == 48000;
}

}  // namespace

CMp3Encoder::~CMp3Encoder()
{
    if (m_lame)
        lame_close(m_lame);
    if (m_file)
        std::fclose(m_file);
}

bool CMp3Encoder::Start(int rate, int channels, int kbps, const std::string& path, std::string& error)
{
    if (!IsMpeg1Rate(rate) || !IsMp3Bitrate(kbps) || (channels != 1 && channels != 2)) {
        error = "no MPEG-1 Layer III encoding for " + std::to_string(rate) + " Hz at " + std::to_string(kbps) +
                " kbit/s";
        return false;
    }
    m_lame = lame_init();
    if (!m_lame) {
        error = "out of memory";
        return false;
    }
    m_channels = channels;
    lame_set_num_channels(m_lame, channels);
    lame_set_in_samplerate(m_lame, rate);
    lame_set_out_samplerate(m_lame, rate);
    lame_set_VBR(m_lame, vbr_off);
    lame_set_brate(m_lame, kbps);
    lame_set_mode(m_lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_bWriteVbrTag(m_lame, 1);
    lame_set_write_id3tag_automatic(m_lame, 0);
    if (lame_init_params(m_lame) < 0 || lame_get_version(m_lame) != kMpeg1 ||
        lame_get_out_samplerate(m_lame) != rate) {
        error = "the MP3 encoder refuses " + std::to_string(rate) + " Hz at " + std::to_string(kbps) + " kbit/s";
        return false;
    }
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        error = "the temporary file '" + path + "' cannot be created";
        return false;
    }
    return true;
}

bool CMp3Encoder::Write(int bytes, std::string& error)
{
    if (bytes < 0) {
        error = "the MP3 encoder failed (" + std::to_string(bytes) + ")";
        return false;
    }
    if (bytes > 0 && std::fwrite(m_buffer.data(), 1, static_cast<size_t>(bytes), m_file) != static_cast<size_t>(bytes)) {
        error = "the temporary file cannot be written";
        return false;
    }
    return true;
}

bool CMp3Encoder::Encode(const float* const* planes, int count, std::string& error)
{
    // LAME's own bound for the largest output of count samples.
    m_buffer.resize(static_cast<size_t>(count) * 5 / 4 + 7200);
    const int bytes = lame_encode_buffer_ieee_float(m_lame, planes[0], planes[m_channels - 1], count, m_buffer.data(),
                                                    static_cast<int>(m_buffer.size()));
    return Write(bytes, error);
}

bool CMp3Encoder::Finish(std::string& error)
{
    m_buffer.resize(7200 + kMp3FrameSamples * 2);
    if (!Write(lame_encode_flush(m_lame, m_buffer.data(), static_cast<int>(m_buffer.size())), error))
        return false;
    const size_t tag = lame_get_lametag_frame(m_lame, m_buffer.data(), m_buffer.size());
    if (tag > 0 && (std::fseek(m_file, 0, SEEK_SET) != 0 || std::fwrite(m_buffer.data(), 1, tag, m_file) != tag)) {
        error = "the temporary file cannot be written";
        return false;
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed)
        error = "the temporary file cannot be written";
    return closed;
}
