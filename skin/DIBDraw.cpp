// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing half of CDIB.
#include "skin/DIB.h"

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DIBInfoHeader), "header layouts must agree");
static_assert(sizeof(RGBQUAD) == sizeof(DIBColour), "colour entries must agree");

bool CDIB::Draw(HDC dc, int x, int y) const {
    if (IsEmpty())
        return false;
    return ::SetDIBitsToDevice(dc, x, y, DWORD(Width()), DWORD(Height()), 0, 0, 0, UINT(Height()),
                               Bits(), BitmapInfo(), DIB_RGB_COLORS) != 0;
}

bool CDIB::Draw(HDC dc, const RECT& target) const {
    if (IsEmpty())
        return false;
    return ::StretchDIBits(dc, target.left, target.top, target.right - target.left,
                           target.bottom - target.top, 0, 0, Width(), Height(), Bits(), BitmapInfo(),
                           DIB_RGB_COLORS, SRCCOPY) != 0;
}
