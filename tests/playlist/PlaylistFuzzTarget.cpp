// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the playlist reader (built with clang only).
#include <cstdio>
#include <cstdlib>

#include "tests/playlist/PlaylistCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = playlisttest::CheckPlaylistBytes(std::string(reinterpret_cast<const char*>(data), size));
    if (!fault.empty()) {
        std::fprintf(stderr, "playlist reader fault: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
