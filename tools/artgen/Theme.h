// SPDX-License-Identifier: GPL-3.0-or-later
// Colours and recurring details that make the pictures look like one product.
#pragma once

#include "tools/artgen/Canvas.h"
#include "tools/artgen/PixelFont.h"

namespace theme {

constexpr Rgb kBody(65, 61, 66);        // skin body; statics on it use the same colour
constexpr Rgb kAboutBody(173, 173, 181);
constexpr Rgb kRim(22, 20, 24);         // outermost pixel of every outline
constexpr Rgb kHighlight(138, 131, 144);
constexpr Rgb kHighlightSoft(96, 91, 100);
constexpr Rgb kShadow(34, 32, 37);
constexpr Rgb kShadowSoft(50, 47, 52);
constexpr Rgb kWell(27, 25, 30);        // recessed display panels
constexpr Rgb kAccent(0, 255, 128);     // headings, lit captions
constexpr Rgb kAccentDim(0, 150, 84);
constexpr Rgb kLabel(196, 192, 204);
constexpr Rgb kMagenta(255, 0, 255);    // transparent colour of the image strips

// Engraved line: dark over light (horizontal) or dark left of light (vertical).
inline void GrooveH(Canvas& c, int x0, int x1, int y) {
    c.HLine(x0, x1, y, kShadow);
    c.HLine(x0 + 1, x1 + 1, y + 1, kHighlightSoft);
}
inline void GrooveV(Canvas& c, int x, int y0, int y1) {
    c.VLine(x, y0, y1, kShadow);
    c.VLine(x + 1, y0 + 1, y1 + 1, kHighlightSoft);
}

// A sunken well two pixels deep around inner (the area a control or picture
// covers); the inside is filled with fill.
inline void Well(Canvas& c, const Rect& inner, Rgb fill) {
    c.Bevel(inner.Inflate(2), kShadowSoft, kHighlightSoft);
    c.Bevel(inner.Inflate(1), kRim, kShadowSoft);
    c.Fill(inner, fill);
}

inline TextStyle Heading() { return {kAccent, 1, false, 1}; }
inline TextStyle Label() { return {kLabel, 1, false, 1}; }

}  // namespace theme
