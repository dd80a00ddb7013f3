// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/RegionData.h"
#include "tests/art/ArtFile.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int resource;
    size_t bytes;
    uint32_t count;
    RegionRect bounds;
    std::vector<RegionRect> someRects;  // rectangles the shape must hold, from its table
};

const std::vector<Expected>& ExpectedRegions() {
    static const std::vector<Expected> regions = {
        {145, 448, 26, {0, 0, 476, 280},
         {{6, 0, 470, 1}, {2, 3, 94, 4}, {431, 3, 474, 4}, {0, 6, 476, 39}, {0, 42, 3, 229},
          {6, 42, 476, 229}, {4, 231, 476, 232}, {6, 279, 470, 280}}},
        {236, 496, 29, {0, 0, 406, 247},
         {{6, 0, 400, 1}, {352, 5, 405, 6}, {0, 16, 17, 18}, {18, 16, 406, 18}, {6, 42, 406, 194},
          {0, 197, 406, 241}, {6, 246, 400, 247}}},
        {272, 448, 26, {0, 0, 275, 263},
         {{6, 0, 269, 1}, {2, 3, 79, 4}, {235, 3, 273, 4}, {6, 42, 275, 218}, {0, 221, 275, 257},
          {6, 262, 269, 263}}},
        {276, 496, 29, {0, 0, 292, 220},
         {{6, 0, 275, 1}, {282, 0, 292, 1}, {230, 3, 279, 4}, {0, 6, 281, 206}, {282, 211, 292, 212},
          {0, 212, 292, 220}}},
    };
    return regions;
}

TEST(RegionResources, HeaderBoundsAndBandsMatchTheWindowShapes) {
    for (const Expected& e : ExpectedRegions()) {
        SCOPED_TRACE("region " + std::to_string(e.resource));
        std::vector<uint8_t> bytes = ReadArtFile("rgn" + std::to_string(e.resource) + ".bin");
        ASSERT_EQ(bytes.size(), e.bytes);
        EXPECT_EQ(U32(bytes, 0), 32u);
        EXPECT_EQ(U32(bytes, 4), 1u);
        EXPECT_EQ(U32(bytes, 8), e.count);
        EXPECT_EQ(U32(bytes, 12), 16 * e.count);

        RegionData region;
        std::string why;
        ASSERT_TRUE(ParseRegionData(bytes.data(), bytes.size(), region, &why)) << why;
        EXPECT_TRUE(CheckRegionForm(region, &why)) << why;
        EXPECT_EQ(region.bounds, e.bounds);
        EXPECT_EQ(region.rects.size(), e.count);
        for (const RegionRect& r : e.someRects)
            EXPECT_NE(std::find(region.rects.begin(), region.rects.end(), r), region.rects.end())
                << "missing (" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
    }
}

TEST(RegionResources, HolesOfTheShapesAreOutside) {
    auto region = [](int resource) {
        std::vector<uint8_t> bytes = ReadArtFile("rgn" + std::to_string(resource) + ".bin");
        RegionData r;
        EXPECT_TRUE(ParseRegionData(bytes.data(), bytes.size(), r));
        return r;
    };
    RegionData main = region(145), playlist = region(236), about = region(276);
    EXPECT_FALSE(main.Contains(0, 0));      // rounded corner
    EXPECT_FALSE(main.Contains(200, 4));    // dip in the top edge
    EXPECT_TRUE(main.Contains(200, 2));     // the rail above the dip
    EXPECT_FALSE(main.Contains(4, 100));    // the slit by the left edge
    EXPECT_TRUE(main.Contains(1, 100));
    EXPECT_TRUE(main.Contains(475, 273));
    EXPECT_FALSE(main.Contains(476, 100));  // right edge is exclusive
    EXPECT_FALSE(playlist.Contains(17, 17));
    EXPECT_FALSE(about.Contains(281, 100));  // gap before the right-hand strip
    EXPECT_FALSE(about.Contains(100, 211));  // below the body, above the base
    EXPECT_TRUE(about.Contains(285, 211));
}

}  // namespace
