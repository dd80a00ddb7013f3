// SPDX-License-Identifier: GPL-3.0-or-later
// Region data: the byte layout of a window-shape resource (a 32-byte header and a
// list of rectangles, all little-endian 32-bit fields), read and checked without
// any platform call, so that tests and the shaping code agree on what a resource
// holds before the platform sees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RegionRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;   // right and bottom exclusive
    bool operator==(const RegionRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct RegionData {
    RegionRect bounds;
    std::vector<RegionRect> rects;

    // Whether the point lies in the union of the rectangles.
    bool Contains(int32_t x, int32_t y) const;
};

constexpr uint32_t kRegionHeaderSize = 32;
constexpr uint32_t kRegionTypeRectangles = 1;

// Structural check: what the platform needs to read the bytes safely. The header
// is 32 bytes, the type is rectangles, and count, list size and byte size agree
// (list size = 16 x count, byte size = 32 + list size). On success the parsed
// header and rectangles are stored in out; on failure why says what is wrong.
bool ParseRegionData(const uint8_t* data, size_t size, RegionData& out, std::string* why = nullptr);

// Full check of the form every window-shape resource has, on parsed data: every
// rectangle is non-empty and inside the bounds, the list is sorted by top then
// left, rectangles of a band share top and bottom and do not overlap, and the
// bounds are exactly the union's bounding box.
bool CheckRegionForm(const RegionData& region, std::string* why = nullptr);

// The bytes of a region: header with the given bounds, then the rectangles.
std::vector<uint8_t> SerializeRegionData(const RegionData& region);
