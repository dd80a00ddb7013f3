// SPDX-License-Identifier: GPL-3.0-or-later
// RAII for GDI objects, device contexts and selections.
#pragma once

#include <windows.h>

// Owns one GDI object (pen, brush, bitmap, font, region, palette) and deletes it.
template <typename T>
class CGdiObject {
public:
    explicit CGdiObject(T handle = nullptr) : m_handle(handle) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.Release()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept { Reset(other.Release()); return *this; }

    T Get() const { return m_handle; }
    operator T() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(T handle = nullptr)
    {
        if (m_handle != nullptr && m_handle != handle)
            ::DeleteObject(m_handle);
        m_handle = handle;
    }
    T Release() { T h = m_handle; m_handle = nullptr; return h; }

private:
    T m_handle;
};

using CBrush = CGdiObject<HBRUSH>;
using CPen = CGdiObject<HPEN>;
using CBitmap = CGdiObject<HBITMAP>;
using CFont = CGdiObject<HFONT>;
using CRegion = CGdiObject<HRGN>;
using CPalette = CGdiObject<HPALETTE>;

// Selects an object into a device context and selects the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~CSelectObject() { if (m_old != nullptr && m_old != HGDI_ERROR) ::SelectObject(m_dc, m_old); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    bool Succeeded() const { return m_old != nullptr && m_old != HGDI_ERROR; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// Selects a palette (optionally as background palette) and restores the previous one.
class CSelectPalette {
public:
    CSelectPalette(HDC dc, HPALETTE palette, bool background)
        : m_dc(dc), m_old(::SelectPalette(dc, palette, background)) {}
    ~CSelectPalette() { if (m_old != nullptr) ::SelectPalette(m_dc, m_old, TRUE); }
    CSelectPalette(const CSelectPalette&) = delete;
    CSelectPalette& operator=(const CSelectPalette&) = delete;

private:
    HDC m_dc;
    HPALETTE m_old;
};

// A memory device context compatible with another one (or the screen).
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith = nullptr) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() { if (m_dc != nullptr) ::DeleteDC(m_dc); }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }

private:
    HDC m_dc;
};

// BeginPaint / EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_dc = ::BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }
    const PAINTSTRUCT& Paint() const { return m_ps; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// GetDC / ReleaseDC (client area) or GetWindowDC (whole window).
class CWindowDC {
public:
    explicit CWindowDC(HWND hWnd, bool wholeWindow = false)
        : m_hWnd(hWnd), m_dc(wholeWindow ? ::GetWindowDC(hWnd) : ::GetDC(hWnd)) {}
    ~CWindowDC() { if (m_dc != nullptr) ::ReleaseDC(m_hWnd, m_dc); }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;
    HDC Get() const { return m_dc; }
    operator HDC() const { return m_dc; }

private:
    HWND m_hWnd;
    HDC m_dc;
};
