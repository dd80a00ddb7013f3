// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Led.h"

#include "win/Gdi.h"

namespace {

constexpr int kBlank = 10;

// Lit segments a b c d e f g per digit; the last row is the blank cell.
constexpr bool kSegments[11][7] = {
    {1, 1, 1, 1, 1, 1, 0}, {0, 1, 1, 0, 0, 0, 0}, {1, 1, 0, 1, 1, 0, 1}, {1, 1, 1, 1, 0, 0, 1},
    {0, 1, 1, 0, 0, 1, 1}, {1, 0, 1, 1, 0, 1, 1}, {1, 0, 1, 1, 1, 1, 1}, {1, 1, 1, 0, 0, 0, 0},
    {1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 0, 1, 1}, {0, 0, 0, 0, 0, 0, 0},
};

enum { A, B, C, D, E, F, G };

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

int UnlitChannel(int lit) { return lit > 70 ? 71 : 0; }

}  // namespace

CLed::CLed(int left, int top, int right, int bottom, int digits)
    : m_x(left), m_y(top), m_cellWidth(right - left), m_height(bottom - top), m_digits(digits) {}

void CLed::SetColour(int red, int green, int blue) {
    m_onColour = RGB(red, green, blue);
    m_offColour = RGB(UnlitChannel(red), UnlitChannel(green), UnlitChannel(blue));
}

void CLed::Draw(HDC dc) {
    const int x = m_x, y = m_y, h = m_height, W = m_cellWidth * m_digits;
    CPen grey(::CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    CSelectObject selectPen(dc, grey);
    CSelectObject selectBrush(dc, ::GetStockObject(BLACK_BRUSH));
    if (!(m_style & LED_NO_BACKGROUND))
        ::Rectangle(dc, x, y, x + W + 1, y + h);
    if (!(m_style & LED_NO_BORDER)) {
        CPen white(::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
        CPen shadow(::CreatePen(PS_SOLID, 1, RGB(111, 111, 111)));
        ::SelectObject(dc, white);
        ::MoveToEx(dc, x, y + h - 1, nullptr);
        ::LineTo(dc, x + W, y + h - 1);
        ::LineTo(dc, x + W, y);
        ::MoveToEx(dc, x, y + h, nullptr);
        ::LineTo(dc, x + W + 1, y + h);
        ::LineTo(dc, x + W + 1, y - 1);
        ::SelectObject(dc, shadow);
        ::MoveToEx(dc, x, y + h - 1, nullptr);
        ::LineTo(dc, x, y);
        ::LineTo(dc, x + W, y);
        ::MoveToEx(dc, x - 1, y + h, nullptr);
        ::LineTo(dc, x - 1, y - 1);
        ::LineTo(dc, x + W + 1, y - 1);
        ::SelectObject(dc, grey);   // before the border pens are deleted
    }
    if (m_value == 0 && (m_style & LED_HIDE_ZERO))
        return;
    CPen onPen(::CreatePen(PS_SOLID, 1, m_onColour));
    CPen offPen(::CreatePen(PS_SOLID, 1, m_offColour));
    int v = m_value;
    for (int i = m_digits - 1; i >= 0; --i) {
        m_currentDigit = v % 10;
        if (m_style != 0 && i < m_digits - 1 && v == 0 && m_digits > 1)
            m_currentDigit = kBlank;
        DrawDigit(dc, i, onPen, offPen);
        v /= 10;
    }
}

void CLed::DrawDigit(HDC dc, int cell, HPEN onPen, HPEN offPen) {
    const int x0 = m_x + cell * m_cellWidth + 3;
    const int y0 = m_y + 4;
    const int s = (m_height - 10) / 2;
    const int xr = x0 + m_cellWidth - 7;
    const bool* lit = kSegments[m_currentDigit];
    CSelectObject restore(dc, ::GetCurrentObject(dc, OBJ_PEN));
    // Selects the segment's pen; false when an unlit segment is to be skipped.
    auto pen = [&](int segment) {
        if (!lit[segment] && m_style != 0)
            return false;
        ::SelectObject(dc, lit[segment] ? onPen : offPen);
        return true;
    };
    if (pen(F)) {
        Line(dc, x0, y0, x0, y0 + s);
        Line(dc, x0 + 1, y0 + 1, x0 + 1, y0 + s - 1);
        Line(dc, x0 + 2, y0 + 2, x0 + 2, y0 + s - 2);
    }
    if (pen(E)) {
        Line(dc, x0, y0 + s + 1, x0, y0 + 2 * s + 1);
        Line(dc, x0 + 1, y0 + s + 2, x0 + 1, y0 + 2 * s);
        Line(dc, x0 + 2, y0 + s + 3, x0 + 2, y0 + 2 * s - 1);
    }
    if (pen(B)) {
        Line(dc, xr, y0, xr, y0 + s);
        Line(dc, xr - 1, y0 + 1, xr - 1, y0 + s - 1);
        Line(dc, xr - 2, y0 + 2, xr - 2, y0 + s - 2);
    }
    if (pen(C)) {
        Line(dc, xr, y0 + s + 1, xr, y0 + 2 * s + 1);
        Line(dc, xr - 1, y0 + s + 2, xr - 1, y0 + 2 * s);
        Line(dc, xr - 2, y0 + s + 3, xr - 2, y0 + 2 * s - 1);
    }
    if (pen(A)) {
        Line(dc, x0 + 1, y0 - 1, xr, y0 - 1);
        Line(dc, x0 + 2, y0, xr - 1, y0);
        Line(dc, x0 + 3, y0 + 1, xr - 2, y0 + 1);
    }
    if (pen(D)) {
        Line(dc, x0 + 1, y0 + 2 * s + 1, xr, y0 + 2 * s + 1);
        Line(dc, x0 + 2, y0 + 2 * s, xr - 1, y0 + 2 * s);
        Line(dc, x0 + 3, y0 + 2 * s - 1, xr - 2, y0 + 2 * s - 1);
    }
    if (pen(G)) {
        Line(dc, x0 + 2, y0 + s - 1, xr - 1, y0 + s - 1);
        Line(dc, x0 + 1, y0 + s, xr, y0 + s);
        Line(dc, x0 + 2, y0 + s + 1, xr - 1, y0 + s + 1);
    }
}
