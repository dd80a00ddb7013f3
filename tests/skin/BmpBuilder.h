// SPDX-License-Identifier: GPL-3.0-or-later
// Builds .BMP file bytes field by field for the loader tests, independently of
// CDIB's own writer.
#pragma once

#include <cstdint>
#include <vector>

struct BmpBuilder {
    bool core = false;          // 12-byte header with 3-byte colour entries
    int32_t width = 5;
    int32_t height = 3;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t tableEntries = 256;   // entries actually written
    int32_t fileSizeDelta = 0;     // added to the true file size field
    int32_t offsetDelta = 0;       // added to the true pixel offset field
    bool writePixels = true;       // false for headers that claim absurd sizes

    static uint8_t Pixel(int x, int y) { return uint8_t(x * 16 + y * 3 + 1); }
    static void Colour(uint32_t i, uint8_t bgr[3]) {
        bgr[0] = uint8_t(i);
        bgr[1] = uint8_t(255 - i);
        bgr[2] = uint8_t(i * 7);
    }

    std::vector<uint8_t> Build() const {
        const uint32_t headerSize = core ? 12 : 40;
        const uint32_t entry = core ? 3 : 4;
        const uint32_t stride = width > 0 ? uint32_t((uint64_t(width) * bitCount + 31) / 32 * 4) : 0;
        const uint32_t rows = stride * uint32_t(height > 0 ? height : 0);
        const uint32_t offset = 14 + headerSize + tableEntries * entry;
        std::vector<uint8_t> b;
        auto p16 = [&](uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
        auto p32 = [&](uint32_t v) { p16(v & 0xFFFF); p16(v >> 16); };
        p16(0x4D42);
        p32(offset + rows + uint32_t(fileSizeDelta));
        p32(0);
        p32(offset + uint32_t(offsetDelta));
        p32(headerSize);
        if (core) {
            p16(uint32_t(width));
            p16(uint32_t(height));
            p16(planes);
            p16(bitCount);
        } else {
            p32(uint32_t(width));
            p32(uint32_t(height));
            p16(planes);
            p16(bitCount);
            p32(compression);
            p32(0);
            p32(2835);
            p32(2835);
            p32(clrUsed);
            p32(0);
        }
        for (uint32_t i = 0; i < tableEntries; ++i) {
            uint8_t bgr[3];
            Colour(i, bgr);
            b.insert(b.end(), bgr, bgr + 3);
            if (!core)
                b.push_back(0x5A);   // reserved byte: the loader stores 0
        }
        for (int32_t row = 0; writePixels && row < height; ++row)   // bottom-up
            for (uint32_t x = 0; x < stride; ++x)
                b.push_back(int32_t(x) < width ? Pixel(int(x), height - 1 - row) : 0);
        return b;
    }
};
