// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist window on screen, driven from a second thread: the enabling of
// its buttons through a session of commands, rows from drops and from the real
// file dialog, removing and moving rows, saving and opening with the bytes on
// disk, the save questions answered both ways, a save that cannot be done, and
// the memory estimate's figures and colours on the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Help.h"
#include "app/Settings.h"
#include "playlist/PlaylistDlg.h"
#include "playlist/PlaylistFile.h"
#include "res/resource.h"
#include "skin/SkinColours.h"
#include "tests/lists/DialogDriver.h"
#include "tests/lists/HelpRecorder.h"
#include "tests/playlist/TempFolder.h"
#include "tests/playlist/WindowDriver.h"
#include "win/CurrentDirectory.h"

namespace {

using liststest::Click;
using liststest::IsEnabled;
using playlisttest::AnswerBox;
using playlisttest::AnswerFileDialog;
using playlisttest::Titles;
using wintest::ControlText;
using wintest::WaitUntil;

using helptest::g_helpCount;
using helptest::g_helpTopic;
using helptest::RecordHelp;

const char* const kQuestion = CPlaylistDlg::kQuestionCaption;

class PlaylistWindow : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        SetAppSettings(&settings);
        oldHelp = SetHelpEngine(RecordHelp);
        pid = ::GetCurrentProcessId();
    }
    void TearDown() override
    {
        SetHelpEngine(oldHelp);
        SetAppSettings(nullptr);
    }

    static HWND List(HWND w) { return ::GetDlgItem(w, IDC_PLAYLIST_LIST); }
    static std::string Text(HWND w, int id) { return ControlText(::GetDlgItem(w, id)); }

    // The buttons enabled, as a set of ids, compared with the table's.
    static std::vector<int> Enabled(HWND w)
    {
        std::vector<int> ids;
        for (int id : {IDC_PLAYLIST_DOWN, IDC_PLAYLIST_NEW, IDC_PLAYLIST_OPEN, IDC_PLAYLIST_SAVE,
                       IDC_PLAYLIST_SAVEAS, IDC_PLAYLIST_ADD, IDC_PLAYLIST_REMOVE, IDC_PLAYLIST_MOVUP,
                       IDC_PLAYLIST_MOVDOWN, IDC_PLAYLIST_HELP, IDC_PLAYLIST_CLOSE})
            if (IsEnabled(w, id))
                ids.push_back(id);
        return ids;
    }

    // Waits until the window shows this many rows.
    static bool WaitRows(HWND w, int n)
    {
        return WaitUntil([&] { return static_cast<int>(Titles(List(w)).size()) == n; });
    }

    CMemorySettings settings;
    HelpEngine oldHelp = nullptr;
    DWORD pid = 0;
    playlisttest::CTempFolder folder;
};

const std::vector<int> kAlways = {IDC_PLAYLIST_NEW, IDC_PLAYLIST_OPEN, IDC_PLAYLIST_HELP, IDC_PLAYLIST_CLOSE};

std::vector<int> AlwaysAnd(std::vector<int> more)
{
    std::vector<int> ids;
    for (int id : {IDC_PLAYLIST_DOWN, IDC_PLAYLIST_NEW, IDC_PLAYLIST_OPEN, IDC_PLAYLIST_SAVE, IDC_PLAYLIST_SAVEAS,
                   IDC_PLAYLIST_ADD, IDC_PLAYLIST_REMOVE, IDC_PLAYLIST_MOVUP, IDC_PLAYLIST_MOVDOWN,
                   IDC_PLAYLIST_HELP, IDC_PLAYLIST_CLOSE}) {
        bool on = false;
        for (int a : kAlways)
            on = on || a == id;
        for (int m : more)
            on = on || m == id;
        if (on)
            ids.push_back(id);
    }
    return ids;
}

TEST_F(PlaylistWindow, ButtonsEstimateAndColoursThroughASession)
{
    const std::string big = folder.Write("big.mp3", std::string(1500000, 'a'));
    const std::string bigger = folder.Write("bigger.mp3", std::string(2000000, 'b'));
    CPlaylistDlg dlg(3200, true);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        // Inactive at first: only NEW, OPEN, HELP and CLOSE.
        EXPECT_EQ(Enabled(w), kAlways);
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "3200 KB");
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE_LABEL), "Free Memory");
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), "  ");
        // A click in the empty list makes the window active.
        playlisttest::NotifyClick(w, IDC_PLAYLIST_LIST);
        EXPECT_EQ(Enabled(w), AlwaysAnd({IDC_PLAYLIST_ADD, IDC_PLAYLIST_SAVEAS}));

        playlisttest::DropFiles(w, {big, bigger});
        ASSERT_TRUE(WaitRows(w, 2));
        EXPECT_EQ(Titles(List(w)), (std::vector<std::string>{" 1. " + big, " 2. " + bigger}));
        EXPECT_EQ(playlisttest::CellText(List(w), 1, 1), "2000000");
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), " *");
        EXPECT_EQ(Enabled(w), AlwaysAnd({IDC_PLAYLIST_ADD, IDC_PLAYLIST_SAVEAS, IDC_PLAYLIST_SAVE, IDC_PLAYLIST_DOWN}));
        // 3200 - (3,500,000 / 1000) = -300, shown in red, label included.
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "-300 KB");
        for (int id : {IDC_PLAYLIST_FREE, IDC_PLAYLIST_FREE_LABEL}) {
            EXPECT_TRUE(WaitUntil([&] {
                return playlisttest::CountScreenColour(::GetDlgItem(w, id), kBodyTextRed).matching > 5;
            })) << id;
            EXPECT_EQ(playlisttest::CountScreenColour(::GetDlgItem(w, id), kBodyTextGreen).matching, 0) << id;
        }
        const std::string shots = playlisttest::ShotFolder();
        if (!shots.empty())
            wintest::SaveWindowShot(w, shots + "\\playlist-window.bmp");

        // First row selected: no MOVUP; last row selected: no MOVDOWN.
        playlisttest::SelectRows(List(w), {0});
        playlisttest::NotifyClick(w, IDC_PLAYLIST_LIST);
        EXPECT_EQ(Enabled(w), AlwaysAnd({IDC_PLAYLIST_ADD, IDC_PLAYLIST_SAVEAS, IDC_PLAYLIST_SAVE, IDC_PLAYLIST_DOWN,
                                         IDC_PLAYLIST_REMOVE, IDC_PLAYLIST_MOVDOWN}));
        playlisttest::SelectRows(List(w), {1});
        playlisttest::NotifyClick(w, IDC_PLAYLIST_LIST);
        EXPECT_EQ(Enabled(w), AlwaysAnd({IDC_PLAYLIST_ADD, IDC_PLAYLIST_SAVEAS, IDC_PLAYLIST_SAVE, IDC_PLAYLIST_DOWN,
                                         IDC_PLAYLIST_REMOVE, IDC_PLAYLIST_MOVUP}));
        // Removing the big file brings the estimate back to green.
        Click(w, IDC_PLAYLIST_REMOVE);
        ASSERT_TRUE(WaitRows(w, 1));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "1700 KB");
        EXPECT_TRUE(WaitUntil([&] {
            return playlisttest::CountScreenColour(::GetDlgItem(w, IDC_PLAYLIST_FREE), kBodyTextGreen).matching > 5;
        }));
        EXPECT_EQ(playlisttest::CountScreenColour(::GetDlgItem(w, IDC_PLAYLIST_FREE), kBodyTextRed).matching, 0);

        // CLOSE on a changed list asks; No closes without saving.
        Click(w, IDC_PLAYLIST_CLOSE);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDNO), "Hey user, should I save the changed playlist?");
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDCANCEL);
    // The rows stay with the window object for the caller.
    std::string line;
    EXPECT_TRUE(dlg.GetPlaylistLine(0, line));
    EXPECT_EQ(line, big);
    EXPECT_FALSE(dlg.GetPlaylistLine(1, line));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"big.mp3", "bigger.mp3"}));
}

TEST_F(PlaylistWindow, UnknownMemoryShowsAQuestionMarkInGreenAndTheSumDoesNotOverflow)
{
    CPlaylistDlg unknown(3200, false);
    const INT_PTR closed = liststest::RunDriven(unknown, [&](HWND w) {
        playlisttest::DropFiles(w, {folder.Write("a.mp3", std::string(5000, 'a'))});
        ASSERT_TRUE(WaitRows(w, 1));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "?");
        EXPECT_TRUE(WaitUntil([&] {
            return playlisttest::CountScreenColour(::GetDlgItem(w, IDC_PLAYLIST_FREE), kBodyTextGreen).matching > 3;
        }));
        EXPECT_EQ(playlisttest::CountScreenColour(::GetDlgItem(w, IDC_PLAYLIST_FREE), kBodyTextRed).matching, 0);
        // HELP and F1 open the playlist topic.
        Click(w, IDC_PLAYLIST_HELP);
        EXPECT_TRUE(WaitUntil([] { return g_helpCount >= 1; }));
        ::PostMessageA(w, 0x004D /* the F1 key message */, 0, 0);
        EXPECT_TRUE(WaitUntil([] { return g_helpCount >= 2; }));
        EXPECT_EQ(g_helpTopic, 0x20086u);
        // The window has the shape of region 236.
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        RECT box{};
        EXPECT_TRUE(WaitUntil([&] { return ::GetWindowRgn(w, rgn) == COMPLEXREGION; }));
        ::GetRgnBox(rgn, &box);
        ::DeleteObject(rgn);
        EXPECT_EQ(box.right, 406);
        EXPECT_EQ(box.bottom, 247);
        // CLOSE, Yes: a playlist without a file runs SAVEAS; cancelled, the
        // window still closes with Cancel.
        Click(w, IDC_PLAYLIST_CLOSE);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDYES), "Hey user, should I save the changed playlist?");
        EXPECT_TRUE(AnswerFileDialog(pid, "Save playlist", nullptr));
    });
    EXPECT_EQ(closed, IDCANCEL);
    EXPECT_TRUE(unknown.IsChanged());

    // Three files of 2,000,000,000 bytes: 6,000,000 thousand bytes, beyond a
    // 32-bit byte count. The rows get their sizes from the files, so sparse
    // files of that size stand in.
    std::vector<std::string> huge;
    for (const char* name : {"h1.mp3", "h2.mp3", "h3.mp3"}) {
        const std::string path = folder.Path(name);
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 2000000000;
        ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
        ::CloseHandle(file);
        huge.push_back(path);
    }
    CPlaylistDlg known(32000, true);
    liststest::RunDriven(known, [&](HWND w) {
        playlisttest::DropFiles(w, huge);
        ASSERT_TRUE(WaitRows(w, 3));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "-5968000 KB");
        EXPECT_TRUE(WaitUntil([&] {
            return playlisttest::CountScreenColour(::GetDlgItem(w, IDC_PLAYLIST_FREE), kBodyTextRed).matching > 5;
        }));
        Click(w, IDC_PLAYLIST_CLOSE);
        AnswerBox(pid, kQuestion, IDNO);
    });
    EXPECT_EQ(known.GetPlaylistSum(), 6000000);
    EXPECT_EQ(known.GetEstimate(), -5968000);
}

TEST_F(PlaylistWindow, RemoveAndMoveRows)
{
    std::vector<std::string> files;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3", "f.mp3", "g.mp3"})
        files.push_back(folder.Write(name, "x"));
    auto titles = [&](const std::vector<int>& which) {
        std::vector<std::string> out;
        for (size_t i = 0; i < which.size(); ++i)
            out.push_back((i < 9 ? " " : "") + std::to_string(i + 1) + ". " + files[static_cast<size_t>(which[i])]);
        return out;
    };
    CPlaylistDlg dlg(1000, true);
    liststest::RunDriven(dlg, [&](HWND w) {
        playlisttest::DropFiles(w, {files[0], files[1], files[2], files[3], files[4]});
        ASSERT_TRUE(WaitRows(w, 5));
        // The second and fourth of five rows go; the rest keep their order, renumbered.
        playlisttest::SelectRows(List(w), {1, 3});
        Click(w, IDC_PLAYLIST_REMOVE);
        ASSERT_TRUE(WaitRows(w, 3));
        EXPECT_EQ(Titles(List(w)), titles({0, 2, 4}));

        playlisttest::DropFiles(w, {files[5], files[6]});
        ASSERT_TRUE(WaitRows(w, 5));
        // MOVUP with the third and fifth rows selected moves only the third.
        playlisttest::SelectRows(List(w), {2, 4});
        Click(w, IDC_PLAYLIST_MOVUP);
        EXPECT_TRUE(WaitUntil([&] { return Titles(List(w)) == titles({0, 4, 2, 5, 6}); }));
        EXPECT_EQ(playlisttest::SelectedRows(List(w)), std::vector<int>{1});
        // Again: the moved row reaches the top, and MOVUP is then disabled.
        Click(w, IDC_PLAYLIST_MOVUP);
        EXPECT_TRUE(WaitUntil([&] { return Titles(List(w)) == titles({4, 0, 2, 5, 6}); }));
        EXPECT_EQ(playlisttest::SelectedRows(List(w)), std::vector<int>{0});
        EXPECT_FALSE(IsEnabled(w, IDC_PLAYLIST_MOVUP));
        // MOVDOWN takes the first selected row that is not the last one.
        playlisttest::SelectRows(List(w), {3});
        Click(w, IDC_PLAYLIST_MOVDOWN);
        EXPECT_TRUE(WaitUntil([&] { return Titles(List(w)) == titles({4, 0, 2, 6, 5}); }));
        EXPECT_EQ(playlisttest::SelectedRows(List(w)), std::vector<int>{4});
        EXPECT_FALSE(IsEnabled(w, IDC_PLAYLIST_MOVDOWN));
        EXPECT_TRUE(IsEnabled(w, IDC_PLAYLIST_MOVUP));
        // NEW on a changed list asks first; No drops it.
        Click(w, IDC_PLAYLIST_NEW);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDNO), "Save changed playlist?");
        ASSERT_TRUE(WaitRows(w, 0));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), "  ");
        EXPECT_EQ(Text(w, IDC_PLAYLIST_FREE), "1000 KB");
        // CLOSE on an unchanged list closes at once.
        Click(w, IDC_PLAYLIST_CLOSE);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(w); }));
    });
    EXPECT_EQ(dlg.GetEntryCount(), 0);
}

TEST_F(PlaylistWindow, SaveSaveAsOpenAndAddThroughTheFileDialogs)
{
    const std::string a = folder.Write("a.mp3", "aaaa");
    const std::string b = folder.Write("b b.mp3", "bb");
    const std::string missing = folder.Path("gone.mp3");
    folder.Write("c.mp3", "c");
    folder.Write("d.mp3", "dd");
    const std::string list = folder.Path("list.pst");
    settings.WriteString("Settings", "LastPLPath", folder.Root().c_str());
    settings.WriteString("Settings", "LastFilePath", folder.Root().c_str());
    const std::string cwd = CCurrentDirectoryKeeper::Get();

    CPlaylistDlg dlg(1000, false);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        playlisttest::DropFiles(w, {a, missing, b});
        ASSERT_TRUE(WaitRows(w, 3));
        EXPECT_EQ(playlisttest::CellText(List(w), 1, 1), "0");
        // SAVE without a path runs SAVEAS; the missing file is left out.
        Click(w, IDC_PLAYLIST_SAVE);
        ASSERT_TRUE(AnswerFileDialog(pid, "Save playlist", "list.pst"));
        EXPECT_TRUE(WaitUntil([&] { return Text(w, IDC_PLAYLIST_TITLE) == list + "  "; }));
        EXPECT_FALSE(IsEnabled(w, IDC_PLAYLIST_SAVE));
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(list, bytes));
        EXPECT_EQ(bytes, "[Playlist]\r\n" + a + "\r\n" + b + "\r\n");
        EXPECT_EQ(settings.ReadString("Settings", "LastPLPath", ""), folder.Root() + "\\");

        // NEW, then OPEN the saved file: two rows, unchanged.
        Click(w, IDC_PLAYLIST_NEW);
        ASSERT_TRUE(WaitRows(w, 0));
        Click(w, IDC_PLAYLIST_OPEN);
        ASSERT_TRUE(AnswerFileDialog(pid, "Open playlist", "list.pst"));
        ASSERT_TRUE(WaitRows(w, 2));
        EXPECT_EQ(Titles(List(w)), (std::vector<std::string>{" 1. " + a, " 2. " + b}));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), list + "  ");

        // ADD two files in one choice of the real dialog.
        Click(w, IDC_PLAYLIST_ADD);
        ASSERT_TRUE(AnswerFileDialog(pid, "Add file to playlist", "\"c.mp3\" \"d.mp3\""));
        ASSERT_TRUE(WaitRows(w, 4));
        EXPECT_EQ(playlisttest::CellText(List(w), 3, 0), " 4. " + folder.Path("d.mp3"));
        EXPECT_EQ(playlisttest::CellText(List(w), 3, 1), "2");
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), list + " *");
        EXPECT_EQ(settings.ReadString("Settings", "LastFilePath", ""), folder.Root());

        // OPEN on a changed list: Yes saves first; a cancelled dialog then
        // leaves an empty, untitled list.
        Click(w, IDC_PLAYLIST_OPEN);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDYES), "Save changed playlist?");
        ASSERT_TRUE(AnswerFileDialog(pid, "Open playlist", nullptr));
        ASSERT_TRUE(WaitRows(w, 0));
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), "  ");
        ASSERT_TRUE(ReadFileBytes(list, bytes));
        EXPECT_EQ(bytes, FormatPlaylist({a, b, folder.Path("c.mp3"), folder.Path("d.mp3")}));

        // OPEN of a file that cannot be read: the message, an empty list titled with the path.
        Click(w, IDC_PLAYLIST_OPEN);
        ASSERT_TRUE(AnswerFileDialog(pid, "Open playlist", "none.pst"));
        EXPECT_EQ(AnswerBox(pid, ApplicationName().c_str(), IDOK, w),
                  "unable to open '" + folder.Path("none.pst") + "' for read\n");
        EXPECT_TRUE(WaitUntil([&] { return Text(w, IDC_PLAYLIST_TITLE) == folder.Path("none.pst") + "  "; }));

        // DOWN on a changed list asks; No still closes with OK, unsaved.
        playlisttest::DropFiles(w, {a});
        ASSERT_TRUE(WaitRows(w, 1));
        Click(w, IDC_PLAYLIST_DOWN);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDNO), "Save changed playlist?");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(CCurrentDirectoryKeeper::Get(), cwd);   // restored after every dialog
    std::string line;
    ASSERT_TRUE(dlg.GetPlaylistLine(0, line));
    EXPECT_EQ(line, a);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.mp3", "b b.mp3", "c.mp3", "d.mp3", "list.pst"}));
}

TEST_F(PlaylistWindow, AFailedSaveKeepsTheOldFileAndTheChangedMark)
{
    const std::string a = folder.Write("a.mp3", "aaaa");
    const std::string old = "[Playlist]\r\n" + a + "\r\n";
    const std::string list = folder.Write("list.pst", old);
    settings.WriteString("Settings", "LastPLPath", folder.Root().c_str());

    CPlaylistDlg dlg(1000, true);
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        Click(w, IDC_PLAYLIST_OPEN);
        ASSERT_TRUE(AnswerFileDialog(pid, "Open playlist", "list.pst"));
        ASSERT_TRUE(WaitRows(w, 1));
        playlisttest::DropFiles(w, {a});
        ASSERT_TRUE(WaitRows(w, 2));
        // Another program holds the playlist open without sharing it.
        HANDLE lock = ::CreateFileA(list.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        Click(w, IDC_PLAYLIST_SAVE);
        EXPECT_EQ(AnswerBox(pid, ApplicationName().c_str(), IDOK, w), "unable to open '" + list + "' for write\n");
        // A read-only file is refused the same way.
        ::CloseHandle(lock);
        ASSERT_TRUE(::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_READONLY));
        Click(w, IDC_PLAYLIST_SAVE);
        EXPECT_EQ(AnswerBox(pid, ApplicationName().c_str(), IDOK, w), "unable to open '" + list + "' for write\n");
        ::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(Text(w, IDC_PLAYLIST_TITLE), list + " *");
        EXPECT_TRUE(IsEnabled(w, IDC_PLAYLIST_SAVE));
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(list, bytes));
        EXPECT_EQ(bytes, old);
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.mp3", "list.pst"}));
        // Once the file can be written: DOWN asks, Yes saves, and the window closes with OK.
        Click(w, IDC_PLAYLIST_DOWN);
        EXPECT_EQ(AnswerBox(pid, kQuestion, IDYES), "Save changed playlist?");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(dlg.IsChanged());
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(list, bytes));
    EXPECT_EQ(bytes, FormatPlaylist({a, a}));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.mp3", "list.pst"}));
}

}  // namespace
