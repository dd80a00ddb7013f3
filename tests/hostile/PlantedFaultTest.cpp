// SPDX-License-Identifier: GPL-3.0-or-later
// Two faults that once slipped in and must stay out: the size of a PC file of
// 2 GB or more (a 32-bit size read it as negative or as its low bits), and a
// region rectangle whose top lies strictly inside the band before it (which the
// platform would draw as an overlap).
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <system_error>

#include "playlist/FileEntry.h"
#include "skin/RegionData.h"
#include "tests/device/ProcessTempDir.h"

namespace {

TEST(PlantedFaults, FileSizeOfSparseFilesOfTwoGigabytesAndMore)
{
    namespace fs = std::filesystem;
    const fs::path path = fs::path(ProcessTempDir()) / "quavel-sparse-2gb.bin";
    struct SRemove {
        fs::path p;
        ~SRemove() { std::error_code ignored; fs::remove(p, ignored); }
    } remove{path};
    { std::FILE* f = std::fopen(path.string().c_str(), "wb"); ASSERT_NE(f, nullptr); std::fclose(f); }
    struct SCase { uintmax_t size; int32_t expected; };
    const SCase cases[] = {
        {0x7FFFFFFFull, INT32_MAX},                 // the largest size that fits
        {0x80000000ull, INT32_MAX},                 // 2 GB: negative as a 32-bit value
        {0x80000000ull + 70000, INT32_MAX},
        {0x100000000ull + 5, INT32_MAX},            // 4 GB + 5: its low 32 bits are 5
    };
    for (const SCase& c : cases) {
        std::error_code error;
        fs::resize_file(path, c.size, error);     // sparse: no disk space taken
        ASSERT_FALSE(error) << error.message();
        EXPECT_EQ(FileSize(path.string().c_str()), c.expected) << c.size;
    }
}

TEST(PlantedFaults, RectangleStartingInsideThePreviousBandIsRefused)
{
    RegionData r;
    r.bounds = RegionRect{0, 0, 10, 6};
    r.rects = {RegionRect{0, 0, 10, 4}, RegionRect{0, 2, 10, 6}};   // top 2 inside 0..4
    std::string why;
    EXPECT_FALSE(CheckRegionForm(r, &why));
    EXPECT_NE(why.find("starts inside the previous band"), std::string::npos) << why;
    // Through the bytes as well.
    const std::vector<uint8_t> bytes = SerializeRegionData(r);
    RegionData parsed;
    ASSERT_TRUE(ParseRegionData(bytes.data(), bytes.size(), parsed));
    EXPECT_FALSE(CheckRegionForm(parsed));
    // Touching bands are fine: the next band starts where the last one ends.
    r.rects[1].top = 4;
    EXPECT_TRUE(CheckRegionForm(r, &why)) << why;
    // And a rectangle beginning one row above the band's end is caught too.
    r.rects[1].top = 3;
    EXPECT_FALSE(CheckRegionForm(r));
}

}  // namespace
