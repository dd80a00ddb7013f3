// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads that convert to MP3 on the way: the system menu's choice, a
// damaged file refused with its name, then a FLAC and an M4A (made from a
// tone by the build) sent through DOWNP and found on the player as MPEG-1
// Layer III at the chosen bitrate, no temporary file left.
#include "tests/mainwindow/MainRig.h"

#include <algorithm>

namespace {

using namespace maintest;

// Every byte of data is a MPEG-1 Layer III frame of this bitrate; the frame count.
int Mp3FramesAt(const std::vector<uint8_t>& data, int kbps)
{
    const int rates[] = {44100, 48000, 32000, 0};
    const int indexOf128 = 9;   // MPEG-1 Layer III: 32, 40, 48, 56, 64, 80, 96, 112, 128
    size_t at = 0;
    int frames = 0;
    while (at + 4 <= data.size() && data[at] == 0xFF && (data[at + 1] & 0xFE) == 0xFA &&
           data[at + 2] >> 4 == (kbps == 128 ? indexOf128 : -1) && rates[(data[at + 2] >> 2) & 3] != 0) {
        at += 144000 * kbps / rates[(data[at + 2] >> 2) & 3] + ((data[at + 2] >> 1) & 1);
        ++frames;
    }
    return at == data.size() ? frames : -1;
}

int TempFilesOfThisProcess()
{
    char folder[MAX_PATH] = "";
    ::GetTempPathA(sizeof folder, folder);
    const std::string pattern = folder + ("quavel-" + std::to_string(::GetCurrentProcessId()) + "-*");
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    int count = 0;
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
        ++count;
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);
    return count;
}

class Conversion : public MainWindowTest {};

TEST_F(Conversion, DroppedAndChosenFilesArriveAsMp3AtTheChosenBitrate)
{
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    const std::string x = pcFiles + "\\x.flac";
    ASSERT_TRUE(::CopyFileA("tone.flac", x.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA("tone.m4a", (pcFiles + "\\y.m4a").c_str(), FALSE));
    // Cut where a FLAC frame starts: the file tells a length that its frames fall short of.
    std::vector<uint8_t> bytes = ReadBytes(x);
    const uint8_t sync[] = {0xFF, 0xF8};
    bytes.erase(std::search(bytes.begin() + bytes.size() / 2, bytes.end(), sync, sync + 2), bytes.end());
    const std::string cut = pcFiles + "\\cut.flac";
    ASSERT_TRUE(WriteBytes(cut, bytes));
    CMainDlg window(ports);
    std::vector<std::string> entries;
    std::string cutBox;
    std::string converting;
    int progress = 0;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; }));
        HMENU menu = ::GetSystemMenu(main, FALSE);
        HMENU convert = ::GetSubMenu(menu, ::GetMenuItemCount(menu) - 1);
        ASSERT_NE(nullptr, convert);
        for (int i = 0; i < ::GetMenuItemCount(convert); ++i) {
            char text[32] = "";
            ::GetMenuStringA(convert, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            entries.push_back(text + std::string(::GetMenuState(convert, i, MF_BYPOSITION) & MF_CHECKED ? "*" : ""));
        }
        DWORD_PTR done = 0;
        ::SendMessageTimeoutA(main, WM_SYSCOMMAND, ::GetMenuItemID(convert, 3), 0, SMTO_NORMAL, 10000, &done);
        EXPECT_TRUE(::GetMenuState(convert, 3, MF_BYPOSITION) & MF_CHECKED);

        DropOn(main, {cut});
        HWND box = WaitForBox(AppCaption().c_str(), 30000);
        ASSERT_NE(nullptr, box);
        cutBox = wintest::MessageBoxText(box);
        Press(box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));

        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("\"x.flac\" \"y.m4a\"");
        EXPECT_TRUE(WaitUntil([&] {
            const std::string status = Status(main);
            if (status.rfind("Converting :  ", 0) == 0 && converting.empty())
                converting = status;
            DWORD_PTR position = 0;
            HWND bar = ::GetDlgItem(main, IDC_MAIN_PROGRESS);
            ::SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &position);
            if (status.rfind("Converting :  ", 0) == 0)
                progress = std::max(progress, static_cast<int>(position));
            return RowCount(main) == 2 && IsEnabled(main, IDC_MAIN_DOWNP);
        }, 120000));
        EXPECT_EQ(" 1. x.mp3", CellText(main, 0, 0));
        EXPECT_EQ("128", CellText(main, 1, 2));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ((std::vector<std::string>{"Off*", "64 kbit/s", "96 kbit/s", "128 kbit/s", "160 kbit/s", "192 kbit/s"}),
              entries);
    EXPECT_EQ(128, settings.ReadInt("Settings", "ConvertBitrate", -1));
    EXPECT_EQ(0u, cutBox.find("Cannot convert '" + cut + "' to MP3 because it is truncated: ")) << cutBox;
    EXPECT_EQ("Converting :  " + x, converting);
    EXPECT_GT(progress, 0);
    EXPECT_EQ(0, TempFilesOfThisProcess());
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ((std::vector<std::string>{"x.mp3", "y.mp3"}), on.Names());
    // 30 s and 2 s of tone at 44.1 kHz: 1152 samples a frame.
    EXPECT_GT(Mp3FramesAt(on.files[0].bytes, 128), 30 * 44100 / 1152);
    EXPECT_GT(Mp3FramesAt(on.files[1].bytes, 128), 2 * 44100 / 1152);
}

}  // namespace
