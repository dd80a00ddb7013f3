// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the conversion to MP3, as a multiple of real time, beside Debian's
// ffmpeg command doing the same job on the same input in the same run
// (decode, resample and mix where needed, LAME at a constant bitrate). Each
// figure is the best of three runs. Inputs are made by ffmpeg from generated
// sound (a tone with noise) in a folder given as the first argument.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "audio/Conversion.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSeconds = 60;
constexpr int kRuns = 3;

struct SInput {
    const char* name;
    const char* options;   // ffmpeg's output options
};
const SInput kInputs[] = {
    {"stereo44k.flac", "-ac 2 -ar 44100"},
    {"stereo44k.m4a", "-ac 2 -ar 44100 -c:a aac -b:a 256k"},
    {"six96k.wav", "-ac 6 -ar 96000 -c:a pcm_s24le"},
};

double Seconds(const std::chrono::steady_clock::time_point& from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path dir = argc > 1 ? argv[1] : "bench-audio";
    fs::create_directories(dir);
    const int kbps = 128;
    std::printf("%-16s %6s %12s %14s %10s\n", "input", "kbit/s", "quavel (xRT)", "ffmpeg (xRT)", "time ratio");
    for (const SInput& in : kInputs) {
        const std::string source = (dir / in.name).string();
        const std::string ours = (dir / "quavel.mp3").string(), theirs = (dir / "ffmpeg.mp3").string();
        if (!fs::exists(source) &&
            !Run("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=" + std::to_string(kSeconds) +
                 " -f lavfi -i anoisesrc=amplitude=0.05:duration=" + std::to_string(kSeconds) +
                 " -filter_complex amix=inputs=2 " + in.options + " " + source))
            return 1;
        double best = 1e9, bestFfmpeg = 1e9;
        for (int r = 0; r < kRuns; ++r) {
            auto start = std::chrono::steady_clock::now();
            std::string error;
            if (ConvertToMp3(source, ours, kbps, nullptr, error) != EConvertResult::Done) {
                std::fprintf(stderr, "%s: %s\n", in.name, error.c_str());
                return 1;
            }
            best = std::min(best, Seconds(start));
            start = std::chrono::steady_clock::now();
            if (!Run("ffmpeg -nostdin -v error -y -i " + source + " -vn -c:a libmp3lame -b:a " + std::to_string(kbps) +
                     "k -ar " + (std::string(in.name).find("96k") != std::string::npos ? "48000" : "44100") + " " +
                     theirs))
                return 1;
            bestFfmpeg = std::min(bestFfmpeg, Seconds(start));
        }
        std::printf("%-16s %6d %12.1f %14.1f %10.2f\n", in.name, kbps, kSeconds / best, kSeconds / bestFfmpeg,
                    best / bestFfmpeg);
    }
    return 0;
}
