// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the conversion to MP3, as a multiple of real time, beside Debian's
// ffmpeg command doing the same job on the same input in the same run
// (decode, resample and mix where needed, LAME at a constant bitrate). Times
// are processor time (user and system, ours in this process, ffmpeg's as a
// child), which a busy machine disturbs far less than the clock on the wall;
// each figure is the best of three runs. The wall-clock multiples follow. Inputs are made by ffmpeg from generated
// sound (a tone with noise) in a folder given as the first argument.
#include <sys/resource.h>

#include <algorithm>
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

// Processor seconds used so far by this process (who: RUSAGE_SELF) or its children.
double CpuSeconds(int who)
{
    rusage u = {};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path dir = argc > 1 ? argv[1] : "bench-audio";
    fs::create_directories(dir);
    const int kbps = 128;
    std::printf("%-16s %6s %12s %12s %10s %12s %12s\n", "input", "kbit/s", "quavel xRT", "ffmpeg xRT", "cpu ratio",
                "quavel wall", "ffmpeg wall");
    for (const SInput& in : kInputs) {
        const std::string source = (dir / in.name).string();
        const std::string ours = (dir / "quavel.mp3").string(), theirs = (dir / "ffmpeg.mp3").string();
        if (!fs::exists(source) &&
            !Run("ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=" + std::to_string(kSeconds) +
                 " -f lavfi -i anoisesrc=amplitude=0.05:duration=" + std::to_string(kSeconds) +
                 " -filter_complex amix=inputs=2 " + in.options + " " + source))
            return 1;
        double best = 1e9, bestFfmpeg = 1e9, wall = 1e9, wallFfmpeg = 1e9;
        for (int r = 0; r < kRuns; ++r) {
            double start = CpuSeconds(RUSAGE_SELF), clock = WallSeconds();
            std::string error;
            if (ConvertToMp3(source, ours, kbps, nullptr, error) != EConvertResult::Done) {
                std::fprintf(stderr, "%s: %s\n", in.name, error.c_str());
                return 1;
            }
            best = std::min(best, CpuSeconds(RUSAGE_SELF) - start);
            wall = std::min(wall, WallSeconds() - clock);
            start = CpuSeconds(RUSAGE_CHILDREN);
            clock = WallSeconds();
            if (!Run("ffmpeg -nostdin -v error -y -i " + source + " -vn -c:a libmp3lame -b:a " + std::to_string(kbps) +
                     "k -ar " + (std::string(in.name).find("96k") != std::string::npos ? "48000" : "44100") + " " +
                     theirs))
                return 1;
            bestFfmpeg = std::min(bestFfmpeg, CpuSeconds(RUSAGE_CHILDREN) - start);
            wallFfmpeg = std::min(wallFfmpeg, WallSeconds() - clock);
        }
        std::printf("%-16s %6d %12.1f %12.1f %10.2f %12.1f %12.1f\n", in.name, kbps, kSeconds / best,
                    kSeconds / bestFfmpeg, best / bestFfmpeg, kSeconds / wall, kSeconds / wallFfmpeg);
    }
    return 0;
}
