// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the skin tests under Wine: a 32-bit memory canvas whose pixels can
// be read back exactly, and a second thread that answers message boxes.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The header of a top-down 32-bit DIB: row 0 is the top row.
inline BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

// A top-down 32-bit DIB section selected into a memory DC.
class CCanvas {
public:
    CCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
        BITMAPINFO bi = TopDown32(width, height);
        void* bits = nullptr;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<uint32_t*>(bits);
        m_old = ::SelectObject(m_dc, m_bitmap);
        Fill(fill);
    }
    ~CCanvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    bool Valid() const { return m_dc != nullptr && m_bits != nullptr; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Fill(COLORREF colour) {
        ::GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i)
            m_bits[i] = Pack(colour);
    }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        const uint32_t p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    void Set(int x, int y, COLORREF colour) {
        ::GdiFlush();
        m_bits[y * m_width + x] = Pack(colour);
    }

private:
    static uint32_t Pack(COLORREF c) {
        return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    }
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
};

// The pixels of a bitmap as COLORREFs, top row first.
inline std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int& width, int& height) {
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO bi = TopDown32(width, height);
    std::vector<uint32_t> raw(size_t(width) * height);
    HDC screen = ::CreateCompatibleDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, UINT(height), raw.data(), &bi, DIB_RGB_COLORS);
    ::DeleteDC(screen);
    std::vector<COLORREF> out(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        out[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    return out;
}

// A 32-bit bitmap (not selected anywhere) with the given pixels, top row first.
inline HBITMAP MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels) {
    BITMAPINFO bi = TopDown32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    auto* p = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size() && i < size_t(width) * height; ++i)
        p[i] = uint32_t(GetRValue(pixels[i])) << 16 | uint32_t(GetGValue(pixels[i])) << 8 |
               GetBValue(pixels[i]);
    return bitmap;
}

// Answers every message box of this process from a second thread while it
// runs, recording caption and text of each.
class CMessageBoxAnswerer {
public:
    struct Box {
        std::string caption, text;
    };

    CMessageBoxAnswerer() : m_thread([this] { Run(); }) {}
    ~CMessageBoxAnswerer() {
        m_stop = true;
        m_thread.join();
    }
    std::vector<Box> Boxes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_boxes;
    }

private:
    struct Search {
        CMessageBoxAnswerer* self;
        HWND found;
    };
    static BOOL CALLBACK EnumProc(HWND hwnd, LPARAM lParam) {
        auto* search = reinterpret_cast<Search*>(lParam);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[32] = {};
        ::GetClassNameA(hwnd, cls, sizeof cls);
        if (pid == ::GetCurrentProcessId() && std::string(cls) == "#32770" && ::IsWindowVisible(hwnd) &&
            ::GetDlgItem(hwnd, 0xFFFF) != nullptr) {
            search->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static std::string Text(HWND hwnd) {
        char buffer[512] = {};
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                              SMTO_ABORTIFHUNG, 2000, &ignored);
        return buffer;
    }
    void Run() {
        while (!m_stop) {
            Search search{this, nullptr};
            ::EnumWindows(EnumProc, reinterpret_cast<LPARAM>(&search));
            if (search.found != nullptr) {
                Box box{Text(search.found), Text(::GetDlgItem(search.found, 0xFFFF))};
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_boxes.push_back(box);
                }
                ::PostMessageA(search.found, WM_COMMAND, IDOK, 0);
                while (!m_stop && ::IsWindow(search.found))   // one answer per box
                    ::Sleep(5);
            }
            ::Sleep(5);   // polling pace only; no result depends on it
        }
    }

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Box> m_boxes;
    std::thread m_thread;
};
