// SPDX-License-Identifier: GPL-3.0-or-later
// Shaped, skinned windows: the outline from a region resource, the body from a
// skin bitmap painted with black as the transparent colour, the body drag, and
// the region-pending flag that each class of skinned window shares.
#pragma once

#include <windows.h>

// Shapes the window from the RCDATA resource regionId of the program. Each step
// that fails ends the routine with false, after a message box captioned "Error"
// when reportFailures is set. On success the window owns the region.
bool ApplyWindowRegion(HWND window, int regionId, bool reportFailures);

// Copies width x height pixels of bitmap from (xSrc, ySrc) to (x, y) on target,
// leaving the target unchanged wherever the bitmap pixel is transparentColour
// (a monochrome mask combined with AND and OR).
void DrawBitmapTransparent(HDC target, int x, int y, int width, int height, HBITMAP bitmap,
                           int xSrc, int ySrc, COLORREF transparentColour);

// The paint step of a skinned window, called between BeginPaint and EndPaint
// before anything else the window draws: shapes the window once while its class's
// flag is pending (and clears the flag whatever the outcome), then draws the skin.
void PaintSkin(HWND window, HDC paintDC, int skinBitmapId, int regionId, bool& regionPending,
               bool reportFailures);

// The block of skin that every skinned window paints; the window's shape clips it.
constexpr int kSkinPaintWidth = 476;
constexpr int kSkinPaintHeight = 293;

// The classes of skinned window, each with its skin, region, failure mode and
// region-pending flag. Every flag is set at program start; a window sets its
// class's flag again at the point of its life where it must be reshaped.
enum class SkinnedWindow { Main, Playlist, Folder, Options, About };

struct SkinClass {
    int skinBitmap;
    int region;
    bool reportFailures;
};

const SkinClass& SkinClassOf(SkinnedWindow window);
bool& RegionPending(SkinnedWindow window);
inline void SetRegionPending(SkinnedWindow window) { RegionPending(window) = true; }
// PaintSkin with the class's skin, region, flag and failure mode.
void PaintSkin(HWND window, HDC paintDC, SkinnedWindow skinned);

// The body drag: call from the left-button-down handler, after the window's
// default handling, with the press point in client coordinates. Posts the
// window a title-bar press so that the platform's move loop takes over.
void StartBodyDrag(HWND window, POINT clientPoint);
