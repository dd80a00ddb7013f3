// SPDX-License-Identifier: GPL-3.0-or-later
// A small built-in bitmap font: capitals, digits and a few signs, 7 pixels high,
// proportional. Lower-case letters are drawn as capitals.
#pragma once

#include "tools/artgen/Canvas.h"

#include <string>

struct TextStyle {
    Rgb colour;
    int scale = 1;       // each font pixel becomes scale x scale pixels
    bool bold = false;   // every stroke doubled one pixel to the right
    int spacing = 1;     // blank columns between letters, before scaling
};

constexpr int kFontHeight = 7;

int TextWidth(const std::string& text, const TextStyle& style);
int TextHeight(const TextStyle& style);
void DrawText(Canvas& c, int x, int y, const std::string& text, const TextStyle& style);
// Centred on the point (cx, cy) (both rounded down).
void DrawTextCentred(Canvas& c, int cx, int cy, const std::string& text, const TextStyle& style);
