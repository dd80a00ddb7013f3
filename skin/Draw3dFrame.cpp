// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Draw3dFrame.h"

#include "win/Gdi.h"

namespace {

void Polyline3(HDC dc, int x1, int y1, int x2, int y2, int x3, int y3) {
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
    ::LineTo(dc, x3, y3);
}

}  // namespace

void Draw3dFrame(HDC dc, const RECT& rect, COLORREF fillColour) {
    const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    CPen light(::CreatePen(PS_SOLID, 1, kFrameLight));
    CPen dark(::CreatePen(PS_SOLID, 1, kFrameDark));
    CSelectObject selectPen(dc, light);
    if (fillColour != 0) {
        CBrush fill(::CreateSolidBrush(fillColour));
        CSelectObject selectBrush(dc, fill);
        ::Rectangle(dc, L, T, R, B);
    }
    Polyline3(dc, L, B, R, B, R, T);
    Polyline3(dc, L - 1, B + 1, R + 1, B + 1, R + 1, T - 1);
    ::SelectObject(dc, dark);
    Polyline3(dc, L, B, L, T, R - 1, T);
    Polyline3(dc, L - 1, B + 1, L - 1, T - 1, R, T - 1);
}
