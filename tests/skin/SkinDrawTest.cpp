// SPDX-License-Identifier: GPL-3.0-or-later
// Pixels of the counter, the memory bar, the bevelled frame and the transparent
// skin blit, drawn into a memory canvas and read back exactly.
#include <gtest/gtest.h>

#include "skin/Balken.h"
#include "skin/Draw3dFrame.h"
#include "skin/Led.h"
#include "skin/SkinColours.h"
#include "skin/SkinPaint.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

const COLORREF kMarker = RGB(1, 2, 3);

// The main window's counter: cells of 16 x 23 at (49, 55), two digits.
struct MainCounter {
    CLed led{49, 55, 65, 78, 2};
    MainCounter(int style, int value) {
        led.SetStyle(style);
        led.SetColour(255, 0, 128);
        led.SetValue(value);
    }
};

// One pixel that only segment seg (a..g) of cell touches, for 16 x 23 cells at
// (49, 55): x0 = 52 + 16 * cell, y0 = 59, s = 6, xr = x0 + 9.
POINT SegmentProbe(int cell, char seg) {
    const int x0 = 52 + 16 * cell, y0 = 59, s = 6, xr = x0 + 9;
    switch (seg) {
    case 'a': return {x0 + 5, y0 - 1};
    case 'b': return {xr, y0 + 1};
    case 'c': return {xr, y0 + s + 2};
    case 'd': return {x0 + 5, y0 + 2 * s + 1};
    case 'e': return {x0, y0 + s + 2};
    case 'f': return {x0, y0 + 1};
    default: return {x0 + 5, y0 + s};   // g
    }
}

// Checks the seven probes of a cell: lit segments in on, the others in off.
void ExpectDigit(const CCanvas& canvas, int cell, const char* lit, COLORREF on, COLORREF off) {
    for (char seg = 'a'; seg <= 'g'; ++seg) {
        const POINT p = SegmentProbe(cell, seg);
        const bool isLit = std::string(lit).find(seg) != std::string::npos;
        EXPECT_EQ(canvas.At(p.x, p.y), isLit ? on : off) << "cell " << cell << " segment " << seg;
    }
}

TEST(Led, MainCounterAtZeroDrawsNothing) {
    CCanvas canvas(100, 100, kMarker);
    MainCounter counter(15, 0);
    counter.led.Draw(canvas.Dc());
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(canvas.At(x, y), kMarker) << x << "," << y;
}

TEST(Led, LeadingZerosBlankAndExtraDigitsDropWithNonZeroStyle) {
    const COLORREF on = RGB(255, 0, 128);
    struct Case {
        int value;
        const char* left;    // lit segments, "" for a blank cell
        const char* right;
    } cases[] = {
        {7, "", "abc"},
        {12, "bc", "abdeg"},
        {123, "abdeg", "abcdg"},   // only the lowest two digits
        {100, "abcdef", "abcdef"},   // 00: the left zero is not a leading one
        {80, "abcdefg", "abcdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        CCanvas canvas(100, 100, kMarker);
        MainCounter counter(15, c.value);
        counter.led.Draw(canvas.Dc());
        ExpectDigit(canvas, 0, c.left, on, kMarker);
        ExpectDigit(canvas, 1, c.right, on, kMarker);
    }
}

TEST(Led, StyleZeroShowsLeadingZeroUnlitSegmentsBackgroundAndBorder) {
    CCanvas canvas(100, 100, kMarker);
    CLed led(49, 55, 65, 78, 2);
    led.SetValue(5);
    EXPECT_EQ(led.OffColour(), RGB(0, 70, 0));   // the constructor's, not the rule's
    led.Draw(canvas.Dc());
    const COLORREF on = RGB(0, 255, 0), off = RGB(0, 70, 0);
    ExpectDigit(canvas, 0, "abcdef", on, off);
    ExpectDigit(canvas, 1, "acdfg", on, off);
    // Black inside, sunken border: white below and right, grey 111 above and left.
    const COLORREF white = RGB(255, 255, 255), shadow = RGB(111, 111, 111), black = RGB(0, 0, 0);
    EXPECT_EQ(canvas.At(51, 57), black);
    EXPECT_EQ(canvas.At(60, 77), white);
    EXPECT_EQ(canvas.At(81, 60), white);
    EXPECT_EQ(canvas.At(60, 78), white);
    EXPECT_EQ(canvas.At(82, 60), white);
    EXPECT_EQ(canvas.At(49, 77), shadow);   // drawn over the white line's start
    EXPECT_EQ(canvas.At(49, 60), shadow);
    EXPECT_EQ(canvas.At(60, 55), shadow);
    EXPECT_EQ(canvas.At(48, 60), shadow);
    EXPECT_EQ(canvas.At(60, 54), shadow);
    EXPECT_EQ(canvas.At(49, 78), white);
    // Line ends are excluded: the outer corners stay untouched.
    EXPECT_EQ(canvas.At(82, 54), kMarker);
    EXPECT_EQ(canvas.At(81, 55), RGB(128, 128, 128));   // only the background's outline
    EXPECT_EQ(canvas.At(47, 79), kMarker);
    EXPECT_EQ(canvas.At(83, 60), kMarker);
}

TEST(Led, BackgroundWithoutBorderAndTheSegmentGeometry) {
    CCanvas canvas(100, 100, kMarker);
    CLed led(49, 55, 65, 78, 2);
    led.SetStyle(CLed::LED_NO_BORDER);
    led.SetValue(88);
    led.Draw(canvas.Dc());
    const COLORREF grey = RGB(128, 128, 128), on = RGB(0, 255, 0);
    EXPECT_EQ(canvas.At(49, 60), grey);
    EXPECT_EQ(canvas.At(81, 60), grey);   // x + W + 1 is the exclusive right edge
    EXPECT_EQ(canvas.At(82, 60), kMarker);
    EXPECT_EQ(canvas.At(60, 77), grey);
    EXPECT_EQ(canvas.At(60, 78), kMarker);
    EXPECT_EQ(canvas.At(56, 62), RGB(0, 0, 0));
    // s = (23 - 10) / 2 = 6: the outer line of f covers y0 .. y0 + 5, e starts at
    // y0 + 7, and the column x0 at y0 + 6 belongs to no segment.
    for (int y = 59; y <= 64; ++y)
        EXPECT_EQ(canvas.At(52, y), on) << y;
    EXPECT_EQ(canvas.At(52, 65), RGB(0, 0, 0));
    for (int y = 66; y <= 71; ++y)
        EXPECT_EQ(canvas.At(52, y), on) << y;
    EXPECT_EQ(canvas.At(52, 72), RGB(0, 0, 0));
    // The bevel: the inner line of a is shorter by one at each end.
    EXPECT_EQ(canvas.At(53, 58), on);
    EXPECT_EQ(canvas.At(61, 58), RGB(0, 0, 0));   // a's outer line ends before xr
    EXPECT_EQ(canvas.At(55, 60), on);
    EXPECT_EQ(canvas.At(54, 61), on);             // f's third line at x0 + 2
    EXPECT_EQ(canvas.At(54, 60), RGB(0, 0, 0));
}

TEST(Led, ColourRuleCountDownAndNegativeValues) {
    CLed led(0, 0, 16, 23, 2);
    led.SetColour(255, 0, 128);
    EXPECT_EQ(led.OnColour(), RGB(255, 0, 128));
    EXPECT_EQ(led.OffColour(), RGB(71, 0, 71));
    led.SetColour(0, 255, 64);
    EXPECT_EQ(led.OffColour(), RGB(0, 71, 0));
    led.SetColour(70, 71, 0);
    EXPECT_EQ(led.OffColour(), RGB(0, 71, 0));
    led.SetValue(2);
    led.CountDown();
    led.CountDown();
    led.CountDown();
    EXPECT_EQ(led.GetValue(), 0);
    led.SetValue(-3);   // has no digits: shown as 0
    EXPECT_EQ(led.GetValue(), 0);
}

TEST(Balken, FillFrameAndIgnoredPositions) {
    CCanvas canvas(480, 220, kMarker);
    WBalken bar(138, 200, 464, 210, 100);
    bar.SetPosition(0);
    bar.SetStyle(WBalken::kSolidFill);
    bar.SetMaximum(326);
    bar.SetPosition(163);
    bar.Draw(canvas.Dc());
    EXPECT_EQ(bar.Fill().left, 139);
    EXPECT_EQ(bar.Fill().top, 201);
    EXPECT_EQ(bar.Fill().right, 301);
    EXPECT_EQ(bar.Fill().bottom, 210);
    const COLORREF green = RGB(0, 255, 0), light = RGB(188, 188, 188), dark = RGB(111, 111, 111);
    for (int x = 139; x <= 300; ++x)
        for (int y = 201; y <= 209; ++y)
            ASSERT_EQ(canvas.At(x, y), green) << x << "," << y;
    EXPECT_EQ(canvas.At(301, 205), RGB(0, 0, 1));   // the frame's fill
    EXPECT_EQ(canvas.At(301, 209), light);          // bottom outline of the filled frame
    EXPECT_EQ(canvas.At(139, 210), light);
    EXPECT_EQ(canvas.At(138, 205), dark);
    EXPECT_EQ(canvas.At(200, 200), dark);
    EXPECT_EQ(canvas.At(463, 205), light);
    EXPECT_EQ(canvas.At(464, 205), light);
    EXPECT_EQ(canvas.At(137, 205), dark);
    EXPECT_EQ(canvas.At(200, 199), dark);
    EXPECT_EQ(canvas.At(200, 211), light);

    bar.SetPosition(327);   // above the maximum: ignored
    EXPECT_EQ(bar.Position(), 163);
    bar.SetPosition(326);
    EXPECT_EQ(bar.ComputeFill().right, 464);
    bar.SetMaximum(100);    // below the position: a full bar, not an overrun
    EXPECT_EQ(bar.Position(), 326);
    EXPECT_EQ(bar.ComputeFill().right, 464);
    bar.SetMaximum(0);
    EXPECT_EQ(bar.ComputeFill().right, 464);
}

TEST(Balken, EmptyBarDrawsOnlyBackgroundAndFrame) {
    CCanvas canvas(480, 220, kMarker);
    WBalken bar(138, 200, 464, 210, 100);
    bar.SetMaximum(0);
    bar.SetPosition(0);
    bar.Draw(canvas.Dc());
    for (int x = 130; x < 470; ++x)
        for (int y = 195; y < 215; ++y)
            ASSERT_NE(canvas.At(x, y), RGB(0, 255, 0)) << x << "," << y;
    EXPECT_EQ(canvas.At(200, 205), RGB(0, 0, 1));
    EXPECT_EQ(bar.ComputeFill().right, 0);
}

TEST(Draw3dFrame, LinesCornersAndFill) {
    const COLORREF light = RGB(188, 188, 188), dark = RGB(111, 111, 111), fill = RGB(5, 6, 7);
    {
        CCanvas canvas(40, 40, kMarker);
        Draw3dFrame(canvas.Dc(), RECT{10, 10, 20, 16}, 0);   // no fill
        EXPECT_EQ(canvas.At(15, 12), kMarker);
        EXPECT_EQ(canvas.At(15, 16), light);
        EXPECT_EQ(canvas.At(20, 13), light);
        EXPECT_EQ(canvas.At(20, 16), light);
        EXPECT_EQ(canvas.At(15, 17), light);
        EXPECT_EQ(canvas.At(21, 13), light);
        EXPECT_EQ(canvas.At(10, 16), dark);   // the dark line starts on the light one
        EXPECT_EQ(canvas.At(10, 13), dark);
        EXPECT_EQ(canvas.At(18, 10), dark);
        EXPECT_EQ(canvas.At(9, 17), dark);
        EXPECT_EQ(canvas.At(19, 9), dark);
        // End points are never drawn.
        EXPECT_EQ(canvas.At(19, 10), kMarker);
        EXPECT_EQ(canvas.At(20, 10), kMarker);
        EXPECT_EQ(canvas.At(20, 9), kMarker);
        EXPECT_EQ(canvas.At(21, 9), kMarker);
        EXPECT_EQ(canvas.At(22, 13), kMarker);
        EXPECT_EQ(canvas.At(15, 18), kMarker);
    }
    {
        CCanvas canvas(40, 40, kMarker);
        Draw3dFrame(canvas.Dc(), RECT{10, 10, 20, 16}, fill);
        EXPECT_EQ(canvas.At(15, 12), fill);
        EXPECT_EQ(canvas.At(19, 12), light);   // the filled rectangle's outline
        EXPECT_EQ(canvas.At(19, 10), light);
        EXPECT_EQ(canvas.At(15, 15), light);
        EXPECT_EQ(canvas.At(10, 12), dark);
    }
}

TEST(DrawBitmapTransparent, TransparentPixelsLeaveTheTarget) {
    // A 6 x 4 source: black in a checker pattern, colours elsewhere.
    std::vector<COLORREF> pixels(24, RGB(0, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            if ((x + y) % 2)
                pixels[size_t(y) * 6 + x] = RGB(10 * x + 5, 20 * y + 7, 200);
    pixels[0] = RGB(0, 0, 1);   // near-black is opaque
    CCanvas target(20, 20, kMarker);
    target.Set(7, 5, RGB(90, 90, 90));
    HBITMAP bitmap = MakeBitmap(6, 4, pixels);
    ASSERT_NE(bitmap, nullptr);
    // Copy the 4 x 3 block at (1, 1) of the source to (6, 5).
    DrawBitmapTransparent(target.Dc(), 6, 5, 4, 3, bitmap, 1, 1, RGB(0, 0, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const int sx = x - 6 + 1, sy = y - 5 + 1;
            COLORREF expected = y == 5 && x == 7 ? RGB(90, 90, 90) : kMarker;
            if (x >= 6 && x < 10 && y >= 5 && y < 8 && (sx + sy) % 2)
                expected = RGB(10 * sx + 5, 20 * sy + 7, 200);
            ASSERT_EQ(target.At(x, y), expected) << x << "," << y;
        }
    // The near-black corner is copied, not skipped.
    CCanvas corner(4, 4, kMarker);
    DrawBitmapTransparent(corner.Dc(), 0, 0, 1, 1, bitmap, 0, 0, RGB(0, 0, 0));
    EXPECT_EQ(corner.At(0, 0), RGB(0, 0, 1));
    ::DeleteObject(bitmap);
}

TEST(PaintSkin, SkinCoversTheBlockExceptItsBlackPixels) {
    HBITMAP skin = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(133));
    ASSERT_NE(skin, nullptr);
    int w = 0, h = 0;
    const std::vector<COLORREF> pixels = BitmapPixels(skin, w, h);
    ::DeleteObject(skin);
    ASSERT_EQ(w, 478);
    ASSERT_EQ(h, 301);
    CCanvas canvas(500, 320, kMarker);
    bool pending = false;   // no window to shape
    PaintSkin(nullptr, canvas.Dc(), 133, 145, pending, true);
    EXPECT_FALSE(pending);
    int black = 0;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 500; ++x) {
            COLORREF expected = kMarker;
            if (x < kSkinPaintWidth && y < kSkinPaintHeight && pixels[size_t(y) * w + x] != RGB(0, 0, 0))
                expected = pixels[size_t(y) * w + x];
            black += x < kSkinPaintWidth && y < kSkinPaintHeight && pixels[size_t(y) * w + x] == 0;
            ASSERT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    RecordProperty("black_skin_pixels", black);
}

TEST(BodyBrush, AnswersTheColourQueryWithTheBodyColour) {
    CCanvas canvas(4, 4, kMarker);
    CBodyBrush body(kBodyColour);
    ::SetTextColor(canvas.Dc(), RGB(9, 9, 9));
    EXPECT_EQ(body.AnswerKeepingText(canvas.Dc()), body.Get());
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(9, 9, 9));
    EXPECT_EQ(::GetBkColor(canvas.Dc()), RGB(65, 61, 66));
    EXPECT_EQ(body.Answer(canvas.Dc(), kBodyTextGreen), body.Get());
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(0, 255, 128));
    LOGBRUSH logBrush{};
    ASSERT_NE(::GetObjectA(body.Get(), sizeof logBrush, &logBrush), 0);
    EXPECT_EQ(logBrush.lbStyle, UINT(BS_SOLID));
    EXPECT_EQ(logBrush.lbColor, RGB(65, 61, 66));
}

}  // namespace
