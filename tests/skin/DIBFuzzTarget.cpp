// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the .BMP loader (built with clang only).
#include <cstdio>
#include <cstdlib>

#include "tests/skin/DIBFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = CheckDIBBytes(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "DIB loader fault: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
