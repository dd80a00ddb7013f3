// SPDX-License-Identifier: GPL-3.0-or-later
// Changing the player's directory from the main window: rows dragged to a new
// place (the order the player holds afterwards), DELETE over the selected rows,
// and INIT with its dialog, with and without the check for bad blocks.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"

namespace {

using namespace maintest;

POINT ListToMain(HWND main, POINT pt)
{
    ::MapWindowPoints(::GetDlgItem(main, IDC_MAIN_LIST), main, &pt, 1);
    return pt;
}

// Drags row `from` with the mouse and releases the button at `drop`, a point
// in the main window's client area.
void DragRow(HWND main, int from, POINT drop)
{
    HWND list = ::GetDlgItem(main, IDC_MAIN_LIST);
    const POINT start = RowPoint(main, from);
    ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    ::PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 2, start.y + 12));
    ::PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 4, start.y + 24));
    ASSERT_TRUE(WaitUntil([&] { return CaptureOf(main) == main; })) << "the drag did not start";
    ::PostMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    ::PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    ASSERT_TRUE(WaitUntil([&] { return CaptureOf(main) == nullptr; }));
    Settle(main);
}

// A drop point over the upper part of a row: the row 10 pixels further down is the same.
POINT OverRow(HWND main, int row)
{
    RECT rc{};
    rc.left = LVIR_BOUNDS;
    SendList(main, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
    return ListToMain(main, POINT{rc.left + 30, rc.top + 1});
}

std::vector<std::string> Names(HWND main)
{
    std::vector<std::string> names;
    for (const std::string& title : Titles(main))
        names.push_back(title.substr(title.find(". ") + 2));
    return names;
}

using Strings = std::vector<std::string>;

class Reorder : public MainWindowTest {};

TEST_F(Reorder, DraggedRowsReachThePlayersDirectoryInTheirNewOrder)
{
    MakePlayer();
    Preload({"A.mp3", "B.mp3", "C.mp3", "D.mp3"});
    std::vector<std::vector<uint8_t>> before;
    for (const char* n : {"A.mp3", "B.mp3", "C.mp3", "D.mp3"})
        before.push_back(ReadBytes(pcFiles + "\\" + n));
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_EQ(4, RowCount(main));
        ClickRow(main, 3, false);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_UPLOAD); }));
        DragRow(main, 3, OverRow(main, 0));   // to the top
        EXPECT_EQ((Strings{"D.mp3", "A.mp3", "B.mp3", "C.mp3"}), Names(main));
        // The rebuilt list has no selection: DELETE and UPLOAD follow it.
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_UPLOAD));
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_DELETE));
        // The list was rebuilt from the player: numbers follow the new order.
        EXPECT_EQ(" 1. D.mp3", CellText(main, 0, 0));
        EXPECT_FALSE(window.IsOrderChanged());

        DragRow(main, 0, OverRow(main, 2));   // into the middle: above the row under it
        EXPECT_EQ((Strings{"A.mp3", "D.mp3", "B.mp3", "C.mp3"}), Names(main));

        RECT listRect{};
        ::GetClientRect(::GetDlgItem(main, IDC_MAIN_LIST), &listRect);
        DragRow(main, 0, ListToMain(main, POINT{40, listRect.bottom - 5}));   // below the last row
        EXPECT_EQ((Strings{"D.mp3", "B.mp3", "C.mp3", "A.mp3"}), Names(main));

        DragRow(main, 1, OverRow(main, 1));   // onto itself
        EXPECT_EQ((Strings{"D.mp3", "B.mp3", "C.mp3", "A.mp3"}), Names(main));

        // Released over the status line: outside any list, nothing changes.
        RECT status{};
        ::GetWindowRect(::GetDlgItem(main, IDC_MAIN_STATUS), &status);
        POINT outside{status.left + 10, status.top + 3};
        ::ScreenToClient(main, &outside);
        DragRow(main, 0, outside);
        EXPECT_EQ((Strings{"D.mp3", "B.mp3", "C.mp3", "A.mp3"}), Names(main));
        EXPECT_FALSE(window.IsOrderChanged());

        // Released over the lowest pixels of the first row: the row 10 pixels
        // further down takes the drop, so the dragged row lands below the first.
        RECT first{};
        first.left = LVIR_BOUNDS;
        SendList(main, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
        DragRow(main, 3, ListToMain(main, POINT{first.left + 30, first.bottom - 3}));
        EXPECT_EQ((Strings{"D.mp3", "A.mp3", "B.mp3", "C.mp3"}), Names(main));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    EXPECT_EQ((Strings{"D.mp3", "A.mp3", "B.mp3", "C.mp3"}), on.Names());
    ASSERT_EQ(4u, on.files.size());
    EXPECT_EQ(before[3], on.files[0].bytes);
    EXPECT_EQ(before[0], on.files[1].bytes);
    EXPECT_EQ(before[1], on.files[2].bytes);
    EXPECT_EQ(before[2], on.files[3].bytes);
}

// A drag whose mouse capture is taken away (a switch to another program) ends
// without moving anything, and the next drag works. A row released over another
// program's list view stays where it is.
TEST_F(Reorder, ALostCaptureOrAForeignListEndsTheDragWithoutAMove)
{
    MakePlayer();
    Preload({"A.mp3", "B.mp3", "C.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_EQ(3, RowCount(main));
        HWND list = ::GetDlgItem(main, IDC_MAIN_LIST);
        const POINT start = RowPoint(main, 2);
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
        ::PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 2, start.y + 12));
        ::PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 4, start.y + 24));
        ASSERT_TRUE(WaitUntil([&] { return CaptureOf(main) == main; })) << "the drag did not start";
        ::PostMessageA(main, WM_CANCELMODE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return CaptureOf(main) == nullptr; }));
        const POINT top = OverRow(main, 0);
        ::PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(top.x, top.y));   // no longer a drop
        Settle(main);
        EXPECT_EQ((Strings{"A.mp3", "B.mp3", "C.mp3"}), Names(main));
        DragRow(main, 2, OverRow(main, 0));
        EXPECT_EQ((Strings{"C.mp3", "A.mp3", "B.mp3"}), Names(main));

        // A list view of another window lies over the lower rows; the drop
        // point is well inside it, away from its first row.
        const POINT drop = OverRow(main, 2);
        POINT screen = drop;
        ::ClientToScreen(main, &screen);
        HWND foreign = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE, WC_LISTVIEWA, "", WS_POPUP | WS_VISIBLE,
                                         screen.x - 30, screen.y - 70, 80, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(foreign, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ::WindowFromPoint(screen) == foreign; }));
        DragRow(main, 0, drop);
        ::DestroyWindow(foreign);
        EXPECT_EQ((Strings{"C.mp3", "A.mp3", "B.mp3"}), Names(main));
        EXPECT_FALSE(window.IsOrderChanged());
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    EXPECT_EQ((Strings{"C.mp3", "A.mp3", "B.mp3"}), on.Names());
}

TEST_F(Reorder, DeleteTakesTheSelectedRowsInListOrder)
{
    MakePlayer();
    Preload({"one.mp3", "two.mp3", "three.mp3", "four.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        SelectRow(main, 1, true);
        ClickRow(main, 3, true);   // Ctrl+click: both selected, DELETE enabled by the click
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DELETE); }));
        Click(main, IDC_MAIN_DELETE);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 2; }));
        Settle(main);
        EXPECT_EQ((Strings{"one.mp3", "three.mp3"}), Names(main));
        EXPECT_EQ(" 2. three.mp3", CellText(main, 1, 0));
        EXPECT_EQ("Memory:   total: 32768 KB   used : 160 KB   free : 32608 KB", Status(main));
        // Nothing is selected after the rebuild.
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_DELETE));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ((Strings{"one.mp3", "three.mp3"}), Contents().Names());
}

TEST_F(Reorder, OfTwoFilesOfOneNameDeleteTakesTheRowChosen)
{
    MakePlayer();
    Preload({"same.mp3"});
    const std::vector<uint8_t> first = ReadBytes(pcFiles + "\\same.mp3");
    Preload({"other.mp3", "same.mp3", "last.mp3"});
    const std::vector<uint8_t> second = ReadBytes(pcFiles + "\\same.mp3");
    ASSERT_NE(first, second);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_EQ((Strings{"same.mp3", "other.mp3", "same.mp3", "last.mp3"}), Names(main));
        // The second row of the name deletes the second file of that name.
        ClickRow(main, 2, false);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DELETE); }));
        Click(main, IDC_MAIN_DELETE);
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }));
        Settle(main);
        EXPECT_EQ((Strings{"same.mp3", "other.mp3", "last.mp3"}), Names(main));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    SPlayerContents on = Contents();
    ASSERT_EQ(3u, on.files.size());
    EXPECT_EQ(first, on.files[0].bytes);

    // Both rows of the name selected: both files go.
    MakePlayer();
    Preload({"same.mp3"});
    CMainDlg again(ports);
    Run(again, [&](HWND main) {
        ASSERT_EQ((Strings{"same.mp3", "other.mp3", "last.mp3", "same.mp3"}), Names(main));
        SelectRow(main, 0, true);
        ClickRow(main, 3, true);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DELETE); }));
        Click(main, IDC_MAIN_DELETE);
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 2; }));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ((Strings{"other.mp3", "last.mp3"}), Contents().Names());
}

// The initialize dialog of this process, or nullptr.
HWND WaitForInitDialog(HWND main)
{
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
        return dialog != nullptr && ::GetDlgItem(dialog, IDC_INIT_CHECK) != nullptr;
    });
    return dialog != nullptr && ::GetDlgItem(dialog, IDC_INIT_CHECK) != nullptr ? dialog : nullptr;
}

TEST_F(Reorder, InitWithAndWithoutTheCheckEmptiesThePlayer)
{
    MakePlayer();
    Preload({"x.mp3", "y.mp3"});
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_EQ(2, RowCount(main));
        // Cancel changes nothing.
        Click(main, IDC_MAIN_INIT);
        HWND dialog = WaitForInitDialog(main);
        ASSERT_NE(nullptr, dialog);
        // Owned by the main window, which cannot start anything meanwhile.
        EXPECT_EQ(main, ::GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(::IsWindowEnabled(main));
        EXPECT_EQ("&Check and mark bad blocks", wintest::ControlText(::GetDlgItem(dialog, IDC_INIT_CHECK)));
        EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(dialog, IDC_INIT_CHECK));
        Click(dialog, IDC_INIT_HELPB);
        EXPECT_TRUE(WaitUntil([] { return HelpCount() == 1; }));
        EXPECT_EQ(0x2008Eu, LastHelpTopic().load());
        Press(dialog, IDCANCEL);
        WaitUntil([&] { return !::IsWindow(dialog); });
        Settle(main);
        EXPECT_EQ(2, RowCount(main));

        // Without the check.
        Click(main, IDC_MAIN_INIT);
        dialog = WaitForInitDialog(main);
        ASSERT_NE(nullptr, dialog);
        Click(dialog, IDC_INIT_OK);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 0 && IsEnabled(main, IDC_MAIN_INIT); }, 20000));
        EXPECT_EQ("Memory:   total: 32768 KB   used : 0 KB   free : 32768 KB", Status(main));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_PROGRESS));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_TRUE(Contents().files.empty());

    // With the check, on a player with one bad block: the test finds and marks it.
    MakePlayer();
    Preload({"z.mp3"});
    player->Faults().AddBadBlock(EMemory::Internal, 100);
    CMainDlg again(ports);
    Run(again, [&](HWND main) {
        ASSERT_EQ(1, RowCount(main));
        Click(main, IDC_MAIN_INIT);
        HWND dialog = WaitForInitDialog(main);
        ASSERT_NE(nullptr, dialog);
        Click(dialog, IDC_INIT_CHECK);
        ASSERT_TRUE(WaitUntil([&] { return ::IsDlgButtonChecked(dialog, IDC_INIT_CHECK) == BST_CHECKED; }));
        Click(dialog, IDC_INIT_OK);
        EXPECT_TRUE(WaitUntil([&] { return Status(main) == "Initializing Rio "; }, 20000));
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 0 && IsEnabled(main, IDC_MAIN_INIT); }, 120000));
        EXPECT_EQ("Memory:   total: 32768 KB   used : 32 KB   free : 32736 KB", Status(main));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    const SPlayerContents on = Contents();
    EXPECT_TRUE(on.files.empty());
    EXPECT_EQ(1, on.header.bad);
}

}  // namespace
