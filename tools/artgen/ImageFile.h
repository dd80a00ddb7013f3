// SPDX-License-Identifier: GPL-3.0-or-later
// Palette images and their files: .BMP (classic 40-byte header, 4 or 8 bits per
// pixel, full colour table) and .ICO.
#pragma once

#include "tools/artgen/Canvas.h"

#include <cstdint>
#include <vector>

struct IndexedImage {
    int width = 0, height = 0;
    int bits = 8;                  // 4 or 8
    std::vector<Rgb> palette;      // exactly 1 << bits entries
    std::vector<uint8_t> index;    // width * height, top row first
};

// 256 colours chosen for the picture (exact when it has no more). Pure black
// keeps an entry of its own and no other colour is ever mapped to it, because
// the skins use black as their transparent colour.
IndexedImage Quantize256(const Canvas& c);
// The 16 standard colours of a 16-colour display; each pixel takes the nearest.
IndexedImage MapToStandard16(const Canvas& c);
const std::vector<Rgb>& Standard16();

std::vector<uint8_t> EncodeBmp(const IndexedImage& img);
// An icon file; in each image, pixels equal to transparent are left out.
std::vector<uint8_t> EncodeIco(const std::vector<Canvas>& images, Rgb transparent);
