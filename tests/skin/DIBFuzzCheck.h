// SPDX-License-Identifier: GPL-3.0-or-later
// What must hold for any bytes given to the .BMP loader: it returns, and an image
// it accepts is self-consistent and survives a save and reload unchanged. Shared
// by the libFuzzer target and the mutation test.
#pragma once

#include <cstring>
#include <string>

#include "skin/DIB.h"

inline std::string CheckDIBBytes(const uint8_t* data, size_t size) {
    CDIB dib;
    if (!dib.LoadFromBytes(data, size))
        return dib.Width() == 16 && dib.Height() == 16 ? "" : "refusal changed the image";
    if (dib.Width() <= 0 || dib.Height() <= 0)
        return "accepted an empty size";
    if (dib.NumColours() < 0 || dib.NumColours() > 256)
        return "colour count outside the table";
    if (dib.BitsSize() != dib.Stride() * size_t(dib.Height()) || dib.BitsSize() > size)
        return "pixel buffer does not match the rows";
    volatile uint8_t sink = 0;   // touch every pixel byte: the sanitizers check the bounds
    for (size_t i = 0; i < dib.BitsSize(); ++i)
        sink = sink ^ dib.Bits()[i];
    if (dib.BitCount() == 8) {
        uint8_t* last = dib.PixelAddress(dib.Width() - 1, 0);
        if (last == nullptr || size_t(last - dib.Bits()) >= dib.BitsSize())
            return "pixel address outside the rows";
    }
    const std::vector<uint8_t> saved = dib.SaveToBytes();
    CDIB again;
    if (!again.LoadFromBytes(saved.data(), saved.size()))
        return "saved image does not load";
    if (std::memcmp(dib.Info(), again.Info(), sizeof(DIBInfo)) != 0 ||
        again.BitsSize() != dib.BitsSize() ||
        std::memcmp(dib.Bits(), again.Bits(), dib.BitsSize()) != 0)
        return "saved image loads differently";
    return "";
}
