// SPDX-License-Identifier: GPL-3.0-or-later
// The portable half of CDIB: create, load from both header forms, save, and the
// refusals that keep a damaged or hostile file from being trusted.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "skin/DIB.h"
#include "tests/skin/BmpBuilder.h"

namespace {

bool Load(CDIB& dib, const std::vector<uint8_t>& bytes) {
    return dib.LoadFromBytes(bytes.data(), bytes.size());
}

void ExpectPixelsFromBuilder(CDIB& dib, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = dib.PixelAddress(x, y);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(*p, BmpBuilder::Pixel(x, y)) << x << "," << y;
        }
}

TEST(DIB, ConstructionGivesGreyRamp16x16AndCreateReplacesIt) {
    CDIB dib;
    ASSERT_FALSE(dib.IsEmpty());
    EXPECT_STREQ(CDIB::kClassName, "CDIB");
    EXPECT_EQ(dib.Width(), 16);
    EXPECT_EQ(dib.Height(), 16);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.Info()->header.size, 40u);
    EXPECT_EQ(dib.Info()->header.planes, 1);
    EXPECT_EQ(dib.Info()->header.clrUsed, 0u);
    EXPECT_EQ(dib.NumColours(), 256);
    for (int i = 0; i < 256; ++i) {
        const DIBColour& c = dib.Info()->colours[i];
        ASSERT_TRUE(c.blue == i && c.green == i && c.red == i && c.reserved == 0) << i;
    }

    // Rows pad to multiples of 4; every pixel starts at 0.
    ASSERT_TRUE(dib.Create(5, 3));
    EXPECT_EQ(dib.Stride(), 8u);
    EXPECT_EQ(dib.BitsSize(), 24u);
    for (size_t i = 0; i < dib.BitsSize(); ++i)
        ASSERT_EQ(dib.Bits()[i], 0);
    // Pixel (x, y) from the top lies in row height - y - 1 of the bottom-up rows.
    EXPECT_EQ(dib.PixelAddress(2, 0), dib.Bits() + 2 * 8 + 2);
    EXPECT_EQ(dib.PixelAddress(4, 2), dib.Bits() + 4);
    EXPECT_EQ(dib.PixelAddress(5, 0), nullptr);
    EXPECT_EQ(dib.PixelAddress(0, 3), nullptr);
    EXPECT_EQ(dib.PixelAddress(-1, 0), nullptr);

    EXPECT_FALSE(dib.Create(0, 3));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(dib.NumColours(), 0);
    EXPECT_FALSE(dib.Create(100000, 100000));   // beyond the size limit
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, WindowsAndCoreHeadersLoadToTheSameForm) {
    BmpBuilder windows;
    BmpBuilder core;
    core.core = true;
    CDIB a, b;
    ASSERT_TRUE(Load(a, windows.Build()));
    ASSERT_TRUE(Load(b, core.Build()));
    for (CDIB* dib : {&a, &b}) {
        EXPECT_EQ(dib->Width(), 5);
        EXPECT_EQ(dib->Height(), 3);
        EXPECT_EQ(dib->Info()->header.size, 40u);
        EXPECT_EQ(dib->NumColours(), 256);
        ExpectPixelsFromBuilder(*dib, 5, 3);
    }
    EXPECT_EQ(std::memcmp(a.Info()->colours, b.Info()->colours, sizeof a.Info()->colours), 0);
    uint8_t bgr[3];
    BmpBuilder::Colour(200, bgr);
    const DIBColour& c = b.Info()->colours[200];
    EXPECT_TRUE(c.blue == bgr[0] && c.green == bgr[1] && c.red == bgr[2] && c.reserved == 0);
    EXPECT_EQ(a.Info()->colours[7].reserved, 0);
    // The core form has no resolution fields: they read as 0.
    EXPECT_EQ(b.Info()->header.xPelsPerMeter, 0);
    EXPECT_EQ(a.Info()->header.xPelsPerMeter, 2835);
}

TEST(DIB, ColourTableSizeFollowsBitCountAndColoursUsed) {
    // 4 bits with colours used 0: 16 entries (64 bytes) before the pixels.
    BmpBuilder four;
    four.bitCount = 4;
    four.tableEntries = 16;
    CDIB dib;
    ASSERT_TRUE(Load(dib, four.Build()));
    EXPECT_EQ(dib.NumColours(), 16);
    EXPECT_EQ(dib.Stride(), 4u);
    EXPECT_EQ(dib.PixelAddress(0, 0), nullptr);   // not an 8-bit image

    BmpBuilder used;
    used.clrUsed = 20;
    used.tableEntries = 20;
    ASSERT_TRUE(Load(dib, used.Build()));
    EXPECT_EQ(dib.NumColours(), 20);
    ExpectPixelsFromBuilder(dib, 5, 3);

    // A core header ignores nothing: it has no colours-used field. 1 bit: 2 entries.
    BmpBuilder mono;
    mono.core = true;
    mono.bitCount = 1;
    mono.tableEntries = 2;
    mono.width = 1;
    mono.height = 1;
    ASSERT_TRUE(Load(dib, mono.Build()));   // 36 bytes: shorter than a Windows header
    EXPECT_EQ(dib.NumColours(), 2);

    BmpBuilder truecolour;
    truecolour.bitCount = 24;
    truecolour.tableEntries = 0;
    ASSERT_TRUE(Load(dib, truecolour.Build()));
    EXPECT_EQ(dib.NumColours(), 0);
    EXPECT_EQ(dib.Stride(), 16u);
}

TEST(DIB, ColoursUsedAboveTheTableIsClampedTo256) {
    BmpBuilder b;
    b.clrUsed = 0x7FFFFFFF;
    b.tableEntries = 300;   // more in the file than the table holds
    CDIB dib;
    ASSERT_TRUE(Load(dib, b.Build()));
    EXPECT_EQ(dib.NumColours(), 256);
    EXPECT_EQ(dib.Info()->header.clrUsed, 256u);
    ExpectPixelsFromBuilder(dib, 5, 3);
    // ... and the same claim without the entries in the file is a truncation.
    b.tableEntries = 10;
    b.width = 1;
    b.height = 1;
    EXPECT_FALSE(Load(dib, b.Build()));
}

TEST(DIB, RefusalsLeaveThePreviousImage) {
    struct Case {
        const char* name;
        BmpBuilder b;
        std::vector<uint8_t> (*edit)(std::vector<uint8_t>);
    };
    auto same = [](std::vector<uint8_t> v) { return v; };
    BmpBuilder base;
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change, std::vector<uint8_t> (*edit)(std::vector<uint8_t>)) {
        BmpBuilder b = base;
        change(b);
        cases.push_back({name, b, edit});
    };
    auto none = [](BmpBuilder&) {};
    add("wrong magic", none, [](std::vector<uint8_t> v) { v[0] = 'M'; v[1] = 'B'; return v; });
    add("108-byte header", none, [](std::vector<uint8_t> v) { v[14] = 108; return v; });
    add("zero header size", none, [](std::vector<uint8_t> v) { v[14] = 0; return v; });
    add("truncated pixels", none, [](std::vector<uint8_t> v) { v.pop_back(); return v; });
    add("truncated table", none, [](std::vector<uint8_t> v) { v.resize(14 + 40 + 100); return v; });
    add("truncated header", none, [](std::vector<uint8_t> v) { v.resize(14 + 39); return v; });
    add("file header only", none, [](std::vector<uint8_t> v) { v.resize(14); return v; });
    add("zero width", [](BmpBuilder& b) { b.width = 0; }, same);
    add("negative width", [](BmpBuilder& b) { b.width = -5; }, same);
    add("top-down", [](BmpBuilder& b) { b.height = -3; }, same);
    add("two planes", [](BmpBuilder& b) { b.planes = 2; }, same);
    add("bit count 7", [](BmpBuilder& b) { b.bitCount = 7; }, same);
    add("run-length", [](BmpBuilder& b) { b.compression = 1; }, same);
    add("file size below offset", [](BmpBuilder& b) { b.fileSizeDelta = -25; }, same);
    add("pixel count below rows", [](BmpBuilder& b) { b.fileSizeDelta = -1; }, same);
    add("offset inside header", [](BmpBuilder& b) { b.offsetDelta = -(256 * 4 + 1); }, same);
    add("offset past the end", [](BmpBuilder& b) { b.offsetDelta = 4; b.fileSizeDelta = 4; }, same);
    add("huge image", [](BmpBuilder& b) { b.width = 0x7FFFFFFF; b.height = 0x7FFFFFFF; b.tableEntries = 0; b.bitCount = 32; b.writePixels = false; },
        same);
    add("overflowing stride", [](BmpBuilder& b) { b.width = 0x40000000; b.height = 1; b.bitCount = 32; b.tableEntries = 0; b.writePixels = false; },
        same);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDIB dib;
        ASSERT_TRUE(dib.Create(7, 2));
        dib.Bits()[3] = 42;
        const std::vector<uint8_t> bytes = c.edit(c.b.Build());
        EXPECT_FALSE(Load(dib, bytes));
        EXPECT_EQ(dib.Width(), 7);
        EXPECT_EQ(dib.Height(), 2);
        EXPECT_EQ(dib.Bits()[3], 42);
    }
}

TEST(DIB, DeclaredPixelCountBeyondTheRowsIsReadOnlyUpToTheRows) {
    BmpBuilder b;
    b.fileSizeDelta = 1000;   // claims more pixel bytes than the rows hold
    std::vector<uint8_t> bytes = b.Build();
    bytes.insert(bytes.end(), 1000, 0xEE);
    CDIB dib;
    ASSERT_TRUE(Load(dib, bytes));
    EXPECT_EQ(dib.BitsSize(), 24u);
    ExpectPixelsFromBuilder(dib, 5, 3);
    // The offset may skip bytes between the table and the pixels.
    b = BmpBuilder();
    b.offsetDelta = 0;
    b.tableEntries = 256;
    bytes = b.Build();
    bytes.insert(bytes.begin() + 14 + 40 + 1024, 6, 0xAB);
    bytes[10] = uint8_t(bytes[10] + 6);
    bytes[2] = uint8_t(bytes[2] + 6);
    ASSERT_TRUE(Load(dib, bytes));
    ExpectPixelsFromBuilder(dib, 5, 3);
}

TEST(DIB, SaveWritesWhatLoadReads) {
    BmpBuilder b;
    b.clrUsed = 40;
    b.tableEntries = 40;
    CDIB original;
    ASSERT_TRUE(Load(original, b.Build()));
    const std::vector<uint8_t> saved = original.SaveToBytes();
    EXPECT_EQ(saved.size(), 14u + 40 + 40 * 4 + 24);
    CDIB again;
    ASSERT_TRUE(Load(again, saved));
    EXPECT_EQ(std::memcmp(original.Info(), again.Info(), sizeof(DIBInfo)), 0);
    EXPECT_EQ(std::memcmp(original.Bits(), again.Bits(), 24), 0);
    EXPECT_EQ(again.SaveToBytes(), saved);
}

TEST(DIB, FileLoadReadsFromTheCurrentPosition) {
    BmpBuilder core;
    core.core = true;
    const std::vector<uint8_t> bmp = core.Build();
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    const char prefix[] = "skip";
    std::fwrite(prefix, 1, 4, f);
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fseek(f, 4, SEEK_SET);
    CDIB dib;
    bool readError = true;
    ASSERT_TRUE(dib.Load(f, &readError));
    EXPECT_FALSE(readError);
    ExpectPixelsFromBuilder(dib, 5, 3);

    // Saved to a file and read back from its start.
    std::rewind(f);
    ASSERT_TRUE(dib.Save(f));
    std::rewind(f);
    CDIB back;
    ASSERT_TRUE(back.Load(f));
    ExpectPixelsFromBuilder(back, 5, 3);

    // Content faults are not read errors; a stream that cannot be read is.
    std::rewind(f);
    std::fwrite("XX", 1, 2, f);
    std::rewind(f);
    EXPECT_FALSE(back.Load(f, &readError));
    EXPECT_FALSE(readError);
    std::fclose(f);
    f = std::fopen("/dev/null", "w");   // opened for writing only: reads fail
    if (f != nullptr) {
        EXPECT_FALSE(back.Load(f, &readError));
        EXPECT_TRUE(readError);
        std::fclose(f);
    }
}

}  // namespace

namespace {

// The picture the connect window reads beside the executable.
TEST(DIB, ShippedConnectPictureLoadsWithAFullPalette) {
    std::FILE* f = std::fopen(QUAVEL_ART_DIR "/connect.bmp", "rb");
    ASSERT_NE(f, nullptr);
    CDIB dib;
    EXPECT_TRUE(dib.Load(f));
    std::fclose(f);
    EXPECT_EQ(dib.Width(), 187);
    EXPECT_EQ(dib.Height(), 221);
    EXPECT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.NumColours(), 256);
}

}  // namespace
