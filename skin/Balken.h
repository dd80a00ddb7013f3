// SPDX-License-Identifier: GPL-3.0-or-later
// WBalken: a horizontal bar showing how much of the player's memory is used,
// drawn onto its owner's device context inside a bevelled frame.
#pragma once

#include <windows.h>

class WBalken {
public:
    static constexpr const char* kClassName = "WBalken";
    static constexpr int kSolidFill = 16;

    WBalken(int left, int top, int right, int bottom, int maximum);

    void SetStyle(int style) { m_style = style; }
    int Style() const { return m_style; }
    // Does not touch the position.
    void SetMaximum(int maximum) { m_maximum = maximum; }
    int Maximum() const { return m_maximum; }
    // A value above the maximum is ignored: the old position stays.
    void SetPosition(int position) { if (position <= m_maximum) m_position = position; }
    int Position() const { return m_position; }

    const RECT& Bar() const { return m_bar; }
    // The filled part as the last Draw computed it (empty before any fill).
    const RECT& Fill() const { return m_fill; }
    // The filled part for the current values; empty when nothing is filled. A
    // position above a maximum set later fills the whole bar.
    RECT ComputeFill() const;

    void Draw(HDC dc);

private:
    RECT m_bar;
    RECT m_fill{};
    int m_position = 0;
    int m_maximum;
    int m_style = 0;
    COLORREF m_fillColour = RGB(0, 255, 0);
};
