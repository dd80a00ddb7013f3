// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Balken.h"

#include "skin/Draw3dFrame.h"
#include "win/Gdi.h"

WBalken::WBalken(int left, int top, int right, int bottom, int maximum)
    : m_bar{left, top, right, bottom}, m_maximum(maximum) {}

RECT WBalken::ComputeFill() const {
    if (m_position <= 0)
        return RECT{};
    RECT fill = m_bar;
    fill.left += 1;
    fill.top += 1;
    const int width = m_bar.right - m_bar.left;
    // The maximum can drop below the position after the position was set (or
    // reach 0): the bar is then full rather than overrun or divided by zero.
    int t = width;
    if (m_position < m_maximum)
        t = static_cast<int>(static_cast<double>(width) / m_maximum * m_position);
    fill.right = m_bar.left + t;
    return fill;
}

void WBalken::Draw(HDC dc) {
    CSelectObject selectBrush(dc, ::GetStockObject(BLACK_BRUSH));
    ::Rectangle(dc, m_bar.left, m_bar.top, m_bar.right, m_bar.bottom);
    Draw3dFrame(dc, m_bar, RGB(0, 0, 1));
    m_fill = ComputeFill();
    if (m_position <= 0)
        return;
    CPen pen(::CreatePen(PS_SOLID, 1, m_fillColour));
    CBrush brush(::CreateSolidBrush(m_fillColour));
    CSelectObject selectPen(dc, pen);
    CSelectObject selectFill(dc, brush);
    ::Rectangle(dc, m_fill.left, m_fill.top, m_fill.right, m_fill.bottom);
}
