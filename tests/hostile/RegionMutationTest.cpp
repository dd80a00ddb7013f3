// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile region data: the shipped window shapes, mutated at random and in the
// header's sizing fields, never crash the parser or pass the form check in a
// shape the platform would draw differently. Seeded: a failure repeats.
#include <gtest/gtest.h>

#include <random>

#include "tests/hostile/RegionFuzzCheck.h"
#include "tests/skin/RegionShapes.h"

namespace {

TEST(HostileRegion, MutatedShapesNeverCrashOrPassMisshapen)
{
    std::vector<std::vector<uint8_t>> seeds;
    for (int id : {145, 236, 272, 276})
        seeds.push_back(SerializeRegionData(FindRegionShape(id).ToRegion()));
    for (const auto& seed : seeds)
        ASSERT_EQ(CheckRegionBytes(seed.data(), seed.size()), "");
    const uint32_t interesting[] = {0, 1, 15, 16, 31, 32, 33, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x10000000};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> bytes = seeds[rng() % seeds.size()];
        const int edits = 1 + int(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 4) {
            case 0:   // a bit anywhere
                bytes[rng() % bytes.size()] ^= uint8_t(1u << (rng() % 8));
                break;
            case 1: {   // a sizing field of the header
                const size_t at = 4 * (rng() % 4);
                const uint32_t v = interesting[rng() % (sizeof interesting / sizeof *interesting)];
                for (int k = 0; k < 4; ++k)
                    bytes[at + k] = uint8_t(v >> (8 * k));
                break;
            }
            case 2:   // one coordinate of a rectangle moved by a little
                bytes[16 + 4 * (rng() % ((bytes.size() - 16) / 4))] += uint8_t(rng() % 5) - 2;
                break;
            default:   // cut or lengthen the data
                bytes.resize(rng() % 2 ? bytes.size() - 1 - rng() % 16 : bytes.size() + rng() % 32, 0);
                break;
            }
            if (bytes.size() < 48)
                bytes.resize(48, 0);
        }
        ASSERT_EQ(CheckRegionBytes(bytes.data(), bytes.size()), "") << "round " << round;
    }
}

}  // namespace
