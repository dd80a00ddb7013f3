// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for hostile directory images (built with clang only).
#include <cstdio>
#include <cstdlib>

#include "tests/hostile/DirectoryFuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = hostile::CheckDirectoryBytes(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "directory fault: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
