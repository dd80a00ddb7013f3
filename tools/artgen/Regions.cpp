// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/artgen/Regions.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Every shape has corners rounded over six pixels and a dip of three pixels in the
// top edge between two raised tabs; the first three have a slit three pixels in
// from the left edge, the last a strip at the right joined only at the bottom.
std::vector<WindowShape> BuildShapes() {
    std::vector<WindowShape> shapes;
    shapes.push_back({145, {
        {0, 1, {{6, 470}}}, {1, 2, {{4, 472}}}, {2, 3, {{3, 473}}},
        {3, 4, {{2, 94}, {431, 474}}}, {4, 5, {{1, 95}, {430, 475}}}, {5, 6, {{1, 97}, {428, 475}}},
        {6, 39, {{0, 476}}}, {39, 40, {{0, 3}, {4, 476}}}, {40, 42, {{0, 3}, {5, 476}}},
        {42, 229, {{0, 3}, {6, 476}}}, {229, 231, {{0, 3}, {5, 476}}}, {231, 232, {{0, 3}, {4, 476}}},
        {232, 274, {{0, 476}}}, {274, 276, {{1, 475}}}, {276, 277, {{2, 474}}},
        {277, 278, {{3, 473}}}, {278, 279, {{4, 472}}}, {279, 280, {{6, 470}}}}});
    shapes.push_back({236, {
        {0, 1, {{6, 400}}}, {1, 2, {{4, 402}}}, {2, 3, {{3, 403}}},
        {3, 4, {{2, 94}, {355, 404}}}, {4, 5, {{1, 95}, {354, 405}}}, {5, 6, {{1, 97}, {352, 405}}},
        {6, 16, {{0, 406}}}, {16, 18, {{0, 17}, {18, 406}}}, {18, 39, {{0, 406}}},
        {39, 40, {{0, 3}, {4, 406}}}, {40, 42, {{0, 3}, {5, 406}}}, {42, 194, {{0, 3}, {6, 406}}},
        {194, 196, {{0, 3}, {5, 406}}}, {196, 197, {{0, 3}, {4, 406}}}, {197, 241, {{0, 406}}},
        {241, 243, {{1, 405}}}, {243, 244, {{2, 404}}}, {244, 245, {{3, 403}}},
        {245, 246, {{4, 402}}}, {246, 247, {{6, 400}}}}});
    shapes.push_back({272, {
        {0, 1, {{6, 269}}}, {1, 2, {{4, 271}}}, {2, 3, {{3, 272}}},
        {3, 4, {{2, 79}, {235, 273}}}, {4, 5, {{1, 80}, {234, 274}}}, {5, 6, {{1, 82}, {232, 274}}},
        {6, 39, {{0, 275}}}, {39, 40, {{0, 3}, {4, 275}}}, {40, 42, {{0, 3}, {5, 275}}},
        {42, 218, {{0, 3}, {6, 275}}}, {218, 220, {{0, 3}, {5, 275}}}, {220, 221, {{0, 3}, {4, 275}}},
        {221, 257, {{0, 275}}}, {257, 259, {{1, 274}}}, {259, 260, {{2, 273}}},
        {260, 261, {{3, 272}}}, {261, 262, {{4, 271}}}, {262, 263, {{6, 269}}}}});
    const std::pair<int, int> strip{282, 292};
    shapes.push_back({276, {
        {0, 1, {{6, 275}, strip}}, {1, 2, {{4, 277}, strip}}, {2, 3, {{3, 278}, strip}},
        {3, 4, {{2, 56}, {230, 279}, strip}}, {4, 5, {{1, 57}, {229, 280}, strip}},
        {5, 6, {{1, 59}, {227, 280}, strip}}, {6, 206, {{0, 281}, strip}},
        {206, 207, {{1, 280}, strip}}, {207, 208, {{2, 279}, strip}}, {208, 209, {{3, 278}, strip}},
        {209, 210, {{4, 277}, strip}}, {210, 211, {{6, 275}, strip}}, {211, 212, {strip}},
        {212, 220, {{0, 292}}}}});
    return shapes;
}

void Put32(std::vector<uint8_t>& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

}  // namespace

Rect WindowShape::Bounds() const {
    Rect r{bands.front().spans.front().first, bands.front().top, 0, bands.back().bottom};
    for (const Band& b : bands)
        for (const auto& [l, right] : b.spans) {
            r.l = std::min(r.l, l);
            r.r = std::max(r.r, right);
        }
    return r;
}

bool WindowShape::Contains(int x, int y) const {
    for (const Band& b : bands)
        if (y >= b.top && y < b.bottom)
            for (const auto& [l, r] : b.spans)
                if (x >= l && x < r) return true;
    return false;
}

int WindowShape::RectangleCount() const {
    int n = 0;
    for (const Band& b : bands) n += int(b.spans.size());
    return n;
}

const std::vector<WindowShape>& AllShapes() {
    static const std::vector<WindowShape> shapes = BuildShapes();
    return shapes;
}

const WindowShape& ShapeFor(int resource) {
    for (const WindowShape& s : AllShapes())
        if (s.resource == resource) return s;
    throw std::invalid_argument("no window shape with that number");
}

std::vector<uint8_t> EncodeRegionData(const WindowShape& shape) {
    std::vector<uint8_t> out;
    int n = shape.RectangleCount();
    Rect bounds = shape.Bounds();
    Put32(out, 32);
    Put32(out, 1);
    Put32(out, n);
    Put32(out, 16 * n);
    for (int v : {bounds.l, bounds.t, bounds.r, bounds.b}) Put32(out, v);
    for (const Band& b : shape.bands)
        for (const auto& [l, r] : b.spans)
            for (int v : {l, b.top, r, b.bottom}) Put32(out, v);
    return out;
}
