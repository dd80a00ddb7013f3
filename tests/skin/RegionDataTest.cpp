// SPDX-License-Identifier: GPL-3.0-or-later
// Region-data parsing: the structural checks that stand between resource bytes
// and the platform, and the stricter form check the window shapes must pass.
#include <gtest/gtest.h>

#include "skin/RegionData.h"
#include "tests/skin/RegionShapes.h"

namespace {

void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(v >> (8 * i));
}

TEST(RegionData, EveryShapeSerialisesToItsSizeAndParsesBack) {
    for (const RegionShape& shape : AllRegionShapes()) {
        SCOPED_TRACE(shape.id);
        const RegionData region = shape.ToRegion();
        ASSERT_EQ(region.rects.size(), size_t(shape.count));
        const std::vector<uint8_t> bytes = SerializeRegionData(region);
        EXPECT_EQ(bytes.size(), size_t(shape.byteSize));
        RegionData parsed;
        std::string why;
        ASSERT_TRUE(ParseRegionData(bytes.data(), bytes.size(), parsed, &why)) << why;
        EXPECT_EQ(parsed.bounds, (RegionRect{0, 0, shape.width, shape.height}));
        EXPECT_EQ(parsed.rects, region.rects);
        EXPECT_TRUE(CheckRegionForm(parsed, &why)) << why;
    }
}

TEST(RegionData, ContainsHonoursSlitCornersAndExclusiveEdges) {
    const RegionData main = FindRegionShape(145).ToRegion();
    EXPECT_FALSE(main.Contains(0, 0));      // rounded corner
    EXPECT_TRUE(main.Contains(6, 0));
    EXPECT_FALSE(main.Contains(470, 0));    // right edge exclusive
    EXPECT_FALSE(main.Contains(200, 3));    // dip in the top edge
    EXPECT_TRUE(main.Contains(94, 5));
    EXPECT_FALSE(main.Contains(3, 100));    // the slit
    EXPECT_TRUE(main.Contains(2, 100));
    EXPECT_TRUE(main.Contains(6, 100));
    EXPECT_FALSE(main.Contains(475, 279));
    EXPECT_FALSE(main.Contains(200, 280));  // bottom edge exclusive

    const RegionData about = FindRegionShape(276).ToRegion();
    EXPECT_FALSE(about.Contains(281, 100));   // gap before the right-hand strip
    EXPECT_TRUE(about.Contains(282, 0));
    EXPECT_FALSE(about.Contains(100, 211));   // the strip joins only at the bottom
    EXPECT_TRUE(about.Contains(285, 211));
    EXPECT_TRUE(about.Contains(281, 215));
}

TEST(RegionData, StructuralFaultsAreRefused) {
    const std::vector<uint8_t> good = SerializeRegionData(FindRegionShape(272).ToRegion());
    RegionData out;
    ASSERT_TRUE(ParseRegionData(good.data(), good.size(), out));

    struct Case {
        const char* name;
        size_t offset;
        uint32_t value;
    } cases[] = {
        {"header size", 0, 40},
        {"type", 4, 2},
        {"count above the list", 8, 27},
        {"count below the list", 8, 25},
        {"list size", 12, 16 * 27},
        // 0x10000001 x 16 wraps to 16 in 32 bits: the check must not.
        {"wrapping count", 8, 0x10000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bad = good;
        Put32(bad, c.offset, c.value);
        std::string why;
        EXPECT_FALSE(ParseRegionData(bad.data(), bad.size(), out, &why));
        EXPECT_FALSE(why.empty());
    }
    // Sizes that disagree with the header: one byte short or long, or no header.
    EXPECT_FALSE(ParseRegionData(good.data(), good.size() - 1, out));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ParseRegionData(longer.data(), longer.size(), out));
    EXPECT_FALSE(ParseRegionData(good.data(), 31, out));
    EXPECT_FALSE(ParseRegionData(good.data(), 0, out));
    EXPECT_FALSE(ParseRegionData(nullptr, 448, out));
    // An empty list is structurally sound (the platform accepts it) but no shape.
    RegionData empty;
    const std::vector<uint8_t> none = SerializeRegionData(empty);
    ASSERT_TRUE(ParseRegionData(none.data(), none.size(), out));
    EXPECT_FALSE(CheckRegionForm(out));
}

TEST(RegionData, FormCheckFindsMisplacedRectangles) {
    const RegionData good = FindRegionShape(236).ToRegion();
    auto broken = [&](auto change) {
        RegionData r = good;
        change(r);
        return CheckRegionForm(r);
    };
    EXPECT_TRUE(broken([](RegionData&) {}));
    EXPECT_FALSE(broken([](RegionData& r) { r.rects[3].right = r.rects[3].left; }));
    EXPECT_FALSE(broken([](RegionData& r) { r.rects[0].right = 407; }));      // outside bounds
    EXPECT_FALSE(broken([](RegionData& r) { r.bounds.bottom = 248; }));       // loose bounds
    EXPECT_FALSE(broken([](RegionData& r) { std::swap(r.rects[1], r.rects[2]); }));
    EXPECT_FALSE(broken([](RegionData& r) { r.rects[4].bottom = 6; }));       // band split
    EXPECT_FALSE(broken([](RegionData& r) { r.rects[4].left = 90; }));        // overlap in band
}

}  // namespace
