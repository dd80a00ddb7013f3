// SPDX-License-Identifier: GPL-3.0-or-later
// Music of every common format sent with quavel-cli put: what lands on the
// virtual player is MPEG-1 Layer III at the asked bitrate that decodes back to
// the tone; tags go without touching a frame; sizes are known beforehand; bad
// input leaves nothing behind.
#include "tests/audio/AudioSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "audio/Conversion.h"
#include "audio/Mp3Fit.h"
#include "playlist/FileEntry.h"

namespace {

namespace fs = std::filesystem;
constexpr double kTone = 1000.0;

// Decodes an MP3 file: the first channel's samples.
std::vector<float> Decode(const std::string& path, int rate, int channels)
{
    CAudioSource source;
    std::string error;
    std::vector<float> pcm;
    if (!source.Open(path, error) || !source.Start(rate, channels, error))
        return pcm;
    const float* const* planes;
    int count = 0;
    while (source.Read(planes, count, error) && count > 0)
        pcm.insert(pcm.end(), planes[0], planes[0] + count);
    return pcm;
}

// The tone against everything else, in dB, away from the edges.
double ToneSnr(const std::vector<float>& x, int rate)
{
    const size_t from = static_cast<size_t>(rate / 10), to = x.size() - from;
    double s = 0, c = 0;
    for (size_t i = from; i < to; ++i) {
        s += x[i] * std::sin(2 * M_PI * kTone * i / rate);
        c += x[i] * std::cos(2 * M_PI * kTone * i / rate);
    }
    const double n = static_cast<double>(to - from);
    double signal = 0, noise = 0;
    for (size_t i = from; i < to; ++i) {
        const double fit = 2 / n * (s * std::sin(2 * M_PI * kTone * i / rate) + c * std::cos(2 * M_PI * kTone * i / rate));
        signal += fit * fit;
        noise += (x[i] - fit) * (x[i] - fit);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-12));
}

class CAudioTest : public CCliTest {
protected:
    void SetUp() override
    {
        // Temporary files go where the test can see that none is left.
        m_tmp = m_folder.Path("tmp");
        fs::create_directory(m_tmp);
        setenv("TMPDIR", m_tmp.c_str(), 1);
    }
    void TearDown() override
    {
        EXPECT_TRUE(fs::is_empty(m_tmp)) << "a temporary file is left";
        unsetenv("TMPDIR");
        CCliTest::TearDown();
    }
    std::vector<uint8_t> Fetch(const std::string& name)
    {
        const SCliRun get = Cli({"get", name, "--to", m_tmp});
        EXPECT_EQ(get.code, kExitDone) << get.err;
        std::vector<uint8_t> bytes = ReadFile(m_tmp + "/" + name);
        fs::rename(m_tmp + "/" + name, m_folder.Path(name));
        return bytes;
    }
    std::string m_tmp;
};

struct SConvertCase {
    const char* name;
    const char* tone;      // rate and length of the generated tone
    const char* options;   // ffmpeg's output options
    double seconds;
    const char* put;       // put's options
    int kbps, rate, channels;
};

TEST_F(CAudioTest, EveryFormatArrivesAsMpeg1Layer3AtTheAskedBitrateAndDecodesToTheTone)
{
    const SConvertCase cases[] = {
        {"flac44.flac", "sample_rate=44100:duration=2", "-ac 2", 2, "--bitrate=128", 128, 44100, 2},
        {"vorbis48.ogg", "sample_rate=48000:duration=2", "-ac 2 -c:a libvorbis", 2, "--bitrate=192", 192, 48000, 2},
        {"opus.opus", "sample_rate=48000:duration=2", "-ac 2 -c:a libopus", 2, "--bitrate=96", 96, 48000, 2},
        {"aac.m4a", "sample_rate=44100:duration=2", "-ac 2 -c:a aac", 2, "--bitrate=128", 128, 44100, 2},
        {"alac.m4a", "sample_rate=44100:duration=1", "-ac 1 -c:a alac", 1, "--bitrate=160", 160, 44100, 1},
        {"u8mono8k.wav", "sample_rate=8000:duration=2", "-ac 1 -c:a pcm_u8", 2, "--bitrate=64", 64, 32000, 1},
        {"s16at22k.wav", "sample_rate=22050:duration=1", "-ac 2 -c:a pcm_s16le", 1, "--bitrate=80", 80, 44100, 2},
        {"s24six96k.wav", "sample_rate=96000:duration=1", "-ac 6 -c:a pcm_s24le", 1, "--bitrate=256", 256, 48000, 2},
        {"s16at32k.wav", "sample_rate=32000:duration=1", "-ac 2", 1, "--bitrate=320", 320, 32000, 2},
        {"cbr320.mp3", "sample_rate=44100:duration=2", "-ac 2 -c:a libmp3lame -b:a 320k", 2, "--reencode", 128, 44100,
         2},
        {"vbrcover.mp3", "sample_rate=44100:duration=2",
         "-f lavfi -i testsrc2=s=480x480:d=0.04,noise=alls=100:allf=t -map 0 -map 1 -ac 2 -c:a libmp3lame -q:a 0 "
         "-c:v png -disposition:v attached_pic -id3v2_version 3",
         2, "--reencode --bitrate=64", 64, 44100, 2},
        {"film.mkv", "sample_rate=48000:duration=1", "-f lavfi -i testsrc2=s=64x64:d=1 -ac 2 -c:a libvorbis -c:v mpeg4",
         1, "--bitrate=112", 112, 48000, 2},
    };
    for (const SConvertCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Input(c.name, c.tone, c.options);
        std::vector<std::string> args{"--virtual-player=" + PlayerDir(), kQuickSpeed, "put", path};
        for (std::string o = c.put; !o.empty();) {
            const size_t blank = o.find(' ');
            args.push_back(o.substr(0, blank));
            o = blank == std::string::npos ? "" : o.substr(blank + 1);
        }
        const SCliRun put = RunQuavelCli(args);
        ASSERT_EQ(put.code, kExitDone) << put.err;
        const std::string mp3 = PlayerMp3Name(c.name);
        EXPECT_EQ(put.out, "converting '" + std::string(c.name) + "' to " + std::to_string(c.kbps) + " kbit/s MP3\n");
        const std::vector<uint8_t> bytes = Fetch(mp3);
        EXPECT_EQ(FrameFault(bytes, c.kbps, c.rate), "");
        const std::vector<float> pcm = Decode(m_folder.Path(mp3), c.rate, c.channels);
        EXPECT_NEAR(static_cast<double>(pcm.size()), c.seconds * c.rate, kMp3FrameSamples);
        EXPECT_GT(ToneSnr(pcm, c.rate), 15.0);
        const nlohmann::json list = nlohmann::json::parse(Cli({"list", "--json"}).out);
        EXPECT_EQ(list["files"].back()["bitrate"], c.kbps);
        EXPECT_EQ(list["files"].back()["name"], mp3);
    }
}

std::vector<uint8_t> Id3v2(size_t payload, bool footer)
{
    std::vector<uint8_t> t = {'I', 'D', '3', 3, 0, static_cast<uint8_t>(footer ? 0x10 : 0)};
    for (int shift = 21; shift >= 0; shift -= 7)
        t.push_back(static_cast<uint8_t>(payload >> shift & 0x7F));
    t.resize(10 + payload, 0);
    if (footer)
        t.insert(t.end(), {'3', 'D', 'I', 3, 0, 0x10, t[6], t[7], t[8], t[9]});
    return t;
}

std::vector<uint8_t> ApeTag(bool header)
{
    const std::string item = std::string("\x05\0\0\0\0\0\0\0Artist\0", 15) + "Quavl";
    auto part = [&](bool isHeader) {
        const uint32_t size = static_cast<uint32_t>(item.size() + 32), flags = (header ? 0x80000000u : 0) |
                                                                            (isHeader ? 0x20000000u : 0);
        std::vector<uint8_t> p = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 0x07, 0, 0};
        for (uint32_t v : {size, 1u, flags})
            for (int i = 0; i < 4; ++i)
                p.push_back(static_cast<uint8_t>(v >> (8 * i)));
        p.resize(p.size() + 8, 0);
        return p;
    };
    std::vector<uint8_t> t = header ? part(true) : std::vector<uint8_t>();
    t.insert(t.end(), item.begin(), item.end());
    const std::vector<uint8_t> footer = part(false);
    t.insert(t.end(), footer.begin(), footer.end());
    return t;
}

TEST_F(CAudioTest, TagsLeftOffLeaveEveryAudioFrameAsItWas)
{
    const std::vector<uint8_t> frames =
        ReadFile(Input("plain.mp3", "sample_rate=44100:duration=1", "-ac 2 -b:a 192k -id3v2_version 0"));
    std::vector<uint8_t> id3v1 = {'T', 'A', 'G'};
    id3v1.resize(128, 'x');
    const std::vector<std::vector<uint8_t>> heads = {Id3v2(600000, false), {}, {}, Id3v2(300, true)};
    const std::vector<std::vector<uint8_t>> tails = {{}, id3v1, ApeTag(false), ApeTag(true)};
    for (size_t i = 0; i < heads.size(); ++i) {
        std::vector<uint8_t> tagged = heads[i];
        tagged.insert(tagged.end(), frames.begin(), frames.end());
        tagged.insert(tagged.end(), tails[i].begin(), tails[i].end());
        if (i == 3)
            tagged.insert(tagged.end(), id3v1.begin(), id3v1.end());
        const std::string name = "tagged" + std::to_string(i) + ".mp3";
        ASSERT_TRUE(WriteFile(Path(name), tagged));
        const SCliRun put = Cli({"put", "--strip-tags", Path(name)});
        ASSERT_EQ(put.code, kExitDone) << put.err;
        EXPECT_TRUE(Fetch(name) == frames) << name;
    }
}

// A WAV file of n samples of the tone.
std::string ToneWav(const std::string& path, int64_t n, int rate, int channels)
{
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0};
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * 2), 4);
    put(static_cast<uint32_t>(channels * 2), 2);
    put(16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(static_cast<uint32_t>(n * channels * 2), 4);
    for (int64_t i = 0; i < n * channels; ++i)
        put(static_cast<uint32_t>(static_cast<int16_t>(8000 * std::sin(2 * M_PI * kTone * (i / channels) / rate))), 2);
    for (int i = 0; i < 4; ++i)
        b[4 + i] = static_cast<uint8_t>((b.size() - 8) >> (8 * i));
    WriteFile(path, b);
    return path;
}

TEST_F(CAudioTest, ThePredictedSizeIsTheEncodedSizeAtTheFrameBoundaries)
{
    struct {
        int64_t samples;
        int rate, channels, kbps;
    } const cases[] = {
        {1152 * 40, 44100, 2, 128}, {1152 * 40 + 1, 44100, 2, 128}, {1152 * 40 - 1, 44100, 1, 320},
        {1152 * 77, 48000, 2, 32},  {1152 * 77 + 1, 32000, 1, 40},  {1152 * 20 + 1, 22050, 2, 224},
        {12000, 8000, 1, 96},       {96000 + 1, 96000, 2, 160}, {44100, 44100, 1, 56},
        {44100, 44100, 2, 56},      {44100, 48000, 2, 64},      {44100, 48000, 2, 56},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.samples) + " at " + std::to_string(c.rate));
        const std::string wav = ToneWav(Path("exact.wav"), c.samples, c.rate, c.channels);
        std::string error;
        ASSERT_EQ(ConvertToMp3(wav, Path("exact.mp3"), c.kbps, nullptr, error), EConvertResult::Done) << error;
        EXPECT_EQ(static_cast<int64_t>(fs::file_size(Path("exact.mp3"))), Mp3Bytes(c.samples, c.rate, c.channels, c.kbps));
    }
}

TEST(Mp3FitTest, FitPicksTheHighestBitrateAtWhichTheBatchFits)
{
    SFitFile song;
    song.converts = true;
    song.samples = 44100 * 200;
    song.rate = 44100;
    song.channels = 2;
    SFitFile other;
    other.bytes = 100000;
    const std::vector<SFitFile> batch = {song, song, other};
    const int at128 = static_cast<int>(BatchBlocks(batch, 128));
    struct {
        int top, freeBlocks, freeEntries, expected;
    } const cases[] = {
        {128, at128, 60, 128},
        {128, at128 - 1, 60, 112},
        {320, at128, 60, 128},
        {96, at128, 60, 96},
        {128, at128, 3, 128},
        {128, at128, 2, 0},
        {128, static_cast<int>(BatchBlocks(batch, 32)), 60, 32},
        {128, static_cast<int>(BatchBlocks(batch, 32)) - 1, 60, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitBitrate(batch, c.top, c.freeBlocks, c.freeEntries), c.expected)
            << c.top << " " << c.freeBlocks << " " << c.freeEntries;
}

TEST_F(CAudioTest, BadInputIsRefusedNamingTheFileAndLeavesNothingBehind)
{
    const std::string flac = Input("long.flac", "sample_rate=44100:duration=3", "-ac 2");
    // Cut where a frame starts: every frame left decodes, the length falls short.
    std::vector<uint8_t> bytes = ReadFile(flac);
    const uint8_t sync[] = {0xFF, 0xF8};
    bytes.erase(std::search(bytes.begin() + bytes.size() / 2, bytes.end(), sync, sync + 2), bytes.end());
    WriteFile(Path("half.flac"), bytes);
    bytes = ReadFile(flac);
    for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 3000; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7);
    WriteFile(Path("damaged.flac"), bytes);
    const struct {
        std::string path, reason;
    } cases[] = {
        {Path("half.flac"), "truncated"},
        {Path("damaged.flac"), "corrupt"},
        {Input("silent.mp4", "duration=1", "-f lavfi -i testsrc2=s=64x64:d=1 -map 1 -c:v mpeg4"), "no audio stream"},
        {Input("locked.m4a", "duration=1",
               "-c:a aac -encryption_scheme cenc-aes-ctr -encryption_key 00112233445566778899aabbccddeeff "
               "-encryption_kid 00112233445566778899aabbccddeeff"),
         "protected (DRM)"},
        {flac, "operation interrupted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        if (c.reason == "operation interrupted")
            InterruptAt(1);
        // What can be told without decoding is refused before the first file of the batch is sent.
        const bool known = c.reason == "no audio stream" || c.reason == "protected (DRM)";
        const SCliRun put = known ? Cli({"put", flac, c.path}) : Cli({"put", c.path});
        EXPECT_EQ(put.code, kExitFailed);
        EXPECT_NE(put.err.find(c.reason), std::string::npos) << put.err;
        if (c.reason != "operation interrupted") {
            EXPECT_NE(put.err.find("'" + fs::path(c.path).filename().string() + "'"), std::string::npos) << put.err;
        }
        EXPECT_TRUE(CReopenedPlayer(PlayerDir()).Names().empty());
        EXPECT_TRUE(fs::is_empty(m_tmp));
    }
}

TEST_F(CAudioTest, FitChoosesTheBitrateThatFillsTheCardAndDryRunChangesNothing)
{
    // 80 s on a card of 2 MB (63 free blocks): 192 kbit/s takes 59 blocks, 224 takes 69.
    const std::string flac = Input("eighty.flac", "sample_rate=44100:duration=80", "-ac 1");
    const SCliRun dry = Cli({"--card", "--card-size=2", "put", "--dry-run", "--fit", "--bitrate=320", flac});
    ASSERT_EQ(dry.code, kExitDone) << dry.err;
    EXPECT_EQ(dry.out, "'eighty.flac': flac, 1:20, " + std::to_string(fs::file_size(flac)) +
                           " bytes -> 'eighty.mp3' converted to 192 kbit/s MP3, " +
                           std::to_string(Mp3Bytes(44100 * 80, 44100, 1, 192)) +
                           " bytes, 59 blocks\n59 blocks of 32 KB needed, 63 free; 192 kbit/s is the highest bitrate "
                           "at which all fit\n");
    EXPECT_TRUE(CReopenedPlayer(PlayerDir(), true).Names().empty());
    const SCliRun put = Cli({"--card", "put", "--fit", "--bitrate=320", flac});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    const nlohmann::json list = nlohmann::json::parse(Cli({"--card", "list", "--json"}).out);
    EXPECT_EQ(list["files"][0]["bitrate"], 192);
    EXPECT_EQ(list["files"][0]["size"], Mp3Bytes(44100 * 80, 44100, 1, 192));
    const SCliRun tooMuch = Cli({"--card", "put", "--fit", flac});
    EXPECT_EQ(tooMuch.code, kExitFailed);
    EXPECT_NE(tooMuch.err.find("do not fit even at 32 kbit/s"), std::string::npos) << tooMuch.err;
}

}  // namespace
