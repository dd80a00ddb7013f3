// SPDX-License-Identifier: GPL-3.0-or-later
// Every dialog template loads, and its controls have the numbers, kinds,
// captions and places (in dialog units, converted with MapDialogRect) that the
// windows are built on.
#include "WinTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

enum class Kind { BitmapButton, List, Tree, Progress, Text, LinkText, Picture, CheckBox, GroupBox };

struct SControl {
    int id;  // -1: no number (found by kind and place)
    Kind kind;
    const char* caption;  // nullptr: not checked
    int x, y, cx, cy;     // cx < 0: only the place is fixed; x < 0: nothing is fixed
};

struct STemplate {
    int id;
    int cx, cy;
    DWORD exStyle;  // extended styles that must be set
    std::vector<SControl> controls;
};

const std::vector<STemplate>& Templates()
{
    static const std::vector<STemplate> templates = {
        {100, 187, 130, 0,
         {
             {1048, Kind::Text, nullptr, -1, 0, 0, 0},
             {1058, Kind::Text, nullptr, -1, 0, 0, 0},
             {1050, Kind::Text, nullptr, -1, 0, 0, 0},
             {1051, Kind::LinkText, nullptr, -1, 0, 0, 0},
             {1052, Kind::LinkText, nullptr, -1, 0, 0, 0},
             {1, Kind::BitmapButton, "OK", -1, 0, 0, 0},
             {1000, Kind::BitmapButton, "CLOSE", -1, 0, 0, 0},
         }},
        {102, 318, 172, WS_EX_APPWINDOW | WS_EX_ACCEPTFILES,
         {
             {1, Kind::BitmapButton, "CLOSE", 304, 4, 8, 7},
             {57670, Kind::BitmapButton, "HELP", 294, 4, 8, 7},
             {1040, Kind::BitmapButton, "ABOUT", 4, 6, 58, 16},
             {1047, Kind::BitmapButton, "KESTRY", 13, 148, 45, 15},
             {1038, Kind::BitmapButton, "INTFL", 13, 73, 33, 30},
             {1039, Kind::BitmapButton, "EXTFL", 48, 73, 33, 30},
             {1025, Kind::BitmapButton, "PLAYLST", 13, 121, 40, 11},
             {1000, Kind::BitmapButton, "REFRESH", 93, 152, 40, 11},
             {1002, Kind::BitmapButton, "DOWNP", 137, 152, 40, 11},
             {1010, Kind::BitmapButton, "DELETE", 181, 152, 40, 11},
             {1011, Kind::BitmapButton, "UPLOAD", 225, 152, 40, 11},
             {1013, Kind::BitmapButton, "INIT", 269, 152, 40, 11},
             {1001, Kind::List, nullptr, 92, 15, 219, 107},
             {1004, Kind::Progress, nullptr, 92, 123, 219, 8},
             {1043, Kind::Text, "", 89, 135, 222, 8},
             {-1, Kind::Picture, nullptr, 16, 34, -1, 0},
             {-1, Kind::Picture, nullptr, 62, 36, -1, 0},
             {1028, Kind::Picture, nullptr, 35, 49, -1, 0},
             {1027, Kind::Picture, nullptr, 35, 49, -1, 0},
             {1029, Kind::Picture, nullptr, 35, 49, -1, 0},
             {1030, Kind::Picture, nullptr, 35, 49, -1, 0},
         }},
        {130, 123, 134, WS_EX_CLIENTEDGE,
         {
             {-1, Kind::Picture, nullptr, 0, 0, -1, 0},
         }},
        {134, 271, 152, WS_EX_ACCEPTFILES,
         {
             {1014, Kind::List, nullptr, 12, 19, 208, 107},
             {1, Kind::BitmapButton, "DOWN", 226, 19, 40, 11},
             {1019, Kind::BitmapButton, "NEW", 226, 46, 40, 11},
             {1018, Kind::BitmapButton, "OPEN", 226, 59, 40, 11},
             {1017, Kind::BitmapButton, "SAVE", 226, 73, 40, 11},
             {1021, Kind::BitmapButton, "SAVEAS", 226, 87, 40, 11},
             {1015, Kind::BitmapButton, "ADD", 13, 131, 45, 11},
             {1010, Kind::BitmapButton, "REMOVE", 65, 131, 45, 11},
             {1023, Kind::BitmapButton, "MOVUP", 119, 131, 45, 11},
             {1024, Kind::BitmapButton, "MOVDOWN", 171, 131, 45, 11},
             {1022, Kind::BitmapButton, "HELP", 247, 5, 8, 7},
             {2, Kind::BitmapButton, "CLOSE", 257, 5, 8, 7},
             {1042, Kind::Text, "", 72, 9, 148, 8},
             {1046, Kind::Text, "Free Memory", 224, 106, 42, 8},
             {1045, Kind::Text, "32000 KB", 225, 116, 39, 9},
         }},
        {142, 185, 73, 0,
         {
             {-1, Kind::GroupBox, "", 0, -4, 185, 77},
             {-1, Kind::Text,
              " This will delete all files on your Rio.\n\n ATTENTION:\n The check for bad blocks needs a\n"
              " long time (up to 20 minutes) !",
              7, 7, 119, 43},
             {1031, Kind::CheckBox, "&Check and mark bad blocks", 7, 56, 105, 10},
             {1, Kind::BitmapButton, "OK", 139, 7, 39, 11},
             {2, Kind::BitmapButton, "CANCEL", 139, 22, 39, 11},
             {1022, Kind::BitmapButton, "HELPB", 139, 38, 39, 11},
         }},
        {143, 183, 162, 0,
         {
             {1033, Kind::Tree, nullptr, 14, 22, 112, 131},
             {1, Kind::BitmapButton, "OK", 135, 26, 40, 11},
             {2, Kind::BitmapButton, "CANCEL", 135, 41, 40, 11},
             {1044, Kind::BitmapButton, "CLOSE", 170, 4, 8, 8},
             {1022, Kind::BitmapButton, "HELP", 161, 4, 7, 7},
         }},
        {284, 183, 162, 0,
         {
             {1000, Kind::BitmapButton, "SLOW", 22, 49, -1, 0},
             {1059, Kind::BitmapButton, "MEDIUM", 22, 67, -1, 0},
             {1060, Kind::BitmapButton, "FAST", 21, 85, -1, 0},
             {1061, Kind::BitmapButton, "SLOW", 74, 49, -1, 0},
             {1063, Kind::BitmapButton, "MEDIUM", 74, 67, -1, 0},
             {1065, Kind::BitmapButton, "FAST", 74, 85, -1, 0},
             {1062, Kind::BitmapButton, "SLOW", 126, 49, -1, 0},
             {1064, Kind::BitmapButton, "MEDIUM", 126, 67, -1, 0},
             {1066, Kind::BitmapButton, "FAST", 126, 85, -1, 0},
             {1068, Kind::BitmapButton, "SETDEF", 19, 117, -1, 0},
             {1, Kind::BitmapButton, "OK", 132, 141, -1, 0},
             {2, Kind::BitmapButton, "CANCEL", 85, 141, -1, 0},
             {1044, Kind::BitmapButton, "CLOSE", 170, 4, -1, 0},
             {1070, Kind::BitmapButton, "HELP", 161, 4, -1, 0},
         }},
    };
    return templates;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy)
{
    RECT rc{x, y, x + cx, y + cy};
    ::MapDialogRect(dialog, &rc);
    return rc;
}

RECT ChildRect(HWND dialog, HWND child)
{
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool HasId(HWND child, int id)
{
    int actual = ::GetDlgCtrlID(child);
    return actual == id || (id == -1 && actual == 0xFFFF);
}

// The child with this number; controls without one are told apart by their place.
HWND FindControl(HWND dialog, const SControl& expected)
{
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!HasId(child, expected.id))
            continue;
        if (expected.id != -1)
            return child;
        RECT want = DialogUnits(dialog, expected.x, expected.y, 0, 0);
        RECT got = ChildRect(dialog, child);
        if (got.left == want.left && got.top == want.top)
            return child;
    }
    return nullptr;
}

void CheckKind(HWND child, Kind kind)
{
    const std::string cls = wintest::ClassOf(child);
    const LONG style = ::GetWindowLongA(child, GWL_STYLE);
    switch (kind) {
    case Kind::BitmapButton:
        EXPECT_EQ("Button", cls);
        EXPECT_EQ(BS_OWNERDRAW, style & 0x0F);
        break;
    case Kind::CheckBox:
        EXPECT_EQ("Button", cls);
        EXPECT_EQ(BS_AUTOCHECKBOX, style & 0x0F);
        break;
    case Kind::GroupBox:
        EXPECT_EQ("Button", cls);
        EXPECT_EQ(BS_GROUPBOX, style & 0x0F);
        break;
    case Kind::List:
        EXPECT_STRCASEEQ(WC_LISTVIEWA, cls.c_str());
        EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
        EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
        EXPECT_TRUE(style & LVS_NOSORTHEADER);
        EXPECT_FALSE(style & LVS_SINGLESEL) << "several rows must be selectable";
        break;
    case Kind::Tree:
        EXPECT_STRCASEEQ(WC_TREEVIEWA, cls.c_str());
        EXPECT_EQ(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                  style & (TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS));
        break;
    case Kind::Progress:
        EXPECT_STRCASEEQ(PROGRESS_CLASSA, cls.c_str());
        break;
    case Kind::Text:
    case Kind::LinkText:
        EXPECT_STRCASEEQ("Static", cls.c_str());
        EXPECT_NE(SS_BITMAP, style & SS_TYPEMASK);
        if (kind == Kind::LinkText) {
            EXPECT_TRUE(style & SS_NOTIFY) << "a link must be told of clicks";
        }
        break;
    case Kind::Picture:
        EXPECT_STRCASEEQ("Static", cls.c_str());
        EXPECT_EQ(SS_BITMAP, style & SS_TYPEMASK);
        break;
    }
}

class DialogTemplates : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&init);
    }
};

TEST_F(DialogTemplates, EveryControlAsTheWindowsExpectIt)
{
    for (const STemplate& expected : Templates()) {
        SCOPED_TRACE("template " + std::to_string(expected.id));
        HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(expected.id), nullptr,
                                           PlainDialogProc, 0);
        ASSERT_NE(nullptr, dialog);

        // Shaped or plain, no window of the program has a caption; all are pop-ups.
        const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_EQ(0, style & WS_CAPTION & ~WS_BORDER) << "caption bar";
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_EQ(expected.exStyle, static_cast<DWORD>(::GetWindowLongA(dialog, GWL_EXSTYLE)) & expected.exStyle);

        RECT client{};
        ::GetClientRect(dialog, &client);
        RECT size = DialogUnits(dialog, 0, 0, expected.cx, expected.cy);
        EXPECT_EQ(size.right, client.right);
        EXPECT_EQ(size.bottom, client.bottom);

        LOGFONTA font{};
        ASSERT_NE(0, ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font));
        EXPECT_STREQ("MS Sans Serif", font.lfFaceName);

        int children = 0;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
            ++children;
        EXPECT_EQ(static_cast<int>(expected.controls.size()), children) << "controls that are not in the table";

        for (const SControl& control : expected.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id) + " at " + std::to_string(control.x) + ","
                         + std::to_string(control.y));
            HWND child = FindControl(dialog, control);
            ASSERT_NE(nullptr, child);
            CheckKind(child, control.kind);
            if (control.caption != nullptr) {
                EXPECT_EQ(control.caption, wintest::ControlText(child));
            }
            if (control.x < 0)
                continue;
            // The system converts place and size each on its own, as here.
            RECT place = DialogUnits(dialog, control.x, control.y, 0, 0);
            RECT got = ChildRect(dialog, child);
            EXPECT_EQ(place.left, got.left);
            EXPECT_EQ(place.top, got.top);
            if (control.cx >= 0) {
                RECT size = DialogUnits(dialog, 0, 0, control.cx, control.cy);
                EXPECT_EQ(size.right, got.right - got.left);
                EXPECT_EQ(size.bottom, got.bottom - got.top);
            }
        }
        ::DestroyWindow(dialog);
    }
}

TEST_F(DialogTemplates, LampsLieAboveTheOfflineLamp)
{
    HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(102), nullptr, PlainDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    // Earlier siblings are higher in the z-order: the offline lamp must come last.
    std::vector<int> order;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        int id = ::GetDlgCtrlID(child);
        if (id >= 1027 && id <= 1030)
            order.push_back(id);
    }
    ASSERT_EQ(4u, order.size());
    EXPECT_EQ(1030, order.back());
    ::DestroyWindow(dialog);
}

TEST(Resources, StringsVersionAndArt)
{
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    char text[64] = "";
    ASSERT_GT(::LoadStringA(module, 101, text, sizeof text), 0);
    EXPECT_STREQ("&About Quavel...", text);

    HRSRC version = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_NE(nullptr, version);
    const void* data = ::LockResource(::LoadResource(module, version));
    ASSERT_NE(nullptr, data);
    // The fixed part of the version block carries 1.0.0.0.
    const VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    std::vector<char> copy(static_cast<const char*>(data), static_cast<const char*>(data) + ::SizeofResource(module, version));
    ASSERT_TRUE(::VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(const_cast<VS_FIXEDFILEINFO**>(&fixed)), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    char* product = nullptr;
    ASSERT_TRUE(::VerQueryValueA(copy.data(), "\\StringFileInfo\\040904B0\\ProductName",
                                 reinterpret_cast<void**>(&product), &length));
    EXPECT_STREQ("Quavel", product);

    // The art is linked in with the templates: a button face and a region.
    HBITMAP face = ::LoadBitmapA(module, "CLOSEU");
    EXPECT_NE(nullptr, face);
    ::DeleteObject(face);
    HRSRC region = ::FindResourceA(module, MAKEINTRESOURCEA(145), MAKEINTRESOURCEA(10));  // RT_RCDATA
    ASSERT_NE(nullptr, region);
    EXPECT_EQ(448u, ::SizeofResource(module, region));
}

}  // namespace
