// SPDX-License-Identifier: GPL-3.0-or-later
// "Sync with playlist..." on the real window: an .m3u chosen in the file
// dialog, the plan's question answered Yes, the player's images reopened.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"

namespace {

using namespace maintest;

TEST_F(MainWindowTest, SyncWithPlaylistLeavesThePlayerHoldingItInOrder)
{
    MakePlayer();
    Preload({"old.mp3", "b.mp3"}); // b.mp3 is the playlist's file already
    const std::string a = MakePcFile("a.mp3", 70000, 1);
    const std::string c = MakePcFile("c.mp3", 5000, 3);
    const std::string list = "#EXTM3U\r\n#EXTINF:1,C\r\nc.mp3\r\na.mp3\r\n" + pcFiles + "\\b.mp3\r\n";
    ASSERT_TRUE(WriteBytes(pcFiles + "\\list.m3u", std::vector<uint8_t>(list.begin(), list.end())));
    settings.WriteString("Settings", "LastPLPath", pcFiles.c_str());
    CMainDlg window(ports);
    std::string entry, question;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; }));
        char text[64] = "";
        ::GetMenuStringA(::GetSystemMenu(main, FALSE), IDM_SYNCPLAYLIST, text, sizeof text, MF_BYCOMMAND);
        entry = text;
        ::PostMessageA(main, WM_SYSCOMMAND, IDM_SYNCPLAYLIST, 0);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            return (dialog = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", "Sync with playlist")) !=
                   nullptr;
        }));
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(::GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("list.m3u"),
                              SMTO_NORMAL, 5000, &result);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        HWND box = WaitForBox(AppCaption().c_str(), 20000);
        ASSERT_NE(nullptr, box);
        question = wintest::MessageBoxText(box);
        Press(box, IDYES);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 3 && IsEnabled(main, IDC_MAIN_DOWNP); }, 30000));
        Settle(main);
        EXPECT_EQ((std::vector<std::string>{" 1. c.mp3", " 2. a.mp3", " 3. b.mp3"}), Titles(main));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ("Sync with playlist...", entry);
    EXPECT_EQ("Make the player hold exactly this playlist, in its order?\r\n\r\nkeep 1, delete 1, send 2",
              question.substr(0, question.find(" (")));
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ((std::vector<std::string>{"c.mp3", "a.mp3", "b.mp3"}), on.Names());
    EXPECT_EQ(ReadBytes(c), on.files[0].bytes);
    EXPECT_EQ(ReadBytes(a), on.files[1].bytes);
    EXPECT_EQ(ReadBytes(pcFiles + "\\b.mp3"), on.files[2].bytes);
}

} // namespace
