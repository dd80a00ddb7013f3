// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/DIBPalette.h"

#include <vector>

bool CDIBPalette::Create(const CDIB& dib) {
    const int n = dib.NumColours();
    if (n == 0)
        return false;
    // LOGPALETTE declares one entry; the block holds n.
    std::vector<unsigned char> block(sizeof(LOGPALETTE) + (size_t(n) - 1) * sizeof(PALETTEENTRY));
    LOGPALETTE* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = WORD(n);
    for (int i = 0; i < n; ++i) {
        const DIBColour& c = dib.Info()->colours[i];
        palette->palPalEntry[i] = PALETTEENTRY{c.red, c.green, c.blue, 0};
    }
    HPALETTE created = ::CreatePalette(palette);
    if (created == nullptr)
        return false;
    m_palette.Reset(created);
    return true;
}
