// SPDX-License-Identifier: GPL-3.0-or-later
// Uploads from the main window into a folder of the PC chosen in the real
// folder dialog (on drive letters the test defines in Wine's prefix), with the
// free-space check and names that must not become PC paths; and a playlist
// made in the real playlist window sent to the player.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"

#include <algorithm>
#include "playlist/PlaylistDlg.h"
#include "playlist/UploadChecks.h"
#include "tests/folderdialog/WineDrives.h"
#include "tests/playlist/WindowDriver.h"

namespace {

using namespace maintest;

// A visible dialog of this process, other than the main window, that holds control id.
struct SFindDialog {
    DWORD pid;
    int id;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    auto* find = reinterpret_cast<SFindDialog*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != find->pid || !::IsWindowVisible(hWnd) || wintest::ClassOf(hWnd) != "#32770" ||
        ::GetDlgItem(hWnd, find->id) == nullptr || ::GetDlgItem(hWnd, IDC_MAIN_LIST) != nullptr)
        return TRUE;
    find->found = hWnd;
    return FALSE;
}

HWND WaitForDialogWith(int id)
{
    SFindDialog find{::GetCurrentProcessId(), id, nullptr};
    WaitUntil([&] {
        ::EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&find));
        return find.found != nullptr;
    });
    return find.found;
}

HTREEITEM TreeItem(HWND tree, HTREEITEM parent, const std::string& text)
{
    using playlisttest::Send;
    HTREEITEM c = reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, parent == nullptr ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    for (; c != nullptr; c = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(c)))) {
        char buffer[MAX_PATH] = "";
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = c;
        tv.pszText = buffer;
        tv.cchTextMax = sizeof buffer;
        Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        if (text == buffer)
            return c;
    }
    return nullptr;
}

// In the folder dialog: selects the item at this path of tree texts
// ({"P:\\", "sub"}) and presses OK (or CANCEL when the path is empty).
void ChooseFolder(const std::vector<std::string>& texts)
{
    HWND dialog = WaitForDialogWith(IDC_FOLDER_TREE);
    ASSERT_NE(dialog, nullptr);
    if (texts.empty()) {
        Click(dialog, IDC_FOLDER_CANCEL);
    } else {
        HWND tree = ::GetDlgItem(dialog, IDC_FOLDER_TREE);
        HTREEITEM item = nullptr;
        for (const std::string& text : texts) {
            item = TreeItem(tree, item, text);
            ASSERT_NE(item, nullptr) << text;
        }
        playlisttest::Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        Click(dialog, IDC_FOLDER_OK);
    }
    WaitUntil([&] { return !::IsWindow(dialog); });
}

// Selects rows of the main list and clicks into it (which enables UPLOAD).
void SelectRows(HWND main, const std::vector<int>& rows)
{
    playlisttest::SelectRows(::GetDlgItem(main, IDC_MAIN_LIST), rows);
    playlisttest::NotifyClick(main, IDC_MAIN_LIST);
}

// The end of a transfer: the idle lamp back and the memory line in the status.
bool WaitForIdle(HWND main)
{
    return WaitUntil([&] {
        return IsShown(main, IDC_MAIN_LAMP_IDLE) && !IsShown(main, IDC_MAIN_LAMP_UPLOAD) &&
               !IsShown(main, IDC_MAIN_LAMP_DOWNLOAD) && Status(main).rfind("Memory:", 0) == 0 &&
               IsEnabled(main, IDC_MAIN_REFRESH);
    }, 20000);
}

// The names in a folder, sorted (a name is looked up as listed, never as a device).
std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Uploads : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        destination = dir + "\\dest";
        ::CreateDirectoryA(destination.c_str(), nullptr);
        ::CreateDirectoryA((destination + "\\sub").c_str(), nullptr);
        const std::string host = foldertest::UnixPathOf(destination);
        ASSERT_FALSE(host.empty());
        ASSERT_TRUE(drives.Add('P', host, DRIVE_FIXED));
        ASSERT_TRUE(drives.Add('Q', host + "/no-medium", DRIVE_REMOVABLE));
        settings.WriteString("Settings", "LastDriveUpload", "P:\\");
    }

    // Renames entry slot of the player's directory (a corrupt or hostile directory).
    void RenameOnPlayer(int slot, const char* name)
    {
        CRioDevice device(*player);
        device.SetPort(options.base);
        ASSERT_TRUE(device.Detect());
        ASSERT_TRUE(device.ReadDirectory());
        DirectoryEntry entry = DirectoryEntry::Read(device.EntrySlot(slot));
        entry.SetName(name);
        entry.Write(device.EntrySlot(slot));
        ASSERT_TRUE(device.WriteDirectory());
    }

    std::string destination;
    foldertest::CWineDrives drives;
};

TEST_F(Uploads, SelectedFilesLandByteForByteInTheChosenFolderReplacingOldOnes)
{
    MakePlayer();
    Preload({"a.mp3", "b.mp3", "c.mp3"});
    ASSERT_TRUE(WriteBytes(destination + "\\sub\\b.mp3", {'o', 'l', 'd'}));
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }));
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_UPLOAD));
        // Cancel in the folder dialog changes nothing.
        SelectRows(main, {0, 1});
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_UPLOAD); }));
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({});
        Settle(main);
        EXPECT_FALSE(settings.Has("Settings", "CheckHDSpace"));
        // The preselected drive is open; its folder "sub" is chosen.
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"P:\\", "sub"});
        EXPECT_TRUE(WaitForIdle(main));
        EXPECT_EQ(window.FileCounter().GetValue(), 0);
        EXPECT_FALSE(IsShown(main, IDC_MAIN_PROGRESS));
        Click(main, IDC_MAIN_CLOSE);
    });
    EXPECT_EQ(ReadBytes(destination + "\\sub\\a.mp3"), ReadBytes(pcFiles + "\\a.mp3"));
    EXPECT_EQ(ReadBytes(destination + "\\sub\\b.mp3"), ReadBytes(pcFiles + "\\b.mp3"));
    EXPECT_EQ(ReadBytes(destination + "\\sub\\b.mp3").size(), 40000u);
    EXPECT_EQ(::GetFileAttributesA((destination + "\\sub\\c.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(settings.ReadString("Settings", "LastDriveUpload", ""), "P:\\");
    EXPECT_EQ(settings.ReadInt("Settings", "CheckHDSpace", -1), 1);   // written back as read
}

TEST_F(Uploads, AHostileNameIsRefusedAndTheNextFileStillArrives)
{
    MakePlayer();
    Preload({"a.mp3", "b.mp3", "c.mp3"});
    RenameOnPlayer(0, "..\\evil.mp3");
    RenameOnPlayer(2, "CON.mp3");
    CMainDlg window(ports);
    std::vector<std::string> messages;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }));
        SelectRows(main, {0, 1, 2});
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"P:\\"});   // a drive root: used as it is
        for (int i = 0; i < 2; ++i)
            messages.push_back(playlisttest::AnswerBox(::GetCurrentProcessId(), AppCaption().c_str(), IDOK, main));
        EXPECT_TRUE(WaitForIdle(main));
        EXPECT_EQ(window.FileCounter().GetValue(), 0);
        Click(main, IDC_MAIN_CLOSE);
    });
    EXPECT_EQ(messages, (std::vector<std::string>{UnsafeNameErrorText("..\\evil.mp3"), UnsafeNameErrorText("CON.mp3")}));
    EXPECT_EQ(ReadBytes(destination + "\\b.mp3"), ReadBytes(pcFiles + "\\b.mp3"));
    // Only b.mp3 was written: nothing beside the folder, nothing named like a device.
    EXPECT_EQ(Names(destination), (std::vector<std::string>{"b.mp3", "sub"}));
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"dest", "pc", "player"}));
}

TEST_F(Uploads, ADriveThatCannotTellItsFreeSpaceRefusesTheUploadUnlessTheCheckIsOff)
{
    MakePlayer();
    Preload({"a.mp3", "b.mp3"}, 40000);
    Preload({"c.mp3"}, 25000);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }));
        SelectRows(main, {0, 2});
        // A removable drive without a medium: the free space is 0.
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"Q:\\"});
        HWND box = WaitForBox(AppCaption().c_str());
        ASSERT_NE(box, nullptr);
        player->ResetCounters();
        EXPECT_EQ(wintest::MessageBoxText(box), FreeSpaceMessage(0, 65000));
        EXPECT_EQ(wintest::MessageBoxText(box),
                  "There isn't enough free space on the harddisk to upload all the files.\n\n"
                  "Harddisk:    0 KB free\nFiles:         65 KB needed.");
        Press(box, IDOK);
        Settle(main);
        // Nothing was fetched, and the display was not touched.
        EXPECT_EQ(player->Reads(), 0u);
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_TRUE(IsEnabled(main, IDC_MAIN_UPLOAD));
        EXPECT_EQ(settings.ReadString("Settings", "LastDriveUpload", ""), "Q:\\");

        // With the check off the upload is tried, and the session reports the
        // file that cannot be written.
        settings.WriteInt("Settings", "CheckHDSpace", 0);
        SelectRows(main, {1});
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"Q:\\"});
        const std::string text = playlisttest::AnswerBox(::GetCurrentProcessId(), AppCaption().c_str(), IDOK, main);
        EXPECT_EQ(text.rfind("Upload file failed!\r\n\r\n", 0), 0u) << text;
        EXPECT_NE(text.find("Q:\\b.mp3"), std::string::npos) << text;
        EXPECT_TRUE(WaitForIdle(main));
        Click(main, IDC_MAIN_CLOSE);
    });
    EXPECT_EQ(settings.ReadInt("Settings", "CheckHDSpace", -1), 0);
}

// The list stays usable while files move: a click that changes the selection
// in the middle of an upload changes neither what is fetched nor what is
// overwritten on the PC.
TEST_F(Uploads, TheRowsChosenAtTheStartAreTheRowsFetched)
{
    MakePlayer();
    Preload({"big.mp3"}, 24 * 32768);
    Preload({"b.mp3", "c.mp3"});
    ASSERT_TRUE(WriteBytes(destination + "\\sub\\b.mp3", {'k', 'e', 'e', 'p'}));
    player->SetRealTime(true);
    CMainDlg window(ports);
    bool sawRunning = false;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }));
        SelectRows(main, {0, 2});
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_UPLOAD); }));
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"P:\\", "sub"});
        sawRunning = WaitUntil([&] { return Status(main) == "Uploading :  big.mp3"; }, 20000);
        SelectRows(main, {1});
        EXPECT_TRUE(WaitForIdle(main));
        EXPECT_EQ(window.FileCounter().GetValue(), 0);
        Click(main, IDC_MAIN_CLOSE);
    });
    player->SetRealTime(false);
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(ReadBytes(destination + "\\sub\\big.mp3").size(), 24u * 32768u);
    EXPECT_EQ(ReadBytes(destination + "\\sub\\c.mp3"), ReadBytes(pcFiles + "\\c.mp3"));
    EXPECT_EQ(ReadBytes(destination + "\\sub\\b.mp3"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

// Two entries of one name (allowed on the player): the second row fetches the second file.
TEST_F(Uploads, OfTwoFilesOfOneNameTheRowChosenIsFetched)
{
    MakePlayer();
    Preload({"same.mp3"}, 40000);
    Preload({"same.mp3"}, 30000);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        SelectRows(main, {1});
        Click(main, IDC_MAIN_UPLOAD);
        ChooseFolder({"P:\\"});
        EXPECT_TRUE(WaitForIdle(main));
        Click(main, IDC_MAIN_CLOSE);
    });
    EXPECT_EQ(ReadBytes(pcFiles + "\\same.mp3"), ReadBytes(destination + "\\same.mp3"));
}

class PlaylistSending : public MainWindowTest {};

TEST_F(PlaylistSending, EveryRowWithAFileArrivesInOrderAndTheFirstFailureEndsTheSending)
{
    MakePlayer();
    const std::string one = MakePcFile("one.mp3", 40000, 1);
    const std::string two = MakePcFile("two.mp3", 70000, 2);
    const std::string three = MakePcFile("three.mp3", 30000, 3);
    const std::string four = MakePcFile("four.mp3", 30000, 4);
    const std::string gone = MakePcFile("gone.mp3", 30000, 5);
    const std::string five = MakePcFile("five.mp3", 30000, 6);
    const DWORD pid = ::GetCurrentProcessId();
    CMainDlg window(ports);
    std::string failure;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return IsShown(main, IDC_MAIN_LAMP_IDLE); }));
        // A row whose file is missing (size 0) is skipped.
        Click(main, IDC_MAIN_PLAYLST);
        HWND playlist = WaitForDialogWith(IDC_PLAYLIST_LIST);
        ASSERT_NE(playlist, nullptr);
        // The main window owns the playlist window and is disabled behind it.
        EXPECT_EQ(main, ::GetWindow(playlist, GW_OWNER));
        EXPECT_FALSE(::IsWindowEnabled(main));
        // Its file dialogs belong to the main window; the playlist window is
        // disabled while one is open, and both stay as they were after it.
        Click(playlist, IDC_PLAYLIST_ADD);
        HWND add = wintest::WaitForMessageBox(pid, "Add file to playlist");
        ASSERT_NE(add, nullptr);
        EXPECT_EQ(main, ::GetWindow(add, GW_OWNER));
        EXPECT_FALSE(::IsWindowEnabled(playlist));
        EXPECT_FALSE(::IsWindowEnabled(main));
        ASSERT_TRUE(playlisttest::AnswerFileDialog(pid, "Add file to playlist", nullptr));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(playlist) != FALSE; }));
        EXPECT_FALSE(::IsWindowEnabled(main));
        playlisttest::DropFiles(playlist, {one, pcFiles + "\\missing.mp3", two, three});
        ASSERT_TRUE(WaitUntil([&] { return playlisttest::Titles(::GetDlgItem(playlist, IDC_PLAYLIST_LIST)).size() == 4; }));
        Click(playlist, IDC_PLAYLIST_DOWN);
        EXPECT_EQ(playlisttest::AnswerBox(pid, CPlaylistDlg::kQuestionCaption, IDNO), "Save changed playlist?");
        EXPECT_EQ(playlisttest::AnswerBox(pid, AppCaption().c_str(), IDOK, main),
                  "1 file of the playlist was not sent: it is missing or empty.");
        EXPECT_TRUE(WaitForIdle(main));
        EXPECT_EQ(RowCount(main), 3);
        EXPECT_EQ(window.FileCounter().GetValue(), 0);

        // A file removed after its row was made fails: the rows after it are not sent.
        Click(main, IDC_MAIN_PLAYLST);
        playlist = WaitForDialogWith(IDC_PLAYLIST_LIST);
        ASSERT_NE(playlist, nullptr);
        playlisttest::DropFiles(playlist, {four, gone, five});
        ASSERT_TRUE(WaitUntil([&] { return playlisttest::Titles(::GetDlgItem(playlist, IDC_PLAYLIST_LIST)).size() == 3; }));
        ::DeleteFileA(gone.c_str());
        Click(playlist, IDC_PLAYLIST_DOWN);
        playlisttest::AnswerBox(pid, CPlaylistDlg::kQuestionCaption, IDNO);
        failure = playlisttest::AnswerBox(pid, AppCaption().c_str(), IDOK, main);
        EXPECT_TRUE(WaitForIdle(main));
        EXPECT_EQ(RowCount(main), 4);
        EXPECT_EQ(window.FileCounter().GetValue(), 0);

        // Cancel in the playlist window sends nothing.
        Click(main, IDC_MAIN_PLAYLST);
        playlist = WaitForDialogWith(IDC_PLAYLIST_LIST);
        ASSERT_NE(playlist, nullptr);
        playlisttest::DropFiles(playlist, {five});
        ASSERT_TRUE(WaitUntil([&] { return playlisttest::Titles(::GetDlgItem(playlist, IDC_PLAYLIST_LIST)).size() == 1; }));
        Click(playlist, IDC_PLAYLIST_CLOSE);
        playlisttest::AnswerBox(pid, CPlaylistDlg::kQuestionCaption, IDNO);
        WaitUntil([&] { return !::IsWindow(playlist); });
        Settle(main);
        EXPECT_EQ(RowCount(main), 4);
        Click(main, IDC_MAIN_CLOSE);
    });
    EXPECT_EQ(failure.rfind("Download file failed!\r\n\r\n", 0), 0u) << failure;
    const SPlayerContents contents = Contents();
    ASSERT_TRUE(contents.read);
    EXPECT_EQ(contents.Names(), (std::vector<std::string>{"one.mp3", "two.mp3", "three.mp3", "four.mp3"}));
    const std::vector<std::string> sources{one, two, three, four};
    for (size_t i = 0; i < contents.files.size() && i < sources.size(); ++i)
        EXPECT_EQ(contents.files[i].bytes, ReadBytes(sources[i])) << contents.files[i].name;
}

}  // namespace
