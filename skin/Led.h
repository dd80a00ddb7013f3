// SPDX-License-Identifier: GPL-3.0-or-later
// CLed: a counter of seven-segment digits drawn onto its owner's device context.
// The owner changes the value, invalidates the cells and calls Draw from its
// paint handler.
#pragma once

#include <windows.h>

class CLed {
public:
    static constexpr const char* kClassName = "CLed";

    // Style bits. Bit 0x01 has no effect of its own, but any non-zero style
    // blanks leading zeros and leaves unlit segments undrawn.
    static constexpr int LED_HIDE_ZERO = 0x02;       // no digits while the value is 0
    static constexpr int LED_NO_BACKGROUND = 0x04;   // no background rectangle
    static constexpr int LED_NO_BORDER = 0x08;       // no sunken border

    // The first digit cell; further cells lie to its right.
    CLed(int left, int top, int right, int bottom, int digits);

    void SetStyle(int style) { m_style = style; }
    int Style() const { return m_style; }
    // Lit colour; the unlit colour follows it (71 per channel above 70, else 0).
    void SetColour(int red, int green, int blue);
    COLORREF OnColour() const { return m_onColour; }
    COLORREF OffColour() const { return m_offColour; }
    // Negative values have no digits: they are shown as 0.
    void SetValue(int value) { m_value = value < 0 ? 0 : value; }
    int GetValue() const { return m_value; }
    void CountDown() { if (m_value > 0) --m_value; }

    void Draw(HDC dc);

private:
    void DrawDigit(HDC dc, int cell, HPEN onPen, HPEN offPen);

    int m_x, m_y;
    int m_cellWidth;
    int m_height;
    int m_digits;
    int m_value = 0;
    int m_style = 0;
    COLORREF m_onColour = RGB(0, 255, 0);
    COLORREF m_offColour = RGB(0, 70, 0);
    int m_currentDigit = 0;   // 0-9, or 10 for a blank cell
};
