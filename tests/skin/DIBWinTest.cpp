// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing half of CDIB and the palette built from its colour table.
#include <gtest/gtest.h>

#include "skin/DIB.h"
#include "skin/DIBPalette.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

TEST(DIBPalette, OneEntryPerTableColour) {
    CDIB dib;
    ASSERT_TRUE(dib.Create(4, 2));
    DIBInfo* info = dib.Info();
    for (int i = 0; i < 256; ++i)
        info->colours[i] = DIBColour{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    info->header.clrUsed = 40;
    CDIBPalette palette;
    ASSERT_TRUE(palette.Create(dib));
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(::GetPaletteEntries(palette.Get(), 0, 256, entries), 40u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(entries[i].peRed, i / 2);
        EXPECT_EQ(entries[i].peGreen, 255 - i);
        EXPECT_EQ(entries[i].peBlue, i);
        EXPECT_EQ(entries[i].peFlags, 0);
    }
    // No colour table: no palette, and the old one stays.
    info->header.clrUsed = 0;
    info->header.bitCount = 24;
    HPALETTE before = palette.Get();
    EXPECT_FALSE(palette.Create(dib));
    EXPECT_EQ(palette.Get(), before);
}

TEST(DIB, DrawsItsPixelsThroughTheColourTable) {
    CDIB dib;
    ASSERT_TRUE(dib.Create(5, 3));
    dib.Info()->colours[7] = DIBColour{30, 20, 10, 0};
    *dib.PixelAddress(0, 0) = 7;     // top-left
    *dib.PixelAddress(4, 2) = 200;   // bottom-right: grey 200
    CCanvas canvas(20, 20, RGB(1, 2, 3));
    ASSERT_TRUE(dib.Draw(canvas.Dc(), 2, 3));
    EXPECT_EQ(canvas.At(2, 3), RGB(10, 20, 30));
    EXPECT_EQ(canvas.At(6, 5), RGB(200, 200, 200));
    EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(7, 5), RGB(1, 2, 3));
    EXPECT_EQ(canvas.At(2, 6), RGB(1, 2, 3));
    ASSERT_TRUE(dib.Draw(canvas.Dc(), RECT{10, 10, 20, 16}));   // doubled
    EXPECT_EQ(canvas.At(10, 10), RGB(10, 20, 30));
    EXPECT_EQ(canvas.At(11, 11), RGB(10, 20, 30));
    EXPECT_EQ(canvas.At(19, 15), RGB(200, 200, 200));
    CDIB empty;
    empty.Create(0, 0);
    EXPECT_FALSE(empty.Draw(canvas.Dc(), 0, 0));
}

}  // namespace
