// SPDX-License-Identifier: GPL-3.0-or-later
// The four window shapes, written band by band as the art must draw them, for
// tests on both platforms. Kept independent of the resource files so that a
// fault in either shows up as a disagreement.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "skin/RegionData.h"

struct RegionBand {
    int top, bottom;
    std::vector<std::pair<int, int>> spans;   // left, right (exclusive)
};

struct RegionShape {
    int id;
    int byteSize;
    int count;
    int width, height;
    std::vector<RegionBand> bands;

    RegionData ToRegion() const {
        RegionData r;
        r.bounds = RegionRect{0, 0, width, height};
        for (const RegionBand& b : bands)
            for (const auto& s : b.spans)
                r.rects.push_back(RegionRect{s.first, b.top, s.second, b.bottom});
        return r;
    }
};

inline const std::vector<RegionShape>& AllRegionShapes() {
    static const std::vector<RegionShape> shapes = {
        {145, 448, 26, 476, 280,
         {{0, 1, {{6, 470}}}, {1, 2, {{4, 472}}}, {2, 3, {{3, 473}}},
          {3, 4, {{2, 94}, {431, 474}}}, {4, 5, {{1, 95}, {430, 475}}},
          {5, 6, {{1, 97}, {428, 475}}}, {6, 39, {{0, 476}}},
          {39, 40, {{0, 3}, {4, 476}}}, {40, 42, {{0, 3}, {5, 476}}},
          {42, 229, {{0, 3}, {6, 476}}}, {229, 231, {{0, 3}, {5, 476}}},
          {231, 232, {{0, 3}, {4, 476}}}, {232, 274, {{0, 476}}}, {274, 276, {{1, 475}}},
          {276, 277, {{2, 474}}}, {277, 278, {{3, 473}}}, {278, 279, {{4, 472}}},
          {279, 280, {{6, 470}}}}},
        {236, 496, 29, 406, 247,
         {{0, 1, {{6, 400}}}, {1, 2, {{4, 402}}}, {2, 3, {{3, 403}}},
          {3, 4, {{2, 94}, {355, 404}}}, {4, 5, {{1, 95}, {354, 405}}},
          {5, 6, {{1, 97}, {352, 405}}}, {6, 16, {{0, 406}}}, {16, 18, {{0, 17}, {18, 406}}},
          {18, 39, {{0, 406}}}, {39, 40, {{0, 3}, {4, 406}}}, {40, 42, {{0, 3}, {5, 406}}},
          {42, 194, {{0, 3}, {6, 406}}}, {194, 196, {{0, 3}, {5, 406}}},
          {196, 197, {{0, 3}, {4, 406}}}, {197, 241, {{0, 406}}}, {241, 243, {{1, 405}}},
          {243, 244, {{2, 404}}}, {244, 245, {{3, 403}}}, {245, 246, {{4, 402}}},
          {246, 247, {{6, 400}}}}},
        {272, 448, 26, 275, 263,
         {{0, 1, {{6, 269}}}, {1, 2, {{4, 271}}}, {2, 3, {{3, 272}}},
          {3, 4, {{2, 79}, {235, 273}}}, {4, 5, {{1, 80}, {234, 274}}},
          {5, 6, {{1, 82}, {232, 274}}}, {6, 39, {{0, 275}}}, {39, 40, {{0, 3}, {4, 275}}},
          {40, 42, {{0, 3}, {5, 275}}}, {42, 218, {{0, 3}, {6, 275}}},
          {218, 220, {{0, 3}, {5, 275}}}, {220, 221, {{0, 3}, {4, 275}}},
          {221, 257, {{0, 275}}}, {257, 259, {{1, 274}}}, {259, 260, {{2, 273}}},
          {260, 261, {{3, 272}}}, {261, 262, {{4, 271}}}, {262, 263, {{6, 269}}}}},
        {276, 496, 29, 292, 220,
         {{0, 1, {{6, 275}, {282, 292}}}, {1, 2, {{4, 277}, {282, 292}}},
          {2, 3, {{3, 278}, {282, 292}}}, {3, 4, {{2, 56}, {230, 279}, {282, 292}}},
          {4, 5, {{1, 57}, {229, 280}, {282, 292}}}, {5, 6, {{1, 59}, {227, 280}, {282, 292}}},
          {6, 206, {{0, 281}, {282, 292}}}, {206, 207, {{1, 280}, {282, 292}}},
          {207, 208, {{2, 279}, {282, 292}}}, {208, 209, {{3, 278}, {282, 292}}},
          {209, 210, {{4, 277}, {282, 292}}}, {210, 211, {{6, 275}, {282, 292}}},
          {211, 212, {{282, 292}}}, {212, 220, {{0, 292}}}}},
    };
    return shapes;
}

inline const RegionShape& FindRegionShape(int id) {
    for (const RegionShape& s : AllRegionShapes())
        if (s.id == id)
            return s;
    throw std::out_of_range("no such region shape");
}
