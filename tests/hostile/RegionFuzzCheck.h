// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile region data: what must hold for any bytes given to the region parser
// and the form check. Shared by the libFuzzer target and the mutation test.
#pragma once

#include <algorithm>
#include <string>

#include "skin/RegionData.h"

inline std::string CheckRegionBytes(const uint8_t* data, size_t size)
{
    RegionData region;
    std::string why;
    if (!ParseRegionData(data, size, region, &why))
        return why.empty() ? "a refusal without a reason" : "";
    if (size != kRegionHeaderSize + 16 * region.rects.size())
        return "accepted bytes whose size does not match the rectangles";
    const std::vector<uint8_t> again = SerializeRegionData(region);
    if (again.size() != size || !std::equal(again.begin(), again.end(), data))
        return "parsed data does not serialise back to its bytes";
    if (!CheckRegionForm(region, &why))
        return why.empty() ? "a form refusal without a reason" : "";
    // Accepted form: every rectangle lies inside the bounds and holds its own
    // top-left point and no point of the band above it.
    for (size_t i = 0; i < region.rects.size(); ++i) {
        const RegionRect& r = region.rects[i];
        if (r.left >= r.right || r.top >= r.bottom)
            return "accepted an empty rectangle";
        if (r.left < region.bounds.left || r.right > region.bounds.right || r.top < region.bounds.top ||
            r.bottom > region.bounds.bottom)
            return "accepted a rectangle outside the bounds";
        if (!region.Contains(r.left, r.top) || !region.Contains(r.right - 1, r.bottom - 1))
            return "a rectangle's own corner is outside the region";
        if (i > 0) {
            const RegionRect& p = region.rects[i - 1];
            if (r.top != p.top && r.top < p.bottom)
                return "accepted a rectangle that starts inside the previous band";
        }
    }
    return "";
}
