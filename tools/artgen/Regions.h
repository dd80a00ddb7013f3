// SPDX-License-Identifier: GPL-3.0-or-later
// The window shapes: each is a list of horizontal bands, every band a list of
// spans. They become the region-data resources and the outlines of the skins.
#pragma once

#include "tools/artgen/Canvas.h"

#include <cstdint>
#include <utility>
#include <vector>

struct Band {
    int top, bottom;                         // bottom exclusive
    std::vector<std::pair<int, int>> spans;  // left, right (right exclusive)
};

struct WindowShape {
    int resource;  // RCDATA number
    std::vector<Band> bands;

    Rect Bounds() const;
    bool Contains(int x, int y) const;
    int RectangleCount() const;
};

const WindowShape& ShapeFor(int resource);  // 145, 236, 272 or 276
const std::vector<WindowShape>& AllShapes();

// Region data as the platform reads it: a 32-byte header (size 32, type 1,
// count, list size, bounds) and one 16-byte rectangle per span, little-endian.
std::vector<uint8_t> EncodeRegionData(const WindowShape& shape);
