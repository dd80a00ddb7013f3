// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/artgen/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Clamp255(double v) { return std::clamp(static_cast<int>(std::lround(v)), 0, 255); }

// Part of a pixel covered by a shape, from a 4 x 4 grid of samples.
template <typename InShape>
double Coverage(int x, int y, InShape inShape) {
    int hits = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            hits += inShape(x + (i + 0.5) / 4.0, y + (j + 0.5) / 4.0) ? 1 : 0;
    return hits / 16.0;
}

bool InRound(const Rect& r, int radius, double px, double py) {
    if (px < r.l || py < r.t || px >= r.r || py >= r.b) return false;
    double cx = std::clamp(px, double(r.l + radius), double(r.r - radius));
    double cy = std::clamp(py, double(r.t + radius), double(r.b - radius));
    double dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy <= double(radius) * radius;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
    return Rgb(Clamp255(a.r + (b.r - a.r) * t), Clamp255(a.g + (b.g - a.g) * t),
               Clamp255(a.b + (b.b - a.b) * t));
}

Rgb Shade(Rgb c, double f) { return Rgb(Clamp255(c.r * f), Clamp255(c.g * f), Clamp255(c.b * f)); }

Canvas::Canvas(int width, int height, Rgb fill)
    : w_(width), h_(height), px_(size_t(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgb c, double a) {
    if (!Inside(x, y) || a <= 0) return;
    Set(x, y, a >= 1 ? c : Mix(Get(x, y), c, a));
}

void Canvas::Fill(const Rect& r, Rgb c) {
    for (int y = r.t; y < r.b; ++y)
        for (int x = r.l; x < r.r; ++x) Set(x, y, c);
}

void Canvas::HLine(int x0, int x1, int y, Rgb c) { Fill({x0, y, x1, y + 1}, c); }
void Canvas::VLine(int x, int y0, int y1, Rgb c) { Fill({x, y0, x + 1, y1}, c); }

void Canvas::Line(int x0, int y0, int x1, int y1, Rgb c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

void Canvas::Frame(const Rect& r, Rgb c) { Bevel(r, c, c); }

void Canvas::Bevel(const Rect& r, Rgb light, Rgb dark) {
    HLine(r.l, r.r, r.t, light);
    VLine(r.l, r.t, r.b, light);
    HLine(r.l + 1, r.r, r.b - 1, dark);
    VLine(r.r - 1, r.t + 1, r.b, dark);
}

void Canvas::VGradient(const Rect& r, Rgb top, Rgb bottom) {
    for (int y = r.t; y < r.b; ++y) {
        double t = r.Height() > 1 ? double(y - r.t) / (r.Height() - 1) : 0;
        HLine(r.l, r.r, y, Mix(top, bottom, t));
    }
}

void Canvas::RoundRect(const Rect& r, int radius, Rgb c) { RoundGradient(r, radius, c, c); }

void Canvas::RoundGradient(const Rect& r, int radius, Rgb top, Rgb bottom) {
    for (int y = r.t; y < r.b; ++y) {
        double t = r.Height() > 1 ? double(y - r.t) / (r.Height() - 1) : 0;
        Rgb c = Mix(top, bottom, t);
        for (int x = r.l; x < r.r; ++x)
            Blend(x, y, c, Coverage(x, y, [&](double px, double py) { return InRound(r, radius, px, py); }));
    }
}

void Canvas::RoundFrame(const Rect& r, int radius, Rgb c) {
    Rect in = r.Inflate(-1);
    for (int y = r.t; y < r.b; ++y)
        for (int x = r.l; x < r.r; ++x)
            Blend(x, y, c, Coverage(x, y, [&](double px, double py) {
                      return InRound(r, radius, px, py) && !InRound(in, std::max(radius - 1, 0), px, py);
                  }));
}

void Canvas::Ellipse(const Rect& r, Rgb c) {
    double cx = (r.l + r.r) / 2.0, cy = (r.t + r.b) / 2.0;
    double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
    for (int y = r.t; y < r.b; ++y)
        for (int x = r.l; x < r.r; ++x)
            Blend(x, y, c, Coverage(x, y, [&](double px, double py) {
                      double dx = (px - cx) / rx, dy = (py - cy) / ry;
                      return dx * dx + dy * dy <= 1.0;
                  }));
}

void Canvas::Polygon(const std::vector<std::pair<double, double>>& pts, Rgb c) {
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            double px = x + 0.5, py = y + 0.5;
            bool in = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                auto [xi, yi] = pts[i];
                auto [xj, yj] = pts[j];
                if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
            }
            if (in) Set(x, y, c);
        }
}

void Canvas::Sprite(int x, int y, const std::vector<std::string>& rows,
                    const std::vector<std::pair<char, Rgb>>& legend) {
    for (size_t j = 0; j < rows.size(); ++j)
        for (size_t i = 0; i < rows[j].size(); ++i)
            for (const auto& [ch, colour] : legend)
                if (rows[j][i] == ch) Set(x + int(i), y + int(j), colour);
}
