// SPDX-License-Identifier: GPL-3.0-or-later
// Bitmap buttons on the real options template: attaching, sizing, the face drawn
// for every state combination (through the dialog's reflection), the latched
// look through BM_SETSTATE, and the fall-backs for missing bitmaps.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "skin/BitmapButton.h"
#include "tests/skin/SkinTestSupport.h"
#include "win/Dialog.h"

#include <map>

namespace {

struct Attached {
    int id;
    const char* stem;
    int width, height;
};

const Attached kOptionsButtons[] = {
    {IDC_OPTIONS_INIT_SLOW, "SLOW", 60, 20},     {IDC_OPTIONS_RX_SLOW, "SLOW", 60, 20},
    {IDC_OPTIONS_TX_SLOW, "SLOW", 60, 20},       {IDC_OPTIONS_INIT_MEDIUM, "MEDIUM", 60, 20},
    {IDC_OPTIONS_RX_MEDIUM, "MEDIUM", 60, 20},   {IDC_OPTIONS_TX_MEDIUM, "MEDIUM", 60, 20},
    {IDC_OPTIONS_INIT_FAST, "FAST", 60, 20},     {IDC_OPTIONS_RX_FAST, "FAST", 60, 20},
    {IDC_OPTIONS_TX_FAST, "FAST", 60, 20},       {IDC_OPTIONS_SETDEF, "SETDEF", 67, 22},
    {IDC_OPTIONS_OK, "OK", 60, 20},              {IDC_OPTIONS_CANCEL, "CANCEL", 60, 20},
    {IDC_OPTIONS_CLOSE, "CLOSE", 13, 12},        {IDC_OPTIONS_HELP, "HELP", 12, 12},
};
constexpr int kButtonCount = sizeof kOptionsButtons / sizeof *kOptionsButtons;

// The options template with its buttons attached, modeless, recording the state
// bits of every owner-draw request it reflects.
class CButtonSheet : public CDialog {
public:
    CButtonSheet() : CDialog(IDD_OPTIONS) {}
    CBitmapButton buttons[kButtonCount];
    bool attached[kButtonCount] = {};
    RECT templateRects[kButtonCount] = {};
    std::map<int, UINT> lastState;

protected:
    bool OnInitDialog() override {
        for (int i = 0; i < kButtonCount; ++i) {
            templateRects[i] = ChildRect(GetDlgItem(kOptionsButtons[i].id));
            attached[i] = buttons[i].AttachBitmapButton(kOptionsButtons[i].id, m_hWnd);
        }
        return true;
    }
    bool OnDrawItem(int id, DRAWITEMSTRUCT* item) override {
        lastState[id] = item->itemState;
        return CDialog::OnDrawItem(id, item);
    }
};

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::vector<COLORREF> FacePixels(const std::string& name, int& w, int& h) {
    HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), name.c_str());
    EXPECT_NE(bitmap, nullptr) << name;
    if (bitmap == nullptr)
        return {};
    std::vector<COLORREF> pixels = BitmapPixels(bitmap, w, h);
    ::DeleteObject(bitmap);
    return pixels;
}

// Whether the canvas shows the named face with its top-left corner at (x, y).
::testing::AssertionResult ShowsFace(const CCanvas& canvas, int x, int y, const std::string& name) {
    int w = 0, h = 0;
    const std::vector<COLORREF> face = FacePixels(name, w, h);
    if (face.empty())
        return ::testing::AssertionFailure() << "no bitmap " << name;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (canvas.At(x + i, y + j) != face[size_t(j) * w + i])
                return ::testing::AssertionFailure() << name << " differs at " << i << "," << j;
    return ::testing::AssertionSuccess();
}

class BitmapButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sheet.Create());
        Pump();
    }
    int Index(int id) const {
        for (int i = 0; i < kButtonCount; ++i)
            if (kOptionsButtons[i].id == id)
                return i;
        return -1;
    }
    // Sends the dialog an owner-draw request for the button, drawing into canvas.
    void DrawInto(CCanvas& canvas, int id, UINT state) {
        HWND button = sheet.GetDlgItem(id);
        RECT rc{};
        ::GetClientRect(button, &rc);
        ::OffsetRect(&rc, 4, 3);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = UINT(id);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = canvas.Dc();
        item.rcItem = rc;
        ::SendMessageA(sheet.Handle(), WM_DRAWITEM, WPARAM(id), reinterpret_cast<LPARAM>(&item));
    }
    // The button's pixels as they are on the screen.
    void Capture(CCanvas& canvas, int id) {
        HWND button = sheet.GetDlgItem(id);
        HDC dc = ::GetDC(button);
        ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), dc, 0, 0, SRCCOPY);
        ::ReleaseDC(button, dc);
    }
    CButtonSheet sheet;
};

TEST_F(BitmapButtonTest, AttachingFitsEachButtonToItsUpBitmapInPlace) {
    for (int i = 0; i < kButtonCount; ++i) {
        const Attached& a = kOptionsButtons[i];
        SCOPED_TRACE(a.stem);
        EXPECT_TRUE(sheet.attached[i]);
        const RECT now = sheet.ChildRect(sheet.GetDlgItem(a.id));
        EXPECT_EQ(now.right - now.left, a.width);
        EXPECT_EQ(now.bottom - now.top, a.height);
        EXPECT_EQ(now.left, sheet.templateRects[i].left);
        EXPECT_EQ(now.top, sheet.templateRects[i].top);
    }
    // The template's CLOSE rectangle was not 13 x 12 to begin with.
    const RECT before = sheet.templateRects[Index(IDC_OPTIONS_CLOSE)];
    EXPECT_FALSE(before.right - before.left == 13 && before.bottom - before.top == 12);
}

TEST_F(BitmapButtonTest, EveryStateCombinationDrawsTheChosenFace) {
    struct Stem {
        int id;
        const char* stem;
        bool hasX;
    } stems[] = {{IDC_OPTIONS_OK, "OK", true}, {IDC_OPTIONS_SETDEF, "SETDEF", false},
                 {IDC_OPTIONS_HELP, "HELP", false}};
    int w = 0, h = 0;
    // The check means something only if the faces differ.
    EXPECT_NE(FacePixels("OKU", w, h), FacePixels("OKD", w, h));
    EXPECT_NE(FacePixels("OKU", w, h), FacePixels("OKX", w, h));
    EXPECT_NE(FacePixels("OKD", w, h), FacePixels("OKX", w, h));
    for (const Stem& s : stems) {
        for (UINT bits = 0; bits < 8; ++bits) {
            const UINT state = ((bits & 1) ? ODS_SELECTED : 0) | ((bits & 2) ? ODS_FOCUS : 0) |
                               ((bits & 4) ? ODS_DISABLED : 0);
            // Pushed wins; no stem has a focus face; disabled needs an X bitmap.
            const char* suffix = (bits & 1) ? "D" : ((bits & 4) && s.hasX) ? "X" : "U";
            SCOPED_TRACE(std::string(s.stem) + " state " + std::to_string(bits));
            CCanvas canvas(90, 40, RGB(1, 2, 3));
            DrawInto(canvas, s.id, state);
            EXPECT_TRUE(ShowsFace(canvas, 4, 3, std::string(s.stem) + suffix));
            EXPECT_EQ(canvas.At(3, 3), RGB(1, 2, 3));   // nothing outside the item
        }
    }
}

TEST_F(BitmapButtonTest, SetStateLatchesTheDownLookEvenWhenDisabled) {
    const int id = IDC_OPTIONS_TX_FAST;
    ::ShowWindow(sheet.Handle(), SW_SHOW);
    Pump();
    ::SendMessageA(sheet.GetDlgItem(id), BM_SETSTATE, 1, 0);
    Pump();
    ASSERT_TRUE(sheet.lastState.count(id));
    EXPECT_TRUE(sheet.lastState[id] & ODS_SELECTED);
    CCanvas canvas(60, 20, RGB(1, 2, 3));
    Capture(canvas, id);
    EXPECT_TRUE(ShowsFace(canvas, 0, 0, "FASTD"));

    ::EnableWindow(sheet.GetDlgItem(id), FALSE);
    ::InvalidateRect(sheet.GetDlgItem(id), nullptr, FALSE);
    ::UpdateWindow(sheet.GetDlgItem(id));
    EXPECT_TRUE(sheet.lastState[id] & ODS_DISABLED);
    Capture(canvas, id);
    EXPECT_TRUE(ShowsFace(canvas, 0, 0, "FASTD"));

    ::SendMessageA(sheet.GetDlgItem(id), BM_SETSTATE, 0, 0);
    Pump();
    Capture(canvas, id);
    EXPECT_TRUE(ShowsFace(canvas, 0, 0, "FASTX"));
}

TEST_F(BitmapButtonTest, MissingBitmapsEmptyOnlyTheirSlots) {
    // A caption without a U bitmap: attached, false, template size kept.
    HWND odd = ::CreateWindowExA(0, "BUTTON", "NOSUCH", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 5, 5, 33,
                                 17, sheet.Handle(), reinterpret_cast<HMENU>(4321), nullptr, nullptr);
    ASSERT_NE(odd, nullptr);
    CBitmapButton button;
    EXPECT_FALSE(button.AttachBitmapButton(4321, sheet.Handle()));
    EXPECT_TRUE(button.IsSubclassed());
    RECT rc{};
    ::GetClientRect(odd, &rc);
    EXPECT_EQ(rc.right, 33);
    EXPECT_EQ(rc.bottom, 17);
    CCanvas canvas(60, 30, RGB(1, 2, 3));
    DrawInto(canvas, 4321, 0);
    EXPECT_EQ(canvas.At(10, 10), RGB(1, 2, 3));   // nothing to draw

    CBitmapButton faces;
    EXPECT_FALSE(faces.LoadButtonFaces("OKU", "OKD", "OKF", "OKX"));   // no F bitmap
    EXPECT_NE(faces.FaceBitmap(CBitmapButton::FaceDown), nullptr);
    EXPECT_NE(faces.FaceBitmap(CBitmapButton::FaceDisabled), nullptr);
    EXPECT_EQ(faces.FaceBitmap(CBitmapButton::FaceFocus), nullptr);
    EXPECT_TRUE(faces.LoadButtonFaces("OKU", "OKD", nullptr, "OKX"));
    EXPECT_FALSE(faces.LoadButtonFaces("NOSUCHU", "OKD"));   // up missing: the rest untried
    EXPECT_EQ(faces.FaceBitmap(CBitmapButton::FaceUp), nullptr);
    EXPECT_EQ(faces.FaceBitmap(CBitmapButton::FaceDown), nullptr);
    EXPECT_EQ(faces.FaceBitmap(CBitmapButton::FaceDisabled), nullptr);
    // An empty caption has no bitmaps to name.
    HWND blank = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_OWNERDRAW, 5, 30, 10, 10,
                                   sheet.Handle(), reinterpret_cast<HMENU>(4322), nullptr, nullptr);
    CBitmapButton unnamed;
    EXPECT_FALSE(unnamed.AttachBitmapButton(4322, sheet.Handle()));
    ::DestroyWindow(blank);
    ::DestroyWindow(odd);
}

}  // namespace
