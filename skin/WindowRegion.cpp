// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinPaint.h"

#include "skin/RegionData.h"
#include "win/Dialog.h"
#include "win/Gdi.h"

namespace {

bool RegionFailure(HWND window, bool report, const char* text) {
    if (report)
        ::MessageBoxA(window, text, "Error", MB_OK);
    return false;
}

}  // namespace

bool ApplyWindowRegion(HWND window, int regionId, bool reportFailures) {
    HINSTANCE instance = CDialog::ResourceInstance();
    HRSRC resource = ::FindResourceA(instance, MAKEINTRESOURCEA(regionId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (resource == nullptr)
        return RegionFailure(window, reportFailures, "FindResource failed");
    HGLOBAL loaded = ::LoadResource(instance, resource);
    if (loaded == nullptr)
        return RegionFailure(window, reportFailures, "LoadResource failed");
    const DWORD size = ::SizeofResource(instance, resource);
    if (size == 0)
        return RegionFailure(window, reportFailures, "get the size of the region-data failed");
    const void* bytes = ::LockResource(loaded);
    if (bytes == nullptr)
        return RegionFailure(window, reportFailures, "LockResource failed");
    // The platform reads as many rectangles as the header claims; bytes whose
    // header disagrees with their size are refused here instead of read past.
    RegionData parsed;
    HRGN region = nullptr;
    if (ParseRegionData(static_cast<const uint8_t*>(bytes), size, parsed))
        region = ::ExtCreateRegion(nullptr, size, static_cast<const RGNDATA*>(bytes));
    if (region == nullptr)
        return RegionFailure(window, reportFailures, "create a region from data failed");
    if (::SetWindowRgn(window, region, TRUE) == 0) {
        ::DeleteObject(region);
        return RegionFailure(window, reportFailures, "SetWindowRgn failed");
    }
    return true;   // the window owns the region now
}

void DrawBitmapTransparent(HDC target, int x, int y, int width, int height, HBITMAP bitmap,
                           int xSrc, int ySrc, COLORREF transparentColour) {
    CMemoryDC image(target), mask(target), source(target);
    CBitmap imageBitmap(::CreateCompatibleBitmap(target, width, height));
    CBitmap maskBitmap(::CreateBitmap(width, height, 1, 1, nullptr));
    if (!image.Get() || !mask.Get() || !source.Get() || !imageBitmap || !maskBitmap)
        return;
    {
        CSelectObject selImage(image, imageBitmap);
        CSelectObject selSource(source, bitmap);
        ::BitBlt(image, 0, 0, width, height, source, xSrc, ySrc, SRCCOPY);

        CSelectObject selMask(mask, maskBitmap);
        // Colour to monochrome: pixels of the background colour become 1.
        ::SetBkColor(image, transparentColour);
        ::BitBlt(mask, 0, 0, width, height, image, 0, 0, SRCCOPY);

        // Monochrome to colour maps 1 to the background (black), 0 to the text
        // colour (white): the transparent pixels of the image turn black.
        ::SetBkColor(image, RGB(0, 0, 0));
        ::SetTextColor(image, RGB(255, 255, 255));
        ::BitBlt(image, 0, 0, width, height, mask, 0, 0, SRCAND);

        // Here 1 maps to white (target kept), 0 to black (target cleared where
        // the image is opaque); OR then puts the image into the cleared pixels.
        const COLORREF oldBk = ::SetBkColor(target, RGB(255, 255, 255));
        const COLORREF oldText = ::SetTextColor(target, RGB(0, 0, 0));
        ::BitBlt(target, x, y, width, height, mask, 0, 0, SRCAND);
        ::BitBlt(target, x, y, width, height, image, 0, 0, SRCPAINT);
        ::SetBkColor(target, oldBk);
        ::SetTextColor(target, oldText);
    }
}

void PaintSkin(HWND window, HDC paintDC, int skinBitmapId, int regionId, bool& regionPending,
               bool reportFailures) {
    CBitmap skin(::LoadBitmapA(CDialog::ResourceInstance(), MAKEINTRESOURCEA(skinBitmapId)));
    if (regionPending) {
        ApplyWindowRegion(window, regionId, reportFailures);
        regionPending = false;   // a failing window reports once per opening
    }
    if (skin)
        DrawBitmapTransparent(paintDC, 0, 0, kSkinPaintWidth, kSkinPaintHeight, skin, 0, 0, RGB(0, 0, 0));
}

namespace {

const SkinClass kSkinClasses[] = {
    {133, 145, true},    // main window
    {183, 236, false},   // playlist window
    {240, 272, false},   // folder selection dialog
    {297, 272, false},   // transfer speed options
    {254, 276, true},    // about box
};

bool g_regionPending[] = {true, true, true, true, true};

}  // namespace

const SkinClass& SkinClassOf(SkinnedWindow window) {
    return kSkinClasses[static_cast<int>(window)];
}

bool& RegionPending(SkinnedWindow window) {
    return g_regionPending[static_cast<int>(window)];
}

void PaintSkin(HWND window, HDC paintDC, SkinnedWindow skinned) {
    const SkinClass& c = SkinClassOf(skinned);
    PaintSkin(window, paintDC, c.skinBitmap, c.region, RegionPending(skinned), c.reportFailures);
}

void StartBodyDrag(HWND window, POINT clientPoint) {
    // The move loop follows the pointer itself; the press point travels along
    // packed as the title-bar press expects it (x low, y high).
    ::PostMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(clientPoint.x, clientPoint.y));
}
