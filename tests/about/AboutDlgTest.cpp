// SPDX-License-Identifier: GPL-3.0-or-later
// The About box on screen, driven from a second thread: its template, skin and
// shape, the version line and the colour of its texts, both links and what
// they open, OK, CLOSE and Esc, and its help topic.
#include "tests/about/LinkTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "QuavelVersion.h"
#include "app/AboutDlg.h"
#include "app/Help.h"
#include "res/resource.h"
#include "skin/RegionData.h"
#include "skin/SkinColours.h"
#include "tests/lists/DialogDriver.h"
#include "tests/lists/HelpRecorder.h"

namespace {

using liststest::Click;
using linktest::ShellCalls;
using wintest::WaitUntil;

std::atomic<int> g_opened{0};
int CountShellOpen(const char* target, int show)
{
    ++g_opened;
    return linktest::RecordShellOpen(target, show);
}

using helptest::g_helpCalls;
using helptest::g_helpCount;
using helptest::RecordHelp;
using helptest::SHelpCall;

// The about box's region resource as the shape code reads it.
RegionData AboutRegion()
{
    RegionData region;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(IDR_ABOUT_REGION), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr)
        return region;
    const auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(instance, found)));
    ParseRegionData(bytes, ::SizeofResource(instance, found), region);
    return region;
}

class AboutBox : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        ShellCalls().clear();
        g_opened = 0;
        linktest::ShellResult() = 42;
        oldShell = CHyperLink::SetShellOpen(CountShellOpen);
        g_helpCalls.clear();
        g_helpCount = 0;
        oldHelp = SetHelpEngine(RecordHelp);
    }
    void TearDown() override
    {
        CHyperLink::SetShellOpen(oldShell);
        SetHelpEngine(oldHelp);
    }

    CHyperLink::ShellOpenCall oldShell = nullptr;
    HelpEngine oldHelp = nullptr;
};

TEST_F(AboutBox, OpensWithItsTemplateSkinShapeTextsAndLinks)
{
    const RegionData expected = AboutRegion();
    ASSERT_FALSE(expected.rects.empty());

    CAboutDlg dlg;
    SIZE client{};
    SIZE mapped{};
    int kind = ERROR;
    std::vector<std::pair<POINT, bool>> shape;  // point, inside the window's region
    std::string version, edition, authors, maker, makerTip;
    COLORREF versionBackground = 0;
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        WaitUntil([&] { return (kind = ::GetWindowRgn(w, rgn)) == COMPLEXREGION; });
        // Corners of every rectangle, and their neighbours just outside.
        for (const RegionRect& r : expected.rects) {
            for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.bottom - 1}, POINT{r.left - 1, r.top},
                            POINT{r.right, r.bottom - 1}, POINT{r.left, r.bottom}})
                shape.push_back({p, ::PtInRegion(rgn, p.x, p.y) != FALSE});
        }
        ::DeleteObject(rgn);

        RECT rc{};
        ::GetClientRect(w, &rc);
        client = SIZE{rc.right, rc.bottom};
        RECT units{0, 0, 187, 130};
        ::MapDialogRect(w, &units);
        mapped = SIZE{units.right, units.bottom};

        version = wintest::ControlText(::GetDlgItem(w, IDC_ABOUT_VERSION));
        edition = wintest::ControlText(::GetDlgItem(w, IDC_ABOUT_EDITION));
        authors = wintest::ControlText(::GetDlgItem(w, IDC_ABOUT_AUTHORS_LINK));
        maker = wintest::ControlText(::GetDlgItem(w, IDC_ABOUT_MAKER_LINK));

        // The version line's background, beyond its text, on screen.
        HWND versionText = ::GetDlgItem(w, IDC_ABOUT_VERSION);
        WaitUntil([&] {
            RECT v{};
            ::GetClientRect(versionText, &v);
            HDC dc = ::GetDC(versionText);
            versionBackground = ::GetPixel(dc, v.right - 1, v.bottom - 1);
            ::ReleaseDC(versionText, dc);
            return versionBackground == kAboutBodyColour;
        });

        char tip[256] = "";
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = ::GetDlgItem(w, IDC_ABOUT_MAKER_LINK);
        tool.uId = kLinkToolId;
        tool.lpszText = tip;
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(dlg.MakerLink().Tooltip(), TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&tool),
                              SMTO_ABORTIFHUNG, 2000, &ignored);
        makerTip = tip;

        Click(w, IDC_ABOUT_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(kind, COMPLEXREGION);
    for (const auto& [point, inside] : shape)
        EXPECT_EQ(inside, expected.Contains(point.x, point.y)) << point.x << ", " << point.y;
    EXPECT_EQ(client.cx, mapped.cx);
    EXPECT_EQ(client.cy, mapped.cy);

    // The project's version, major and minor: "1.0" for 1.0.0.
    const std::string release = kQuavelVersion;
    EXPECT_EQ(version, "Quavel Version " + release.substr(0, release.rfind('.')));
    EXPECT_EQ(version, CAboutDlg::VersionLine());
    EXPECT_FALSE(edition.empty());
    EXPECT_EQ(versionBackground, kAboutBodyColour);

    // The maker's name opens the maker's site; the authors' address opens itself.
    EXPECT_EQ(maker, "Kestry");
    EXPECT_EQ(dlg.MakerLink().Target(), CAboutDlg::kMakerAddress);
    EXPECT_EQ(makerTip, CAboutDlg::kMakerAddress);
    EXPECT_EQ(dlg.AuthorsLink().Target(), authors);
    for (const std::string& address : {std::string(CAboutDlg::kMakerAddress), authors})
        EXPECT_NE(address.find(".example"), std::string::npos) << address << " is not a reserved example address";
    EXPECT_EQ(g_opened, 0);
}

TEST_F(AboutBox, ClickingEachLinkOpensItsAddress)
{
    CAboutDlg dlg;
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        for (int id : {IDC_ABOUT_AUTHORS_LINK, IDC_ABOUT_MAKER_LINK}) {
            const int before = g_opened;
            HWND link = ::GetDlgItem(w, id);
            ::PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
            ::PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
            EXPECT_TRUE(WaitUntil([&] { return g_opened == before + 1; })) << id;
        }
        Click(w, IDC_ABOUT_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(ShellCalls().size(), 2u);
    EXPECT_EQ(ShellCalls()[0].target, dlg.AuthorsLink().Target());
    EXPECT_EQ(ShellCalls()[1].target, CAboutDlg::kMakerAddress);
    EXPECT_TRUE(dlg.AuthorsLink().IsVisited());
    EXPECT_TRUE(dlg.MakerLink().IsVisited());
}

TEST_F(AboutBox, CloseEndsWithOkEscWithCancelAndF1OpensItsTopic)
{
    {
        CAboutDlg dlg;
        const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
            constexpr UINT kKeyF1 = 0x004D;  // what the default handling turns into WM_HELP
            ::PostMessageA(w, kKeyF1, 0, 0);
            EXPECT_TRUE(WaitUntil([] { return g_helpCount == 1; }));
            Click(w, IDC_ABOUT_CLOSE);
            WaitUntil([&] { return !::IsWindow(w); });
        });
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(g_helpCalls.size(), 1u);
        EXPECT_EQ(g_helpCalls[0].command, static_cast<UINT>(HELP_CONTEXT));
        EXPECT_EQ(g_helpCalls[0].data, 0x20064u);
    }
    {
        CAboutDlg dlg;
        const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
            ::PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
            WaitUntil([&] { return !::IsWindow(w); });
        });
        EXPECT_EQ(result, IDCANCEL);
    }
}

}  // namespace
