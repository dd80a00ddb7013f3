// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the committed art files in tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<uint8_t> ReadArtFile(const std::string& name) {
    std::ifstream in(std::string(QUAVEL_ART_DIR) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return at + 4 > b.size() ? 0xFFFFFFFFu
                             : uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                   uint32_t(b[at + 3]) << 24;
}

inline uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 > b.size() ? 0xFFFF : uint16_t(b[at] | b[at + 1] << 8);
}
