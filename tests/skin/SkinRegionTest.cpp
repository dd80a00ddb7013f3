// SPDX-License-Identifier: GPL-3.0-or-later
// Window shapes from the program's region resources, the failures of each step
// with their messages, the once-per-opening rule, and the body drag.
#include <gtest/gtest.h>

#include "skin/RegionData.h"
#include "skin/SkinPaint.h"
#include "tests/skin/RegionShapes.h"
#include "tests/skin/SkinTestSupport.h"

namespace {

const char kClass[] = "QuavelSkinTestWindow";

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A frameless popup like the skinned dialogs, destroyed with the object.
class CPopup {
public:
    CPopup(int x, int y, int width, int height) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = TestWindowProc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = kClass;
            wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
            registered = ::RegisterClassA(&wc) != 0;
        }
        m_hwnd = ::CreateWindowExA(0, kClass, "skin test", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    }
    ~CPopup() { if (m_hwnd) ::DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

TEST(RegionResources, EachParsesToItsShape) {
    for (const RegionShape& shape : AllRegionShapes()) {
        SCOPED_TRACE(shape.id);
        HRSRC res = ::FindResourceA(nullptr, MAKEINTRESOURCEA(shape.id), MAKEINTRESOURCEA(10));
        ASSERT_NE(res, nullptr);
        const DWORD size = ::SizeofResource(nullptr, res);
        EXPECT_EQ(size, DWORD(shape.byteSize));
        const auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(nullptr, res)));
        RegionData parsed;
        std::string why;
        ASSERT_TRUE(ParseRegionData(bytes, size, parsed, &why)) << why;
        EXPECT_EQ(parsed.bounds, (RegionRect{0, 0, shape.width, shape.height}));
        EXPECT_EQ(parsed.rects.size(), size_t(shape.count));
        EXPECT_EQ(parsed.rects, shape.ToRegion().rects);
    }
}

TEST(ApplyWindowRegion, ShapedWindowIsHitExactlyInsideTheBands) {
    for (const RegionShape& shape : AllRegionShapes()) {
        SCOPED_TRACE(shape.id);
        CPopup window(40, 40, shape.width + 8, shape.height + 8);
        ASSERT_NE(window.Get(), nullptr);
        ASSERT_TRUE(ApplyWindowRegion(window.Get(), shape.id, true));
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(::GetWindowRgn(window.Get(), region), ERROR);
        const RegionData expected = shape.ToRegion();
        int inside = 0;
        for (int y = -2; y < shape.height + 4; ++y)
            for (int x = -2; x < shape.width + 4; ++x) {
                const bool hit = ::PtInRegion(region, x, y) != FALSE;
                inside += hit;
                ASSERT_EQ(hit, expected.Contains(x, y)) << x << "," << y;
            }
        ::DeleteObject(region);
        EXPECT_GT(inside, shape.width * (shape.height - 20));
    }
}

TEST(ApplyWindowRegion, EachFailingStepShowsItsMessageOnlyWhenReporting) {
    CPopup window(40, 40, 100, 100);
    ASSERT_NE(window.Get(), nullptr);
    std::vector<CMessageBoxAnswerer::Box> boxes;
    {
        CMessageBoxAnswerer answerer;
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 900, true));     // zero bytes
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 12345, true));   // no such resource
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 901, true));     // count beyond the list
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 900, false));
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 12345, false));
        EXPECT_FALSE(ApplyWindowRegion(window.Get(), 901, false));
        boxes = answerer.Boxes();
    }
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "get the size of the region-data failed");
    EXPECT_EQ(boxes[1].text, "FindResource failed");
    EXPECT_EQ(boxes[2].text, "create a region from data failed");
    // The window keeps its rectangle.
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(::GetWindowRgn(window.Get(), region), ERROR);
    ::DeleteObject(region);
}

TEST(PaintSkin, AFailingRegionIsReportedOncePerOpening) {
    std::vector<CMessageBoxAnswerer::Box> boxes;
    {
        CMessageBoxAnswerer answerer;
        bool pending = true;
        for (int opening = 0; opening < 2; ++opening) {
            CPopup window(40, 40, 476, 280);
            ASSERT_NE(window.Get(), nullptr);
            pending = opening == 0 ? pending : true;   // the window sets its flag again
            for (int paint = 0; paint < 3; ++paint) {
                HDC dc = ::GetDC(window.Get());
                PaintSkin(window.Get(), dc, 133, 900, pending, true);
                ::ReleaseDC(window.Get(), dc);
                EXPECT_FALSE(pending);
            }
        }
        boxes = answerer.Boxes();
    }
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes)
        EXPECT_EQ(box.text, "get the size of the region-data failed");
}

TEST(PaintSkin, FlagsOfTheClassesAreSeparate) {
    // Every flag is set at program start.
    for (SkinnedWindow w : {SkinnedWindow::Main, SkinnedWindow::Playlist, SkinnedWindow::Folder,
                            SkinnedWindow::Options, SkinnedWindow::About})
        EXPECT_TRUE(RegionPending(w));
    EXPECT_EQ(SkinClassOf(SkinnedWindow::Folder).region, 272);
    EXPECT_EQ(SkinClassOf(SkinnedWindow::Options).region, 272);
    EXPECT_EQ(SkinClassOf(SkinnedWindow::Options).skinBitmap, 297);
    EXPECT_TRUE(SkinClassOf(SkinnedWindow::About).reportFailures);
    EXPECT_FALSE(SkinClassOf(SkinnedWindow::Folder).reportFailures);

    // A folder dialog's first paint shapes it; an options dialog in between
    // neither uses nor clears the folder's flag.
    CPopup folder(40, 40, 278, 265);
    HDC dc = ::GetDC(folder.Get());
    PaintSkin(folder.Get(), dc, SkinnedWindow::Folder);
    ::ReleaseDC(folder.Get(), dc);
    EXPECT_FALSE(RegionPending(SkinnedWindow::Folder));
    EXPECT_TRUE(RegionPending(SkinnedWindow::Options));
    CPopup options(40, 40, 278, 265);
    dc = ::GetDC(options.Get());
    PaintSkin(options.Get(), dc, SkinnedWindow::Options);
    ::ReleaseDC(options.Get(), dc);
    EXPECT_FALSE(RegionPending(SkinnedWindow::Options));
    for (HWND hwnd : {folder.Get(), options.Get()}) {
        HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(::GetWindowRgn(hwnd, region), COMPLEXREGION);
        EXPECT_FALSE(::PtInRegion(region, 0, 0));
        EXPECT_TRUE(::PtInRegion(region, 100, 100));
        ::DeleteObject(region);
    }
    SetRegionPending(SkinnedWindow::Folder);
    EXPECT_TRUE(RegionPending(SkinnedWindow::Folder));
}

TEST(BodyDrag, TheWindowFollowsThePointerFromThePressPoint) {
    CPopup window(200, 150, 120, 80);
    ASSERT_NE(window.Get(), nullptr);
    Pump();
    RECT before{};
    ::GetWindowRect(window.Get(), &before);
    POINT press{30, 20};
    POINT screen = press;
    ::ClientToScreen(window.Get(), &screen);
    ::SetCursorPos(screen.x, screen.y);
    StartBodyDrag(window.Get(), press);
    // A second thread moves the pointer once the move loop runs, then releases.
    std::thread mover([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = ::GetWindowThreadProcessId(window.Get(), nullptr);
        for (int i = 0; i < 2000; ++i) {
            if (::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE))
                break;
            ::Sleep(1);
        }
        ::SetCursorPos(screen.x + 25, screen.y + 15);
        ::PostMessageA(window.Get(), WM_MOUSEMOVE, 0, MAKELPARAM(press.x + 25, press.y + 15));
        ::PostMessageA(window.Get(), WM_LBUTTONUP, 0, MAKELPARAM(press.x + 25, press.y + 15));
    });
    Pump();   // runs the posted press, and with it the move loop
    mover.join();
    Pump();
    RECT after{};
    ::GetWindowRect(window.Get(), &after);
    EXPECT_EQ(after.left - before.left, 25);
    EXPECT_EQ(after.top - before.top, 15);
}

}  // namespace
