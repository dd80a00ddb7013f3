// SPDX-License-Identifier: GPL-3.0-or-later
// CDIBPalette: a logical palette built from a CDIB's colour table.
#pragma once

#include "skin/DIB.h"
#include "win/Gdi.h"

class CDIBPalette {
public:
    CDIBPalette() = default;

    // One entry per colour of the image's table (red, green, blue, no flags).
    // False for an image without a colour table or when the platform refuses;
    // an existing palette is replaced only on success.
    bool Create(const CDIB& dib);

    HPALETTE Get() const { return m_palette.Get(); }
    explicit operator bool() const { return static_cast<bool>(m_palette); }

private:
    CPalette m_palette;
};
