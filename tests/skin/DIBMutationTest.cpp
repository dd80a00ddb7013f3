// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile .BMP files: valid seeds of every header form and depth, mutated at
// random and at the fields that size the reads, must never crash the loader (the
// sanitizer build turns any stray access into a failure) and never yield an
// inconsistent image. The generator is seeded: a failure repeats.
#include <gtest/gtest.h>

#include <random>

#include "tests/skin/BmpBuilder.h"
#include "tests/skin/DIBFuzzCheck.h"

namespace {

std::vector<std::vector<uint8_t>> Seeds() {
    std::vector<std::vector<uint8_t>> seeds;
    BmpBuilder b;
    seeds.push_back(b.Build());
    b.core = true;
    seeds.push_back(b.Build());
    b = BmpBuilder();
    b.bitCount = 4;
    b.tableEntries = 16;
    seeds.push_back(b.Build());
    b.core = true;
    seeds.push_back(b.Build());
    b = BmpBuilder();
    b.bitCount = 24;
    b.tableEntries = 0;
    seeds.push_back(b.Build());
    b = BmpBuilder();
    b.clrUsed = 3;
    b.tableEntries = 3;
    b.width = 1;
    seeds.push_back(b.Build());
    return seeds;
}

// Offsets of the fields that decide how much is read and where.
const size_t kSizingFields[] = {2, 10, 14, 18, 22, 26, 28, 30, 46};
const uint32_t kInteresting[] = {0, 1, 3, 12, 40, 255, 256, 257, 0x7FFF, 0xFFFF, 0x10000,
                                 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0};

TEST(DIBMutation, MutatedFilesNeverCrashOrLoadInconsistently) {
    std::mt19937 rng(20261207);
    const std::vector<std::vector<uint8_t>> seeds = Seeds();
    for (const auto& seed : seeds)
        ASSERT_EQ(CheckDIBBytes(seed.data(), seed.size()), "");
    int accepted = 0;
    for (int round = 0; round < 30000; ++round) {
        std::vector<uint8_t> bytes = seeds[rng() % seeds.size()];
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 5) {
            case 0:   // flip a byte anywhere
                bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
                break;
            case 1: {   // an interesting value in a sizing field
                const size_t at = kSizingFields[rng() % (sizeof kSizingFields / sizeof *kSizingFields)];
                const uint32_t v = kInteresting[rng() % (sizeof kInteresting / sizeof *kInteresting)];
                const size_t width = (rng() % 2) ? 4 : 2;
                for (size_t i = 0; i < width && at + i < bytes.size(); ++i)
                    bytes[at + i] = uint8_t(v >> (8 * i));
                break;
            }
            case 2:   // truncate
                bytes.resize(rng() % (bytes.size() + 1));
                break;
            case 3:   // extend with noise
                for (int n = int(rng() % 64); n > 0; --n)
                    bytes.push_back(uint8_t(rng()));
                break;
            default:   // small signed nudge to a sizing field
                if (!bytes.empty()) {
                    const size_t at = kSizingFields[rng() % (sizeof kSizingFields / sizeof *kSizingFields)];
                    if (at < bytes.size())
                        bytes[at] = uint8_t(bytes[at] + int(rng() % 9) - 4);
                }
                break;
            }
            if (bytes.empty())
                break;
        }
        const std::string fault = CheckDIBBytes(bytes.data(), bytes.size());
        ASSERT_EQ(fault, "") << "round " << round;
        CDIB probe;
        accepted += probe.LoadFromBytes(bytes.data(), bytes.size()) ? 1 : 0;
    }
    // The mutations must leave enough valid files to exercise the accepting path.
    EXPECT_GT(accepted, 1000);
}

}  // namespace
