// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/RegionData.h"

#include <algorithm>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t ReadI32(const uint8_t* p) {
    return static_cast<int32_t>(ReadU32(p));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

RegionRect ReadRect(const uint8_t* p) {
    RegionRect r;
    r.left = ReadI32(p);
    r.top = ReadI32(p + 4);
    r.right = ReadI32(p + 8);
    r.bottom = ReadI32(p + 12);
    return r;
}

void PutRect(std::vector<uint8_t>& out, const RegionRect& r) {
    PutU32(out, static_cast<uint32_t>(r.left));
    PutU32(out, static_cast<uint32_t>(r.top));
    PutU32(out, static_cast<uint32_t>(r.right));
    PutU32(out, static_cast<uint32_t>(r.bottom));
}

bool Fail(std::string* why, const std::string& text) {
    if (why)
        *why = text;
    return false;
}

std::string RectText(size_t index, const RegionRect& r) {
    return "rectangle " + std::to_string(index) + " (" + std::to_string(r.left) + ", " +
           std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

}  // namespace

bool RegionData::Contains(int32_t x, int32_t y) const {
    return std::any_of(rects.begin(), rects.end(), [&](const RegionRect& r) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    });
}

bool ParseRegionData(const uint8_t* data, size_t size, RegionData& out, std::string* why) {
    if (data == nullptr || size < kRegionHeaderSize)
        return Fail(why, "shorter than the 32-byte header");
    const uint32_t headerSize = ReadU32(data);
    const uint32_t type = ReadU32(data + 4);
    const uint32_t count = ReadU32(data + 8);
    const uint32_t listSize = ReadU32(data + 12);
    if (headerSize != kRegionHeaderSize)
        return Fail(why, "header size " + std::to_string(headerSize) + " is not 32");
    if (type != kRegionTypeRectangles)
        return Fail(why, "type " + std::to_string(type) + " is not rectangles");
    // Compare in 64 bits: a count near 2^32 / 16 must not wrap into agreement.
    if (uint64_t(count) * 16 != listSize)
        return Fail(why, "list size " + std::to_string(listSize) + " is not 16 x count " +
                             std::to_string(count));
    if (uint64_t(kRegionHeaderSize) + listSize != size)
        return Fail(why, "byte size " + std::to_string(size) + " is not 32 + list size " +
                             std::to_string(listSize));
    RegionData parsed;
    parsed.bounds = ReadRect(data + 16);
    parsed.rects.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        parsed.rects.push_back(ReadRect(data + kRegionHeaderSize + 16 * size_t(i)));
    out = std::move(parsed);
    return true;
}

bool CheckRegionForm(const RegionData& region, std::string* why) {
    if (region.rects.empty())
        return Fail(why, "no rectangles");
    RegionRect box = region.rects.front();
    for (size_t i = 0; i < region.rects.size(); ++i) {
        const RegionRect& r = region.rects[i];
        if (r.left >= r.right || r.top >= r.bottom)
            return Fail(why, RectText(i, r) + " is empty");
        const RegionRect& b = region.bounds;
        if (r.left < b.left || r.top < b.top || r.right > b.right || r.bottom > b.bottom)
            return Fail(why, RectText(i, r) + " lies outside the bounds");
        box.left = std::min(box.left, r.left);
        box.top = std::min(box.top, r.top);
        box.right = std::max(box.right, r.right);
        box.bottom = std::max(box.bottom, r.bottom);
        if (i == 0)
            continue;
        const RegionRect& p = region.rects[i - 1];
        if (r.top == p.top) {
            if (r.bottom != p.bottom)
                return Fail(why, RectText(i, r) + " shares its band's top but not its bottom");
            if (r.left < p.right)
                return Fail(why, RectText(i, r) + " overlaps or precedes the rectangle before it in its band");
        } else if (r.top < p.bottom) {
            return Fail(why, RectText(i, r) + " starts inside the previous band");
        }
    }
    if (!(box == region.bounds))
        return Fail(why, "bounds are not the bounding box of the rectangles");
    return true;
}

std::vector<uint8_t> SerializeRegionData(const RegionData& region) {
    std::vector<uint8_t> out;
    out.reserve(kRegionHeaderSize + 16 * region.rects.size());
    PutU32(out, kRegionHeaderSize);
    PutU32(out, kRegionTypeRectangles);
    PutU32(out, static_cast<uint32_t>(region.rects.size()));
    PutU32(out, static_cast<uint32_t>(16 * region.rects.size()));
    PutRect(out, region.bounds);
    for (const RegionRect& r : region.rects)
        PutRect(out, r);
    return out;
}
