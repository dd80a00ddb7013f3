// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the region data of shaped windows (built with clang only).
#include <cstdio>
#include <cstdlib>

#include "tests/hostile/RegionFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = CheckRegionBytes(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "region data fault: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
