// SPDX-License-Identifier: GPL-3.0-or-later
// The colours of text that lies directly on a skin, and the solid body brush a
// window creates once and answers its controls' colour queries with.
#pragma once

#include <windows.h>

constexpr COLORREF kBodyColour = RGB(65, 61, 66);
constexpr COLORREF kAboutBodyColour = RGB(173, 173, 181);
constexpr COLORREF kBodyTextWhite = RGB(255, 255, 255);
constexpr COLORREF kBodyTextGreen = RGB(0, 255, 128);
constexpr COLORREF kBodyTextRed = RGB(255, 0, 0);

class CBodyBrush {
public:
    explicit CBodyBrush(COLORREF colour) : m_colour(colour), m_brush(::CreateSolidBrush(colour)) {}
    ~CBodyBrush() { if (m_brush != nullptr) ::DeleteObject(m_brush); }
    CBodyBrush(const CBodyBrush&) = delete;
    CBodyBrush& operator=(const CBodyBrush&) = delete;

    HBRUSH Get() const { return m_brush; }
    COLORREF Colour() const { return m_colour; }
    // The answer to a control-colour query: text colour, background, brush.
    HBRUSH Answer(HDC dc, COLORREF text) const {
        ::SetTextColor(dc, text);
        return AnswerKeepingText(dc);
    }
    // The same with the text colour left as it was.
    HBRUSH AnswerKeepingText(HDC dc) const {
        ::SetBkColor(dc, m_colour);
        return m_brush;
    }

private:
    COLORREF m_colour;
    HBRUSH m_brush;
};
