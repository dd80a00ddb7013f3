// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/artgen/ImageFile.h"

#include <gtest/gtest.h>

namespace {

// The skins take pure black as transparent: reducing a picture of many colours to
// 256 must keep black exact and must never turn a dark opaque colour into black.
TEST(Quantize, BlackStaysTheOnlyTransparentColourInManyColourPictures) {
    Canvas c(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) c.Set(x, y, Rgb(x * 4, y * 4, (x + y) * 2));  // 4096 colours
    c.Fill({0, 0, 8, 8}, Rgb());
    for (int i = 1; i < 36; ++i)  // dark greys and tints a reduction would merge
        c.Set(8 + i, 20, Rgb(i % 4, (i / 4) % 3, (i / 12) % 3));
    IndexedImage img = Quantize256(c);
    ASSERT_EQ(img.palette.size(), 256u);
    ASSERT_EQ(img.index.size(), 64u * 64u);
    auto colour = [&](int x, int y) { return img.palette[img.index[size_t(y) * 64 + size_t(x)]]; };
    EXPECT_EQ(colour(3, 3), Rgb());
    for (int y = 8; y < 64; ++y)
        for (int x = 8; x < 64; ++x) ASSERT_NE(colour(x, y), Rgb()) << x << ", " << y;
    // and the reduction stays close: no channel off by more than a band of the ramp
    Rgb far = colour(60, 10), want = c.Get(60, 10);
    EXPECT_LE(std::abs(far.r - want.r) + std::abs(far.g - want.g) + std::abs(far.b - want.b), 48);
}

TEST(Quantize, FewColoursAreKeptExactlyAndSixteenColourPicturesKeepMagenta) {
    Canvas c(10, 2, Rgb(65, 61, 66));
    c.Set(1, 1, Rgb(0, 255, 128));
    IndexedImage img = Quantize256(c);
    EXPECT_EQ(img.palette[img.index[0]], Rgb(65, 61, 66));
    EXPECT_EQ(img.palette[img.index[11]], Rgb(0, 255, 128));

    Canvas strip(4, 1, Rgb(255, 0, 255));
    strip.Set(1, 0, Rgb(250, 250, 10));  // nearest standard colour: yellow
    IndexedImage s = MapToStandard16(strip);
    EXPECT_EQ(s.bits, 4);
    EXPECT_EQ(s.palette.size(), 16u);
    EXPECT_EQ(s.palette[s.index[0]], Rgb(255, 0, 255));
    EXPECT_EQ(s.palette[s.index[1]], Rgb(255, 255, 0));
}

}  // namespace
