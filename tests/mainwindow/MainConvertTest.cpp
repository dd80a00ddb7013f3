// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads converting: a cut FLAC refused, a FLAC and an M4A (tones made by the build) sent as MP3.
#include "tests/mainwindow/MainRig.h"

namespace {

using namespace maintest;

// The number of frames when data is nothing but MPEG-1 Layer III frames at 128 kbit/s and 44.1 kHz; else -1.
int FramesAt128(const std::vector<uint8_t>& d)
{
    size_t at = 0;
    int frames = 0;
    for (; at + 4 <= d.size() && d[at] == 0xFF && (d[at + 1] & 0xFE) == 0xFA && (d[at + 2] & 0xFC) == 0x90; ++frames)
        at += 417 + ((d[at + 2] >> 1) & 1);   // 144000 * 128 / 44100 bytes, and the padding byte
    return at == d.size() ? frames : -1;
}

class Conversion : public MainWindowTest {};

TEST_F(Conversion, DroppedAndChosenFilesArriveAsMp3AtTheChosenBitrate)
{
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    const std::string x = pcFiles + "\\x.flac", cut = pcFiles + "\\cut.flac";
    ASSERT_TRUE(::CopyFileA("tone.flac", x.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA("tone.m4a", (pcFiles + "\\y.m4a").c_str(), FALSE));
    std::vector<uint8_t> bytes = ReadBytes(x);
    bytes.resize(bytes.size() / 2);   // half the length its header tells
    ASSERT_TRUE(WriteBytes(cut, bytes));
    CMainDlg window(ports);
    std::string cutBox;
    int progress = 0;   // 1: the status showed x converting; 2: the bar had moved meanwhile
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; }));
        HMENU menu = ::GetSystemMenu(main, FALSE);
        HMENU convert = nullptr;   // the one submenu of the system menu
        for (int at = 0; convert == nullptr && at < ::GetMenuItemCount(menu); ++at)
            convert = ::GetSubMenu(menu, at);
        char text[32] = "";
        ::GetMenuStringA(convert, 3, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ("128 kbit/s", text);
        EXPECT_TRUE(::GetMenuState(convert, 0, MF_BYPOSITION) & MF_CHECKED);   // "Off" as stored
        ::PostMessageA(main, WM_SYSCOMMAND, ::GetMenuItemID(convert, 3), 0);   // handled before the drop below

        DropOn(main, {cut});
        HWND box = WaitForBox(AppCaption().c_str(), 30000);
        cutBox = wintest::MessageBoxText(box);
        Press(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));

        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("\"x.flac\" \"y.m4a\"");
        EXPECT_TRUE(WaitUntil([&] {
            DWORD_PTR position = 0;
            HWND bar = ::GetDlgItem(main, IDC_MAIN_PROGRESS);
            ::SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
            if (Status(main) == "Converting :  " + x)
                progress |= position > 0 ? 3 : 1;
            return RowCount(main) == 2 && IsEnabled(main, IDC_MAIN_DOWNP);
        }, 120000));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(128, settings.ReadInt("Settings", "ConvertBitrate", -1));
    EXPECT_EQ(0u, cutBox.find("Cannot convert '" + cut + "' to MP3 because ")) << cutBox;
    EXPECT_EQ(3, progress);
    char temp[MAX_PATH] = "";
    ::GetTempPathA(sizeof temp, temp);
    const std::string left = temp + ("quavel-" + std::to_string(::GetCurrentProcessId()) + "-*");
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, ::FindFirstFileA(left.c_str(), &found));
    const SPlayerContents on = Contents();
    ASSERT_EQ((std::vector<std::string>{"x.mp3", "y.mp3"}), on.Names());
    EXPECT_GT(FramesAt128(on.files[0].bytes), 30 * 44100 / 1152);   // 30 s and 2 s at 1152 samples a frame
    EXPECT_GT(FramesAt128(on.files[1].bytes), 2 * 44100 / 1152);
}

}  // namespace
