// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/RegionData.h"
#include "tests/art/ArtFile.h"
#include "tools/artgen/Art.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>

namespace {

// A palette .BMP read back: the header checks every bitmap must pass, and pixels.
struct Bmp {
    int width = 0, height = 0, bits = 0;
    std::vector<std::array<uint8_t, 3>> palette;  // r, g, b
    std::vector<uint8_t> bytes;
    uint32_t offset = 0;

    std::array<uint8_t, 3> Pixel(int x, int y) const {
        size_t stride = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
        size_t row = offset + size_t(height - 1 - y) * stride;
        uint8_t v = bits == 8 ? bytes[row + size_t(x)] : uint8_t(bytes[row + size_t(x) / 2] >> (x % 2 ? 0 : 4)) & 15;
        return palette[v];
    }
};

// Loads name and checks the classic form: "BM", sizes that agree, a 40-byte
// header, one plane, no compression, a full colour table.
Bmp LoadBmp(const std::string& name) {
    Bmp b;
    b.bytes = ReadArtFile(name);
    EXPECT_GE(b.bytes.size(), 54u) << name;
    if (b.bytes.size() < 54) return b;
    EXPECT_EQ(U16(b.bytes, 0), 0x4D42) << name;
    EXPECT_EQ(U32(b.bytes, 2), b.bytes.size()) << name;
    EXPECT_EQ(U32(b.bytes, 14), 40u) << name;
    b.width = int(U32(b.bytes, 18));
    b.height = int(U32(b.bytes, 22));
    b.bits = U16(b.bytes, 28);
    EXPECT_EQ(U16(b.bytes, 26), 1) << name;
    EXPECT_EQ(U32(b.bytes, 30), 0u) << name;
    EXPECT_EQ(U32(b.bytes, 46), 0u) << name << ": colours used must mean the whole table";
    EXPECT_TRUE(b.bits == 4 || b.bits == 8) << name;
    size_t entries = size_t(1) << b.bits;
    b.offset = U32(b.bytes, 10);
    EXPECT_EQ(b.offset, 54 + 4 * entries) << name;
    size_t stride = ((size_t(b.width) * size_t(b.bits) + 31) / 32) * 4;
    EXPECT_EQ(b.bytes.size(), b.offset + stride * size_t(b.height)) << name;
    if (b.bytes.size() != b.offset + stride * size_t(b.height)) b.width = b.height = 0;
    for (size_t i = 0; i < entries && 54 + 4 * i + 3 < b.bytes.size(); ++i)
        b.palette.push_back({b.bytes[56 + 4 * i], b.bytes[55 + 4 * i], b.bytes[54 + 4 * i]});
    return b;
}

struct Stem {
    const char* name;
    int width, height;
    bool disabledFace;
};

// The bitmap sets of the buttons: every stem has an up and a down face.
const Stem kStems[] = {
    {"ABOUT", 83, 19, false},  {"ADD", 66, 20, true},      {"CANCEL", 60, 20, true},  {"CLOSE", 13, 12, true},
    {"DELETE", 60, 20, true},  {"DOWN", 60, 20, true},     {"DOWNP", 60, 20, true},   {"EXTFL", 53, 61, false},
    {"FAST", 60, 20, true},    {"HELP", 12, 12, false},    {"HELPB", 60, 20, false},  {"INIT", 60, 20, true},
    {"INTFL", 53, 61, false},  {"KESTRY", 67, 24, false},  {"MOVDOWN", 66, 20, true}, {"MOVUP", 66, 20, true},
    {"NEW", 60, 20, true},     {"OK", 60, 20, true},       {"OPEN", 60, 20, true},    {"PLAYLST", 106, 20, true},
    {"REFRESH", 60, 20, true}, {"REMOVE", 60, 20, true},   {"SAVE", 60, 20, true},    {"SAVEAS", 60, 20, true},
    {"SETDEF", 67, 22, false}, {"SLOW", 60, 20, true},     {"UPLOAD", 60, 20, true},  {"MEDIUM", 60, 20, true},
};

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string ResourceScript() {
    std::vector<uint8_t> b = ReadArtFile("art.rc.inc");
    return std::string(b.begin(), b.end());
}

TEST(ArtFiles, ButtonFacesHaveTheirSizesAndLookDifferentByState) {
    std::string rc = ResourceScript();
    for (const Stem& s : kStems) {
        SCOPED_TRACE(s.name);
        std::string stem = s.name;
        std::vector<std::string> faces = {"U", "D"};
        if (s.disabledFace) faces.push_back("X");
        std::vector<Bmp> bmps;
        for (const std::string& f : faces) {
            std::string file = Lower(stem + f) + ".bmp";
            EXPECT_NE(rc.find(stem + f + " BITMAP \"art/" + file + "\""), std::string::npos);
            bmps.push_back(LoadBmp(file));
            EXPECT_EQ(bmps.back().bits, 8);
            EXPECT_EQ(bmps.back().width, s.width);
            EXPECT_EQ(bmps.back().height, s.height);
        }
        EXPECT_EQ(rc.find(stem + "F BITMAP"), std::string::npos) << "no stem has a focus face";
        if (!s.disabledFace) {
            EXPECT_EQ(rc.find(stem + "X BITMAP"), std::string::npos);
        }
        for (size_t i = 1; i < bmps.size(); ++i)
            EXPECT_NE(bmps[i].bytes, bmps[0].bytes) << faces[i] << " face looks like the up face";
    }
}

TEST(ArtFiles, PicturesHaveTheirSizesAndColourDepths) {
    struct Picture {
        const char* file;
        int width, height, bits;
    } pictures[] = {{"skin133.bmp", 478, 301, 8}, {"skin183.bmp", 407, 249, 8}, {"skin240.bmp", 278, 265, 8},
                    {"skin254.bmp", 292, 220, 8}, {"skin297.bmp", 278, 265, 8}, {"connect262.bmp", 187, 221, 8},
                    {"filelist129.bmp", 160, 18, 4}, {"drives144.bmp", 80, 16, 4}};
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.file);
        Bmp b = LoadBmp(p.file);
        EXPECT_EQ(b.width, p.width);
        EXPECT_EQ(b.height, p.height);
        EXPECT_EQ(b.bits, p.bits);
    }
    // The image lists take magenta as transparent: the strips must have it.
    for (const char* strip : {"filelist129.bmp", "drives144.bmp"}) {
        Bmp b = LoadBmp(strip);
        EXPECT_NE(std::find(b.palette.begin(), b.palette.end(), std::array<uint8_t, 3>{255, 0, 255}), b.palette.end());
        EXPECT_EQ(b.Pixel(0, 0), (std::array<uint8_t, 3>{255, 0, 255})) << strip;
    }
    // The four lamps lie on one place and must cover each other exactly.
    Bmp idle = LoadBmp("lamp137.bmp");
    for (int lamp = 138; lamp <= 141; ++lamp) {
        Bmp b = LoadBmp("lamp" + std::to_string(lamp) + ".bmp");
        EXPECT_EQ(b.width, idle.width);
        EXPECT_EQ(b.height, idle.height);
    }
    LoadBmp("player135.bmp");
    LoadBmp("pc136.bmp");
    // The connect window's file carries the same 256-colour picture as resource 262.
    EXPECT_EQ(ReadArtFile("connect.bmp"), ReadArtFile("connect262.bmp"));
}

TEST(ArtFiles, SkinsAreBlackExactlyOutsideTheirWindowShape) {
    struct Skin {
        int skin, region;
    } skins[] = {{133, 145}, {183, 236}, {240, 272}, {254, 276}, {297, 272}};
    for (const Skin& s : skins) {
        SCOPED_TRACE("skin " + std::to_string(s.skin));
        std::vector<uint8_t> rgn = ReadArtFile("rgn" + std::to_string(s.region) + ".bin");
        RegionData shape;
        ASSERT_TRUE(ParseRegionData(rgn.data(), rgn.size(), shape));
        Bmp b = LoadBmp("skin" + std::to_string(s.skin) + ".bmp");
        ASSERT_GE(b.width, shape.bounds.right);
        ASSERT_GE(b.height, shape.bounds.bottom);
        int wrong = 0;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x) {
                bool black = b.Pixel(x, y) == std::array<uint8_t, 3>{0, 0, 0};
                if (black == shape.Contains(x, y) && ++wrong <= 3)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << (black ? "" : "not ")
                                  << "black, " << (black ? "inside" : "outside") << " the shape";
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(ArtFiles, IconHoldsALargeAndASmallImage) {
    std::vector<uint8_t> ico = ReadArtFile("quavel128.ico");
    ASSERT_GE(ico.size(), 38u);
    EXPECT_EQ(U16(ico, 0), 0);
    EXPECT_EQ(U16(ico, 2), 1);
    ASSERT_EQ(U16(ico, 4), 2);
    EXPECT_NE(ResourceScript().find("128 ICON \"art/quavel128.ico\""), std::string::npos);
    for (int i = 0; i < 2; ++i) {
        size_t entry = 6 + 16 * size_t(i);
        int size = i == 0 ? 32 : 16;
        EXPECT_EQ(ico[entry], size);
        EXPECT_EQ(ico[entry + 1], size);
        uint32_t bytes = U32(ico, entry + 8), offset = U32(ico, entry + 12);
        ASSERT_LE(size_t(offset) + bytes, ico.size());
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(U32(ico, offset + 8), uint32_t(2 * size)) << "height covers image and mask";
        // 8-bit image, 256-entry table, image rows and 1-bit mask rows
        EXPECT_EQ(bytes, 40u + 1024u + uint32_t(size * size) + uint32_t(size * 4));
    }
}

TEST(ArtFiles, GeneratorMakesExactlyTheCommittedFiles) {
    std::vector<ArtFile> files = BuildAllArt();
    std::istringstream rc(ResourceScript());
    std::string line;
    size_t resourceLines = 0;
    while (std::getline(rc, line))
        if (!line.empty() && line.compare(0, 2, "//") != 0) ++resourceLines;
    EXPECT_EQ(resourceLines, 5u + 77u + 7u + 3u + 1u + 4u);  // skins, faces, pictures, 262/129/144, icon, regions
    for (const ArtFile& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_TRUE(ReadArtFile(f.name) == f.bytes) << "res/art is out of date: run the quavel_art target";
    }
}

}  // namespace
