// SPDX-License-Identifier: GPL-3.0-or-later
// RGB drawing surface and the drawing primitives shared by every picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    constexpr Rgb() = default;
    constexpr Rgb(int red, int green, int blue)
        : r(static_cast<uint8_t>(red)), g(static_cast<uint8_t>(green)), b(static_cast<uint8_t>(blue)) {}
    uint32_t Key() const { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b; }
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// a + (b - a) * t, channel by channel.
Rgb Mix(Rgb a, Rgb b, double t);
// Brightness scaled by f (1 = unchanged), clamped.
Rgb Shade(Rgb c, double f);

// Rectangles are left, top, right, bottom with right and bottom exclusive.
struct Rect {
    int l = 0, t = 0, r = 0, b = 0;
    int Width() const { return r - l; }
    int Height() const { return b - t; }
    Rect Inflate(int d) const { return {l - d, t - d, r + d, b + d}; }
};

class Canvas {
public:
    Canvas(int width, int height, Rgb fill = Rgb());

    int Width() const { return w_; }
    int Height() const { return h_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    Rgb Get(int x, int y) const { return Inside(x, y) ? px_[size_t(y) * w_ + x] : Rgb(); }
    void Set(int x, int y, Rgb c) {
        if (Inside(x, y)) px_[size_t(y) * w_ + x] = c;
    }
    // Lays c over the pixel with opacity a (0..1).
    void Blend(int x, int y, Rgb c, double a);

    void Fill(const Rect& r, Rgb c);
    void HLine(int x0, int x1, int y, Rgb c);  // x1 exclusive
    void VLine(int x, int y0, int y1, Rgb c);  // y1 exclusive
    void Line(int x0, int y0, int x1, int y1, Rgb c);  // both ends drawn
    void Frame(const Rect& r, Rgb c);
    // Raised (light top-left, dark bottom-right) or, swapped, sunken outline.
    void Bevel(const Rect& r, Rgb light, Rgb dark);
    void VGradient(const Rect& r, Rgb top, Rgb bottom);
    // Rectangle with corners cut round by radius, filled; edge pixels blended.
    void RoundRect(const Rect& r, int radius, Rgb c);
    void RoundFrame(const Rect& r, int radius, Rgb c);
    void RoundGradient(const Rect& r, int radius, Rgb top, Rgb bottom);
    // Filled ellipse inside r, anti-aliased against what lies beneath.
    void Ellipse(const Rect& r, Rgb c);
    // Filled polygon (even-odd rule, pixel centres), no anti-aliasing.
    void Polygon(const std::vector<std::pair<double, double>>& pts, Rgb c);
    // Pixel art: one character per pixel, its colour looked up in legend;
    // characters that are not in the legend leave the pixel alone.
    void Sprite(int x, int y, const std::vector<std::string>& rows,
                const std::vector<std::pair<char, Rgb>>& legend);

    const std::vector<Rgb>& Pixels() const { return px_; }

private:
    int w_, h_;
    std::vector<Rgb> px_;
};
