// SPDX-License-Identifier: GPL-3.0-or-later
// The link control on a dialog of its own: how it fits itself to its text in
// each alignment, the colours it paints in and its underline, hovering with the
// capture and the hand, the orders of focus and clicks, the keys that open it,
// and the message of a link that cannot be opened.
#include "tests/about/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "tests/about/LinkTestIds.h"
#include "win/Dialog.h"

namespace {

using linktest::PaintOf;
using linktest::ShellCalls;

class CLinkTestDlg : public CDialog {
public:
    CLinkTestDlg() : CDialog(IDD_LINK_TEST) {}
    std::vector<int> commands;

protected:
    bool OnCommand(int id, int /*code*/, HWND /*control*/) override
    {
        commands.push_back(id);  // Enter and Esc are only recorded: the dialog stays
        return true;
    }
};

class HyperLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        ShellCalls().clear();
        linktest::ShellResult() = 42;
        oldShell = CHyperLink::SetShellOpen(linktest::RecordShellOpen);
        ASSERT_TRUE(dlg.Create());
        ::ShowWindow(dlg, SW_SHOW);
        Pump();
    }
    void TearDown() override
    {
        dlg.Destroy();
        CHyperLink::SetShellOpen(oldShell);
    }

    // Dispatches what is waiting, through the dialog manager as a dialog's loop does.
    void Pump()
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageA(dlg, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
    }

    HWND Control(int id) const { return dlg.GetDlgItem(id); }
    RECT RectOf(int id) const { return dlg.ChildRect(Control(id)); }

    static void MouseMove(HWND link, int x, int y) { ::SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    static void Press(HWND link) { ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }
    static void Release(HWND link) { ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2)); }

    // The underline is a run of the text colour as wide as most of the text.
    static bool UnderlinedIn(HWND link, COLORREF colour)
    {
        const linktest::SPainted painted = PaintOf(link);
        return painted.LongestRun(colour) >= painted.width * 3 / 4;
    }

    CLinkTestDlg dlg;
    CHyperLink::ShellOpenCall oldShell = nullptr;
};

TEST_F(HyperLinkTest, FitsItselfToItsTextInEachAlignment)
{
    const RECT left = RectOf(IDC_LINK_LEFT);
    const RECT centred = RectOf(IDC_LINK_CENTRED);
    const RECT right = RectOf(IDC_LINK_RIGHT);
    const RECT middle = RectOf(IDC_LINK_MIDDLE);
    CHyperLink links[4];
    const int ids[4] = {IDC_LINK_LEFT, IDC_LINK_CENTRED, IDC_LINK_RIGHT, IDC_LINK_MIDDLE};
    SIZE text[4];
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(links[i].AttachLink(ids[i], dlg));
        text[i] = linktest::TextExtent(Control(ids[i]), links[i].LinkFont());
        ASSERT_GT(text[i].cx, 0);
    }

    // Left: top left corner kept, the text's size.
    RECT r = RectOf(IDC_LINK_LEFT);
    EXPECT_EQ(r.left, left.left);
    EXPECT_EQ(r.top, left.top);
    EXPECT_EQ(r.right - r.left, text[0].cx);
    EXPECT_EQ(r.bottom - r.top, text[0].cy);

    // Centred: shrunk equally at both sides, the halves truncated.
    r = RectOf(IDC_LINK_CENTRED);
    const int shrink = ((centred.right - centred.left) - text[1].cx) / 2;
    EXPECT_EQ(r.left, centred.left + shrink);
    EXPECT_EQ(r.right, centred.right - shrink);
    EXPECT_EQ(r.top, centred.top);
    EXPECT_EQ(r.bottom - r.top, text[1].cy);

    // Right-aligned: the right edge kept.
    r = RectOf(IDC_LINK_RIGHT);
    EXPECT_EQ(r.right, right.right);
    EXPECT_EQ(r.right - r.left, text[2].cx);

    // Vertically centred image bit: shrunk equally at top and bottom.
    r = RectOf(IDC_LINK_MIDDLE);
    const int vertical = ((middle.bottom - middle.top) - text[3].cy) / 2;
    EXPECT_EQ(r.top, middle.top + vertical);
    EXPECT_EQ(r.bottom, middle.bottom - vertical);
    EXPECT_EQ(r.left, middle.left);
    EXPECT_EQ(r.right - r.left, text[3].cx);
}

TEST_F(HyperLinkTest, WithoutAutosizeTheControlKeepsItsSize)
{
    const RECT before = RectOf(IDC_LINK_LEFT);
    CHyperLink link;
    link.SetLinkStyle(HLS_UNDERLINE);
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));
    const RECT after = RectOf(IDC_LINK_LEFT);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(HyperLinkTest, PaintsUnderlinedInTheLinkColourOnlyWithTheUnderlineBit)
{
    CHyperLink underlined;
    ASSERT_TRUE(underlined.AttachLink(IDC_LINK_LEFT, dlg));
    LOGFONTA font{};
    ASSERT_NE(::GetObjectA(underlined.LinkFont(), sizeof font, &font), 0);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageA(Control(IDC_LINK_LEFT), WM_GETFONT, 0, 0)),
              underlined.LinkFont());
    EXPECT_TRUE(UnderlinedIn(Control(IDC_LINK_LEFT), kLinkColour));
    // Transparent: nothing of the background is painted over.
    const linktest::SPainted painted = PaintOf(Control(IDC_LINK_LEFT));
    EXPECT_GT(painted.Count(linktest::kPaintBackground), painted.width * painted.height / 2);

    CHyperLink plain;
    plain.SetLinkStyle(HLS_AUTOSIZE | HLS_FOCUS_ON_CLICK);
    ASSERT_TRUE(plain.AttachLink(IDC_LINK_CENTRED, dlg));
    ASSERT_NE(::GetObjectA(plain.LinkFont(), sizeof font, &font), 0);
    EXPECT_FALSE(font.lfUnderline);
    const linktest::SPainted text = PaintOf(Control(IDC_LINK_CENTRED));
    EXPECT_GT(text.Count(kLinkColour), 0);
    EXPECT_LT(text.LongestRun(kLinkColour), text.width * 3 / 4);
}

TEST_F(HyperLinkTest, TextAndTargetStandInForEachOtherAndTheTooltipShowsTheTarget)
{
    CHyperLink fromText;
    ASSERT_TRUE(fromText.AttachLink(IDC_LINK_LEFT, dlg));
    EXPECT_EQ(fromText.Target(), "Left link text");

    CHyperLink fromTarget;
    fromTarget.SetTarget("http://www.kestry.example/empty");
    ASSERT_TRUE(fromTarget.AttachLink(IDC_LINK_EMPTY, dlg));
    EXPECT_EQ(fromTarget.GetText(), "http://www.kestry.example/empty");

    auto tipText = [](const CHyperLink& link) {
        char text[256] = "";
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = link.Handle();
        tool.uId = kLinkToolId;
        tool.lpszText = text;
        ::SendMessageA(link.Tooltip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        return std::string(text);
    };
    ASSERT_NE(fromText.Tooltip(), nullptr);
    EXPECT_EQ(tipText(fromText), "Left link text");
    EXPECT_EQ(tipText(fromTarget), "http://www.kestry.example/empty");

    // A new target changes the tip, not the text, and leaves the link visible.
    const RECT before = RectOf(IDC_LINK_LEFT);
    fromText.SetTarget("http://www.kestry.example/other");
    EXPECT_EQ(tipText(fromText), "http://www.kestry.example/other");
    EXPECT_EQ(fromText.GetText(), "Left link text");
    EXPECT_TRUE(fromText.IsWindowVisible());
    const RECT after = RectOf(IDC_LINK_LEFT);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(HyperLinkTest, AControlWithoutAFontIsNeitherUnderlinedNorResized)
{
    HWND bare = ::CreateWindowExA(0, "Static", "bare link", WS_CHILD | WS_VISIBLE | SS_LEFT, 5, 120, 150, 30, dlg,
                                  reinterpret_cast<HMENU>(9100), nullptr, nullptr);
    ASSERT_NE(bare, nullptr);
    CHyperLink link;
    ASSERT_TRUE(link.AttachLink(bare));
    EXPECT_EQ(link.LinkFont(), nullptr);
    EXPECT_EQ(link.LinkStyle() & HLS_AUTOSIZE, 0u);
    const RECT r = dlg.ChildRect(bare);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 30);
    link.Unsubclass();
    ::DestroyWindow(bare);
}

TEST_F(HyperLinkTest, HoverTakesTheCaptureShowsTheHandAndColoursOnlyWithTheHoverBit)
{
    CHyperLink link;
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));
    HWND control = Control(IDC_LINK_LEFT);

    MouseMove(control, 3, 3);
    EXPECT_TRUE(link.IsOver());
    EXPECT_EQ(::GetCapture(), control);
    EXPECT_TRUE(UnderlinedIn(control, kLinkColour));  // the default style has no hover colour

    ASSERT_NE(CHyperLink::HandPointer(), nullptr);
    EXPECT_EQ(::SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(::GetCursor(), CHyperLink::HandPointer());
    // The static answers every hit test itself, so that it gets the mouse.
    EXPECT_EQ(::SendMessageA(control, WM_NCHITTEST, 0, 0), HTCLIENT);

    MouseMove(control, 4, 4);  // still inside
    EXPECT_EQ(::GetCapture(), control);
    MouseMove(control, -3, 4);
    EXPECT_FALSE(link.IsOver());
    EXPECT_EQ(::GetCapture(), nullptr);

    CHyperLink hover;
    hover.SetLinkStyle(kLinkDefaultStyle | HLS_HOVER_COLOUR);
    ASSERT_TRUE(hover.AttachLink(IDC_LINK_CENTRED, dlg));
    HWND centred = Control(IDC_LINK_CENTRED);
    MouseMove(centred, 2, 2);
    EXPECT_TRUE(UnderlinedIn(centred, kLinkHoverColour));
    RECT client{};
    ::GetClientRect(centred, &client);
    MouseMove(centred, client.right, 2);  // the right edge is outside
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(UnderlinedIn(centred, kLinkColour));
}

TEST_F(HyperLinkTest, ClickOpensOnReleaseThenShowsActiveUntilTheFocusMovesAndVisitedAfter)
{
    CHyperLink link;
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));
    link.SetTarget("http://www.kestry.example/");
    HWND control = Control(IDC_LINK_LEFT);
    ::SetFocus(Control(IDC_LINK_OTHER));

    Press(control);
    EXPECT_EQ(::GetFocus(), control);
    EXPECT_TRUE(link.IsActive());
    EXPECT_TRUE(ShellCalls().empty());
    Release(control);
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].target, "http://www.kestry.example/");
    EXPECT_EQ(ShellCalls()[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(link.IsVisited());
    EXPECT_TRUE(UnderlinedIn(control, kLinkActiveColour));

    ::SetFocus(Control(IDC_LINK_OTHER));
    EXPECT_FALSE(link.IsActive());
    EXPECT_TRUE(UnderlinedIn(control, kLinkVisitedColour));

    // A release without a press on the link opens nothing.
    Release(control);
    EXPECT_EQ(ShellCalls().size(), 1u);
}

TEST_F(HyperLinkTest, DownClickOpensOnPressAndWithoutFocusOnClickTheFocusStays)
{
    CHyperLink link;
    link.SetLinkStyle(HLS_UNDERLINE | HLS_AUTOSIZE | HLS_DOWN_CLICK);
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));
    HWND control = Control(IDC_LINK_LEFT);
    HWND other = Control(IDC_LINK_OTHER);
    ::SetFocus(other);

    Press(control);
    EXPECT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(::GetFocus(), other);
    EXPECT_TRUE(link.IsActive());
    Release(control);
    EXPECT_EQ(ShellCalls().size(), 1u);
    // Active stays set: the link never had the focus to lose.
    EXPECT_TRUE(UnderlinedIn(control, kLinkActiveColour));

    CHyperLink noActive;
    noActive.SetLinkStyle(kLinkDefaultStyle | HLS_NO_ACTIVE_COLOUR);
    ASSERT_TRUE(noActive.AttachLink(IDC_LINK_CENTRED, dlg));
    HWND centred = Control(IDC_LINK_CENTRED);
    Press(centred);
    Release(centred);
    EXPECT_EQ(ShellCalls().size(), 2u);
    EXPECT_EQ(::GetFocus(), centred);
    EXPECT_TRUE(UnderlinedIn(centred, kLinkVisitedColour));
}

TEST_F(HyperLinkTest, SpaceOpensTheFocusedLinkAndEnterDoesNot)
{
    CHyperLink link;
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));
    HWND control = Control(IDC_LINK_LEFT);

    ::SetFocus(control);
    ::PostMessageA(control, WM_KEYDOWN, VK_RETURN, 0);
    Pump();
    EXPECT_TRUE(ShellCalls().empty());
    EXPECT_FALSE(dlg.commands.empty());  // Enter went to the dialog as its default command

    ::PostMessageA(control, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    ASSERT_EQ(ShellCalls().size(), 1u);
    EXPECT_EQ(ShellCalls()[0].target, "Left link text");

    // With the focus elsewhere the keys reach that control, not the link.
    HWND other = Control(IDC_LINK_OTHER);
    ::SetFocus(other);
    ::PostMessageA(other, WM_KEYDOWN, VK_SPACE, 0);
    ::PostMessageA(other, WM_KEYUP, VK_SPACE, 0);
    Pump();
    EXPECT_EQ(ShellCalls().size(), 1u);
}

TEST_F(HyperLinkTest, AFailedOpenShowsTheReasonAndTheLinkStaysUnvisited)
{
    linktest::CTestClassRoot root;  // no web page association: no fallback
    linktest::ShellResult() = SE_ERR_NOASSOC;
    CHyperLink link;
    ASSERT_TRUE(link.AttachLink(IDC_LINK_LEFT, dlg));

    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string title = path;
    title = title.substr(title.find_last_of('\\') + 1);
    title.erase(title.find_last_of('.'));

    std::string shown;
    std::atomic<bool> found{false};
    std::thread answer([&] {
        HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), title.c_str(), dlg);
        if (box == nullptr)
            return;
        found = true;
        shown = wintest::MessageBoxText(box);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    link.ActivateLink();
    answer.join();

    ASSERT_TRUE(found) << "no message box captioned " << title;
    EXPECT_EQ(shown, "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(ShellCalls().size(), 1u);
}

TEST(HandPointer, ComesFromTheModuleFileOrElseFromTheSystem)
{
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    HCURSOR systemHand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
    ASSERT_NE(systemHand, nullptr);

    // This test program carries a pointer 106 with its hot spot at (7, 3).
    HCURSOR copied = CHyperLink::LoadHandPointer(self);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, systemHand);
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(copied, &info));
    EXPECT_EQ(info.xHotspot, 7u);
    EXPECT_EQ(info.yHotspot, 3u);
    if (info.hbmMask != nullptr)
        ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);

    EXPECT_EQ(CHyperLink::LoadHandPointer("C:\\no such folder\\winhlp32.exe"), systemHand);
    EXPECT_EQ(CHyperLink::LoadHandPointer(""), systemHand);

    char windows[MAX_PATH] = "";
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    HCURSOR viewer = CHyperLink::LoadHandPointer(std::string(windows) + "\\winhlp32.exe");
    EXPECT_NE(viewer, nullptr);
    std::printf("hand pointer of this system: %s\n", viewer == systemHand ? "the system's own" : "winhlp32.exe 106");
}

}  // namespace
