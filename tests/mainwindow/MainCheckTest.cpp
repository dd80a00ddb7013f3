// SPDX-License-Identifier: GPL-3.0-or-later
// The system menu's "Check memory..." on a damaged player: the box with the
// findings, Yes, the list rebuilt, and the player's images reopened.
#include "tests/mainwindow/MainRig.h"

namespace {

using namespace maintest;

class CheckMemory : public MainWindowTest {};

TEST_F(CheckMemory, YesRepairsADamagedPlayerAndRebuildsTheList)
{
    MakePlayer();
    Preload({"a.mp3", "b.mp3", "c.mp3"}); // two blocks each: 1 2, 3 4, 5 6
    {
        // b's last link is no end: every delete and download would be refused.
        CRioDevice device(*player);
        device.SetPort(options.base);
        ASSERT_TRUE(device.Detect());
        ASSERT_TRUE(device.ReadDirectory());
        device.SetBlockLink(4, kRioNoBlock);
        ASSERT_TRUE(device.WriteDirectory());
    }
    CMainDlg window(ports);
    std::string boxText;
    std::vector<std::string> titles;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; }));
        ::PostMessageA(main, WM_SYSCOMMAND, IDM_CHECKMEMORY, 0);
        HWND box = wintest::WaitForMessageBox(::GetCurrentProcessId(), "Quavel", main, 20000);
        ASSERT_NE(nullptr, box);
        boxText = wintest::MessageBoxText(box);
        Press(box, IDYES);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 2 && IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));
        titles = Titles(main);
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_NE(std::string::npos, boxText.find("entry 2 'b.mp3': the last block 4 links to 0xFFFF, not 0\r\n"))
        << boxText;
    EXPECT_EQ(2u, titles.size());
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ((std::vector<std::string>{"a.mp3", "c.mp3"}), on.Names());
    EXPECT_EQ(ReadBytes(pcFiles + "\\a.mp3"), on.files[0].bytes);
    EXPECT_EQ(ReadBytes(pcFiles + "\\c.mp3"), on.files[1].bytes);
}

} // namespace
