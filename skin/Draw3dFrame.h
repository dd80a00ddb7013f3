// SPDX-License-Identifier: GPL-3.0-or-later
// A one-pixel bevelled frame around a rectangle: light below and right, dark
// above and left, two lines deep, optionally filled.
#pragma once

#include <windows.h>

constexpr COLORREF kFrameLight = RGB(188, 188, 188);
constexpr COLORREF kFrameDark = RGB(111, 111, 111);

// A fill colour of 0 means no fill.
void Draw3dFrame(HDC dc, const RECT& rect, COLORREF fillColour);
