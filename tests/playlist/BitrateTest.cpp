// SPDX-License-Identifier: GPL-3.0-or-later
// Bitrate decoding against the published MPEG audio tables. The expected values
// are written out here the way the standards print them (one line per bitrate
// index, one column per layer), independently of the decoder's own arrays.
#include <gtest/gtest.h>

#include "playlist/FileEntry.h"

namespace {

enum { V25 = 0, VReserved = 1, V2 = 2, V1 = 3 };
enum { LReserved = 0, L3 = 1, L2 = 2, L1 = 3 };

int Decode(int version, int layer, int index, uint8_t h1Low = 1, uint8_t h2Low = 0,
           uint8_t h3 = 0x44) {
    const uint8_t h[4] = {0xFF,
                          static_cast<uint8_t>(0xE0 | (version << 3) | (layer << 1) | (h1Low & 1)),
                          static_cast<uint8_t>((index << 4) | (h2Low & 0x0F)), h3};
    return DecodeBitrate(h);
}

// MPEG-1 (11172-3): index, Layer I, Layer II, Layer III.
const int kMpeg1[15][4] = {
    {0, 0, 0, 0},
    {1, 32, 32, 32},
    {2, 64, 48, 40},
    {3, 96, 56, 48},
    {4, 128, 64, 56},
    {5, 160, 80, 64},
    {6, 192, 96, 80},
    {7, 224, 112, 96},
    {8, 256, 128, 112},
    {9, 288, 160, 128},
    {10, 320, 192, 160},
    {11, 352, 224, 192},
    {12, 384, 256, 224},
    {13, 416, 320, 256},
    {14, 448, 384, 320},
};

// MPEG-2 lower sampling rates (13818-3): index, Layer I, Layers II and III.
const int kMpeg2[15][3] = {
    {0, 0, 0},
    {1, 32, 8},
    {2, 48, 16},
    {3, 56, 24},
    {4, 64, 32},
    {5, 80, 40},
    {6, 96, 48},
    {7, 112, 56},
    {8, 128, 64},
    {9, 144, 80},
    {10, 160, 96},
    {11, 176, 112},
    {12, 192, 128},
    {13, 224, 144},
    {14, 256, 160},
};

}  // namespace

TEST(DecodeBitrate, Mpeg1EveryLayerAndIndex) {
    for (const auto& row : kMpeg1) {
        SCOPED_TRACE(row[0]);
        EXPECT_EQ(Decode(V1, L1, row[0]), row[1]);
        EXPECT_EQ(Decode(V1, L2, row[0]), row[2]);
        EXPECT_EQ(Decode(V1, L3, row[0]), row[3]);
    }
}

TEST(DecodeBitrate, Mpeg2AndMpeg25ShareTheLowRateRows) {
    for (int version : {V2, V25}) {
        for (const auto& row : kMpeg2) {
            SCOPED_TRACE(testing::Message() << "version " << version << " index " << row[0]);
            EXPECT_EQ(Decode(version, L1, row[0]), row[1]);
            EXPECT_EQ(Decode(version, L2, row[0]), row[2]);
            EXPECT_EQ(Decode(version, L3, row[0]), row[2]);
        }
    }
}

TEST(DecodeBitrate, HeadersFromPlayerFiles) {
    const uint8_t mpeg1Layer3At128[4] = {0xFF, 0xFB, 0x90, 0x64};
    const uint8_t mpeg2Layer3At32[4] = {0xFF, 0xF3, 0x40, 0xC0};
    EXPECT_EQ(DecodeBitrate(mpeg1Layer3At128), 128);
    EXPECT_EQ(DecodeBitrate(mpeg2Layer3At32), 32);
}

TEST(DecodeBitrate, OnlyVersionLayerAndIndexBitsMatter) {
    // Protection bit, padding/private/sampling bits and the fourth byte are ignored.
    for (uint8_t h1Low : {0, 1})
        for (uint8_t h2Low : {0x0, 0x5, 0xF})
            for (uint8_t h3 : {0x00, 0xFF}) {
                EXPECT_EQ(Decode(V1, L3, 9, h1Low, h2Low, h3), 128);
                EXPECT_EQ(Decode(V2, L1, 14, h1Low, h2Low, h3), 256);
            }
}

TEST(DecodeBitrate, InvalidHeadersGiveZero) {
    for (int layer : {L1, L2, L3})
        for (int index = 0; index < 16; ++index)
            EXPECT_EQ(Decode(VReserved, layer, index), 0) << layer << " " << index;
    for (int version : {V1, V2, V25}) {
        for (int index = 0; index < 16; ++index)
            EXPECT_EQ(Decode(version, LReserved, index), 0) << version << " " << index;
        for (int layer : {L1, L2, L3})
            EXPECT_EQ(Decode(version, layer, 15), 0) << version << " " << layer;
    }
    const uint8_t none[4] = {0, 0, 0, 0};
    EXPECT_EQ(DecodeBitrate(none), 0);
}
