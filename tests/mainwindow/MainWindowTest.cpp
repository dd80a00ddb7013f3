// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on screen: connecting (with and without a player, the stored
// ports), the memory switch with its held-down looks, the controls against the
// template, the column widths between runs, help and the About box.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"
#include "win/Window.h"

namespace {

using namespace maintest;

const char* const kNotFound = "Rio not found!\r\n\r\nPlease connect your Rio to the printerport.";

// The buttons that EnableButtons leaves on without a selection.
const int kAlwaysOn[] = {IDC_MAIN_CLOSE, IDC_MAIN_PLAYLST, IDC_MAIN_REFRESH, IDC_MAIN_DOWNP,
                         IDC_MAIN_INIT, IDC_MAIN_INTFL, IDC_MAIN_EXTFL, IDC_MAIN_HELP,
                         IDC_MAIN_ABOUT, IDC_MAIN_KESTRY};

TEST_F(MainWindowTest, WithoutAPlayerCancelLeavesAnOfflineWindowAndRefreshFindsThePlayerLater)
{
    MakePlayer();
    ports.plugged = false;
    CMainDlg window(ports);
    bool boxSeen = false;
    bool connectShownWithBox = false;
    bool mainHiddenWithBox = false;
    std::thread answer([&] {
        // The box asks before the main window is on screen, with the connect window still up.
        HWND box = WaitForBox("Quavel");
        if (box == nullptr)
            return;
        boxSeen = wintest::MessageBoxText(box) == kNotFound;
        HWND connect = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", "", box);
        connectShownWithBox = connect != nullptr;
        mainHiddenWithBox = FindMainWindow() == nullptr;
        // F1 on the connect window opens its own topic.
        constexpr UINT kKeyF1 = 0x004D;
        ::PostMessageA(connect, kKeyF1, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return HelpCount() == 1; }));
        EXPECT_EQ(0x20082u, LastHelpTopic().load());
        EXPECT_NE(nullptr, ::GetDlgItem(box, IDRETRY));
        // Retry with nothing plugged in asks again; then Cancel.
        Press(box, IDRETRY);
        WaitUntil([&] { return !::IsWindow(box); });
        box = WaitForBox("Quavel");
        ASSERT_NE(nullptr, box);
        Press(box, IDCANCEL);
    });
    const INT_PTR result = Run(window, [&](HWND main) {
        answer.join();
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_OFFLINE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_EQ(0, RowCount(main));
        EXPECT_EQ("", Status(main));
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_DELETE));
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_UPLOAD));
        for (int id : kAlwaysOn)
            EXPECT_TRUE(IsEnabled(main, id)) << id;

        // A dropped file finds no player; the search after it is cancelled
        // too: the offline lamp stays, not covered by the idle lamp.
        DropOn(main, {MakePcFile("offline.mp3", 20000, 1)});
        HWND again = wintest::WaitForMessageBox(::GetCurrentProcessId(), "Quavel", main);
        ASSERT_NE(nullptr, again);
        Press(again, IDCANCEL);
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DOWNP); }));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_OFFLINE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_IDLE));

        // Plugged in now: REFRESH searches again, finds it, lists it.
        ports.plugged = true;
        Click(main, IDC_MAIN_REFRESH);
        EXPECT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; }));
        EXPECT_EQ("Memory:   total: 32768 KB   used : 0 KB   free : 32768 KB", Status(main));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        // The offline lamp stays under the idle lamp, which covers it.
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_OFFLINE));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    if (answer.joinable())
        answer.join();
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(connectShownWithBox);
    EXPECT_TRUE(mainHiddenWithBox);
    EXPECT_TRUE(window.IsConnected());
}

TEST_F(MainWindowTest, APlayerOnTheSecondPortSwapsThePortsAndListsItsFiles)
{
    options.base = 632;
    MakePlayer();
    Preload({"one.mp3", "two.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        EXPECT_EQ(2, RowCount(main));
        EXPECT_EQ(" 1. one.mp3", CellText(main, 0, 0));
        EXPECT_EQ(" 2. two.mp3", CellText(main, 1, 0));
        EXPECT_EQ("40000", CellText(main, 0, 1));
        EXPECT_EQ("128", CellText(main, 0, 2));
        EXPECT_EQ("Memory:   total: 32768 KB   used : 160 KB   free : 32608 KB", Status(main));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_OFFLINE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_PROGRESS));
        EXPECT_TRUE(IsPushed(main, IDC_MAIN_INTFL));
        EXPECT_FALSE(IsPushed(main, IDC_MAIN_EXTFL));
        // Selecting with the keyboard (or by program) does not enable DELETE; a click does.
        SelectRow(main, 0, true);
        Settle(main);
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_DELETE));
        ClickRow(main, 1, false);
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DELETE); }));
        EXPECT_TRUE(IsEnabled(main, IDC_MAIN_UPLOAD));
        // REFRESH rebuilds the rows without a selection: DELETE and UPLOAD follow.
        Click(main, IDC_MAIN_REFRESH);
        EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(main, IDC_MAIN_UPLOAD); }));
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_DELETE));
        EXPECT_EQ(2, RowCount(main));
        // Enter ends the window like CLOSE, also with the list focused.
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(632, settings.ReadInt("Settings", "Port1", -1));
    EXPECT_EQ(888, settings.ReadInt("Settings", "Port2", -1));
}

TEST_F(MainWindowTest, TheCardAndTheInternalMemoryWithTheirHeldDownLooks)
{
    options.cardCode = 0x64;   // 2 MB
    MakePlayer();
    Preload({"inside.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        EXPECT_EQ(1, RowCount(main));
        Click(main, IDC_MAIN_EXTFL);
        EXPECT_TRUE(WaitUntil([&] { return Status(main).find("total: 2048 KB") != std::string::npos; }))
            << Status(main);
        EXPECT_EQ("Memory:   total: 2048 KB   used : 0 KB   free : 2048 KB", Status(main));
        EXPECT_EQ(0, RowCount(main));
        EXPECT_TRUE(IsPushed(main, IDC_MAIN_EXTFL));
        EXPECT_FALSE(IsPushed(main, IDC_MAIN_INTFL));
        Click(main, IDC_MAIN_INTFL);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 1; }));
        EXPECT_TRUE(IsPushed(main, IDC_MAIN_INTFL));
        EXPECT_FALSE(IsPushed(main, IDC_MAIN_EXTFL));
        EXPECT_EQ(" 1. inside.mp3", CellText(main, 0, 0));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_FALSE(window.IsExternalMemory());
}

TEST_F(MainWindowTest, WithoutACardTheCardLookStaysAndTheInternalMemoryComesBack)
{
    MakePlayer();
    Preload({"inside.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        EXPECT_EQ(1, RowCount(main));
        Click(main, IDC_MAIN_EXTFL);
        // The session reports what it cannot read; the window shows what it returns.
        if (HWND box = WaitForBox(AppCaption().c_str(), 3000)) {
            Press(box, IDOK);
        }
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(main, IDC_MAIN_EXTFL); }));
        EXPECT_FALSE(IsPushed(main, IDC_MAIN_INTFL));
        Settle(main);
        // What the rows show of a missing card is the session's affair.
        EXPECT_TRUE(IsEnabled(main, IDC_MAIN_REFRESH));
        Click(main, IDC_MAIN_INTFL);
        EXPECT_TRUE(WaitUntil([&] { return IsPushed(main, IDC_MAIN_INTFL) && RowCount(main) == 1; }));
        EXPECT_EQ(" 1. inside.mp3", CellText(main, 0, 0));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
}

TEST_F(MainWindowTest, ControlsMatchTheTemplateAndTheButtonsTakeTheirFaces)
{
    MakePlayer();
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        // Template 102: 318 x 172 dialog units; a pop-up without caption or border.
        RECT units{0, 0, 318, 172};
        ::MapDialogRect(main, &units);
        RECT client{};
        ::GetClientRect(main, &client);
        EXPECT_EQ(units.right, client.right);
        EXPECT_EQ(units.bottom, client.bottom);
        const LONG style = ::GetWindowLongA(main, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP);
        EXPECT_FALSE(style & WS_CAPTION);
        EXPECT_TRUE(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        EXPECT_TRUE(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);

        struct SPlace {
            int id;
            int x, y, w, h;
        };
        // Controls that keep their template rectangle.
        const SPlace places[] = {
            {IDC_MAIN_LIST, 92, 15, 219, 107},
            {IDC_MAIN_PROGRESS, 92, 123, 219, 8},
            {IDC_MAIN_STATUS, 89, 135, 222, 8},
        };
        CWindow mainWindow(main);
        for (const SPlace& p : places) {
            RECT want{p.x, p.y, p.x + p.w, p.y + p.h};
            ::MapDialogRect(main, &want);
            const RECT got = mainWindow.ChildRect(::GetDlgItem(main, p.id));
            EXPECT_EQ(want.left, got.left) << p.id;
            EXPECT_EQ(want.top, got.top) << p.id;
            EXPECT_EQ(want.right, got.right) << p.id;
            EXPECT_EQ(want.bottom, got.bottom) << p.id;
        }
        // Bitmap buttons keep their place and take the size of their up face.
        const SPlace buttons[] = {
            {IDC_MAIN_CLOSE, 304, 4, 13, 12},   {IDC_MAIN_HELP, 294, 4, 12, 12},
            {IDC_MAIN_ABOUT, 4, 6, 83, 19},     {IDC_MAIN_KESTRY, 13, 148, 67, 24},
            {IDC_MAIN_INTFL, 13, 73, 53, 61},   {IDC_MAIN_EXTFL, 48, 73, 53, 61},
            {IDC_MAIN_PLAYLST, 13, 121, 106, 20}, {IDC_MAIN_REFRESH, 93, 152, 60, 20},
            {IDC_MAIN_DOWNP, 137, 152, 60, 20}, {IDC_MAIN_DELETE, 181, 152, 60, 20},
            {IDC_MAIN_UPLOAD, 225, 152, 60, 20}, {IDC_MAIN_INIT, 269, 152, 60, 20},
        };
        for (const SPlace& b : buttons) {
            RECT origin{b.x, b.y, b.x, b.y};
            ::MapDialogRect(main, &origin);
            const RECT got = mainWindow.ChildRect(::GetDlgItem(main, b.id));
            EXPECT_EQ(origin.left, got.left) << b.id;
            EXPECT_EQ(origin.top, got.top) << b.id;
            EXPECT_EQ(b.w, got.right - got.left) << b.id;
            EXPECT_EQ(b.h, got.bottom - got.top) << b.id;
            EXPECT_TRUE(::GetWindowLongA(::GetDlgItem(main, b.id), GWL_STYLE) & BS_OWNERDRAW) << b.id;
        }
        // The list: report view, several rows, selection kept without focus, fixed headers.
        const LONG listStyle = ::GetWindowLongA(::GetDlgItem(main, IDC_MAIN_LIST), GWL_STYLE);
        EXPECT_EQ(LVS_REPORT, listStyle & LVS_TYPEMASK);
        EXPECT_FALSE(listStyle & LVS_SINGLESEL);
        EXPECT_TRUE(listStyle & LVS_SHOWSELALWAYS);
        EXPECT_TRUE(listStyle & LVS_NOSORTHEADER);
        // The system menu carries the About entry.
        HMENU menu = ::GetSystemMenu(main, FALSE);
        char text[64] = "";
        ::GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ("&About Quavel...", text);

        // HELP and F1 open the main window's topic.
        Click(main, IDC_MAIN_HELP);
        EXPECT_TRUE(WaitUntil([] { return HelpCount() == 1; }));
        // F1: the key message that the default handling turns into WM_HELP.
        constexpr UINT kKeyF1 = 0x004D;
        ::PostMessageA(main, kKeyF1, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return HelpCount() == 2; }));
        EXPECT_EQ(0x20066u, LastHelpTopic().load());

        // KESTRY and the system menu's entry open the About box, owned by the main window.
        auto waitForAbout = [&] {
            HWND about = nullptr;
            WaitUntil([&] {
                about = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
                return about != nullptr && ::GetDlgItem(about, IDC_ABOUT_MAKER_LINK) != nullptr;
            });
            return about;
        };
        Click(main, IDC_MAIN_KESTRY);
        HWND about = waitForAbout();
        ASSERT_NE(nullptr, about);
        EXPECT_EQ("Quavel Version 1.0", wintest::ControlText(::GetDlgItem(about, IDC_ABOUT_VERSION)));
        EXPECT_EQ(main, ::GetWindow(about, GW_OWNER));
        Press(about, IDOK);
        WaitUntil([&] { return !::IsWindow(about); });
        ::PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x0A, 0);
        about = waitForAbout();
        ASSERT_NE(nullptr, about);
        Press(about, IDC_ABOUT_CLOSE);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));

        // ABOUT opens the speed options.
        Click(main, IDC_MAIN_ABOUT);
        HWND options = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            options = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
            return options != nullptr && ::GetDlgItem(options, IDC_OPTIONS_SETDEF) != nullptr;
        }));
        if (options != nullptr)
            Press(options, IDCANCEL);
        WaitUntil([&] { return options == nullptr || !::IsWindow(options); });

        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);   // Esc
        WaitUntil([&] { return !::IsWindow(main); });
    });
}

TEST_F(MainWindowTest, ColumnWidthsAreStoredAtCloseAndUsedAtTheNextStart)
{
    MakePlayer();
    settings.WriteInt("Positions", "RioDirFirstColumn", 150);
    settings.WriteInt("Positions", "RioDirSecondColumn", 0);
    settings.WriteInt("Positions", "RioDirThirdColumn", -5);
    settings.WriteInt("Positions", "RioDirFourthColumn", 120);
    {
        CMainDlg window(ports);
        Run(window, [&](HWND main) {
            // 0 and negative keep the built-in widths.
            EXPECT_EQ(150, SendList(main, LVM_GETCOLUMNWIDTH, 0, 0));
            EXPECT_EQ(57, SendList(main, LVM_GETCOLUMNWIDTH, 1, 0));
            EXPECT_EQ(31, SendList(main, LVM_GETCOLUMNWIDTH, 2, 0));
            EXPECT_EQ(120, SendList(main, LVM_GETCOLUMNWIDTH, 3, 0));
            // The user shrinks the bitrate column completely.
            SendList(main, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(0, 0));
            ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            WaitUntil([&] { return !::IsWindow(main); });
        });
    }
    EXPECT_EQ(1, HelpQuits().load());   // the window tells the help engine it has gone
    EXPECT_EQ(150, settings.ReadInt("Positions", "RioDirFirstColumn", -1));
    EXPECT_EQ(57, settings.ReadInt("Positions", "RioDirSecondColumn", -1));
    EXPECT_EQ(0, settings.ReadInt("Positions", "RioDirThirdColumn", -1));
    EXPECT_EQ(120, settings.ReadInt("Positions", "RioDirFourthColumn", -1));

    CMainDlg again(ports);
    Run(again, [&](HWND main) {
        EXPECT_EQ(31, SendList(main, LVM_GETCOLUMNWIDTH, 2, 0));   // a stored 0 is not used
        EXPECT_EQ(120, SendList(main, LVM_GETCOLUMNWIDTH, 3, 0));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
}

}  // namespace
