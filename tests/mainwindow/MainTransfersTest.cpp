// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads from the main window: files chosen in the real file dialog (one,
// several, a choice longer than 260 characters, a player that is full), files
// dropped from the shell (a folder among them, a path longer than 259
// characters), what the window refuses while a slow download runs, and a
// batch stopped by Esc, CLOSE or the task bar's Close.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"

#include <iterator>

namespace {

using namespace maintest;

constexpr const char* kDialogTitle = "Select files for download to Rio";
constexpr int kFileNameBox = 0x47C;

}  // namespace

void maintest::ChooseInFileDialog(const std::string& typed)
{
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (dialog = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", kDialogTitle)) != nullptr;
    }));
    HWND name = ::GetDlgItem(dialog, kFileNameBox);
    ASSERT_NE(nullptr, name);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()), SMTO_NORMAL, 5000, &result);
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

namespace {

class Downloads : public MainWindowTest {};

TEST_F(Downloads, ThreeFilesChosenInTheDialogReachThePlayerByteForByte)
{
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    const std::string a = MakePcFile("alpha.mp3", 70000, 1);
    const std::string b = MakePcFile("beta.mp3", 33000, 2, 160);
    const std::string c = MakePcFile("gamma.mp3", 5000, 3, 96);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("\"alpha.mp3\" \"beta.mp3\" \"gamma.mp3\"");
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 3; }, 20000));
        Settle(main);
        EXPECT_EQ(" 1. alpha.mp3", CellText(main, 0, 0));
        EXPECT_EQ(" 2. beta.mp3", CellText(main, 1, 0));
        EXPECT_EQ(" 3. gamma.mp3", CellText(main, 2, 0));
        EXPECT_EQ("160", CellText(main, 1, 2));
        EXPECT_EQ("96 ", CellText(main, 2, 2));   // "%-3d", not stripped
        // 3 + 2 + 1 blocks of 32 KB, and the directory's own block.
        EXPECT_EQ("Memory:   total: 32768 KB   used : 224 KB   free : 32544 KB", Status(main));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_DOWNLOAD));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_PROGRESS));
        EXPECT_TRUE(IsEnabled(main, IDC_MAIN_DOWNP));
        EXPECT_EQ(0, window.FileCounter().GetValue());
        EXPECT_EQ(RGB(0, 255, 64), window.FileCounter().OnColour());

        // One file: the folder is kept with its trailing backslash.
        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("gamma.mp3");
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 4; }, 20000));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(pcFiles + "\\", settings.ReadString("Settings", "LastDLPath", "?"));
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ(4u, on.files.size());
    EXPECT_EQ(ReadBytes(a), on.files[0].bytes);
    EXPECT_EQ(ReadBytes(b), on.files[1].bytes);
    EXPECT_EQ(ReadBytes(c), on.files[2].bytes);
    EXPECT_EQ("gamma.mp3", on.files[3].name);
}

TEST_F(Downloads, SeveralFilesKeepTheFolderWithoutBackslashAndALongChoiceIsNotLost)
{
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    std::string typed;
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) {
        char name[80];
        std::snprintf(name, sizeof name, "a rather long name for demonstration file %02d.mp3", i);
        names.push_back(name);
        MakePcFile(name, 1000 + static_cast<size_t>(i), static_cast<uint32_t>(i));
        typed += std::string(typed.empty() ? "" : " ") + "\"" + name + "\"";
    }
    ASSERT_GT(pcFiles.size() + typed.size(), 260u);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog(typed);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 10; }, 30000)) << RowCount(main);
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(pcFiles, settings.ReadString("Settings", "LastDLPath", "?"));
    const SPlayerContents on = Contents();
    ASSERT_EQ(10u, on.files.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], on.files[i].name);
        EXPECT_EQ(ReadBytes(pcFiles + "\\" + names[i]), on.files[i].bytes);
    }
}

TEST_F(Downloads, AFullCardEndsTheBatchWithTheCounterAtZero)
{
    options.cardCode = 0x64;   // 2 MB: 64 blocks
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    MakePcFile("small.mp3", 20000, 1);
    MakePcFile("huge.mp3", 2200 * 1024, 2);
    MakePcFile("after.mp3", 20000, 3);
    CMainDlg window(ports);
    std::string boxText;
    int counterAtFailure = -1;
    bool downloadLampAtFailure = false;
    bool downpOffAtFailure = false;
    std::string statusAtFailure;
    Run(window, [&](HWND main) {
        Click(main, IDC_MAIN_EXTFL);
        ASSERT_TRUE(WaitUntil([&] { return Status(main).find("total: 2048 KB") != std::string::npos; }));
        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("\"small.mp3\" \"huge.mp3\" \"after.mp3\"");
        HWND box = WaitForBox(AppCaption().c_str(), 20000);
        ASSERT_NE(nullptr, box);
        boxText = wintest::MessageBoxText(box);
        counterAtFailure = window.FileCounter().GetValue();
        downloadLampAtFailure = IsShown(main, IDC_MAIN_LAMP_DOWNLOAD) && !IsShown(main, IDC_MAIN_LAMP_IDLE);
        downpOffAtFailure = !IsEnabled(main, IDC_MAIN_DOWNP);
        statusAtFailure = Status(main);
        Press(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));
        EXPECT_EQ(1, RowCount(main));
        EXPECT_EQ(" 1. small.mp3", CellText(main, 0, 0));
        EXPECT_EQ(0, window.FileCounter().GetValue());
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_DOWNLOAD));
        EXPECT_EQ(0u, Status(main).rfind("Memory:", 0));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(0u, boxText.rfind("Download file failed!\r\n\r\nnot enough memory on device to download '", 0))
        << boxText;
    EXPECT_EQ(2, counterAtFailure);
    EXPECT_TRUE(downloadLampAtFailure);
    EXPECT_TRUE(downpOffAtFailure);
    EXPECT_EQ("Downloading :  " + pcFiles + "\\huge.mp3", statusAtFailure);
    const SPlayerContents card = Contents(1);
    ASSERT_TRUE(card.read);
    EXPECT_EQ(std::vector<std::string>{"small.mp3"}, card.Names());
}

TEST_F(Downloads, DroppedFilesAreSentAndAFolderEndsTheBatch)
{
    MakePlayer();
    const std::string a = MakePcFile("dropped one.mp3", 50000, 1);
    const std::string text = pcFiles + "\\notes.txt";
    ASSERT_TRUE(WriteBytes(text, std::vector<uint8_t>(3000, 'x')));
    const std::string folder = pcFiles + "\\a folder";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string c = MakePcFile("never sent.mp3", 50000, 3);
    CMainDlg window(ports);
    std::string boxText;
    Run(window, [&](HWND main) {
        DropOn(main, {a, text, folder, c});
        HWND box = WaitForBox(AppCaption().c_str(), 20000);
        ASSERT_NE(nullptr, box);
        boxText = wintest::MessageBoxText(box);
        EXPECT_EQ(2, window.FileCounter().GetValue());   // two of four sent
        Press(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 2 && IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));
        EXPECT_EQ(0, window.FileCounter().GetValue());   // the failure ended the batch
        EXPECT_EQ(" 2. notes.txt", CellText(main, 1, 0));
        EXPECT_EQ(0u, Status(main).rfind("Memory:", 0));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_DOWNLOAD));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ(0u, boxText.rfind("Download file failed!\r\n\r\nunable to open '" + folder, 0)) << boxText;
    const SPlayerContents on = Contents();
    ASSERT_EQ(2u, on.files.size());
    EXPECT_EQ(ReadBytes(a), on.files[0].bytes);
    EXPECT_EQ(ReadBytes(text), on.files[1].bytes);
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

TEST_F(Downloads, ADroppedPathLongerThan259CharactersIsTakenWhole)
{
    MakePlayer();
    // Built with the wide functions' long-path form: the ANSI ones stop at 260 characters.
    std::vector<std::string> folders;
    std::string deep = pcFiles;
    while (deep.size() < 250) {
        deep += "\\a folder with a long name to make the path long";
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + Wide(deep)).c_str(), nullptr)) << deep;
        folders.push_back(deep);
    }
    const std::string path = deep + "\\deep file.mp3";
    ASSERT_GT(path.size(), 259u);
    const std::vector<uint8_t> bytes = demo::MakeMp3(128, 30000, 9);
    HANDLE file = ::CreateFileW((L"\\\\?\\" + Wide(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);

    CMainDlg window(ports);
    std::string boxText;
    Run(window, [&](HWND main) {
        DropOn(main, {path});
        // Either the player takes the file, or the session names the whole path
        // it could not open; a path cut short would name another file.
        WaitUntil([&] {
            if (HWND box = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", AppCaption().c_str())) {
                boxText = wintest::MessageBoxText(box);
                Press(box, IDOK);
                return true;
            }
            return RowCount(main) == 1;
        }, 20000);
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_DOWNP); }));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    const SPlayerContents on = Contents();
    if (boxText.empty()) {
        ASSERT_EQ(1u, on.files.size());
        EXPECT_EQ("deep file.mp3", on.files[0].name);
        EXPECT_EQ(bytes, on.files[0].bytes);
    } else {
        // The platform's narrow file functions may refuse so long a path; the
        // message then names all of it.
        EXPECT_EQ(0u, boxText.rfind("Download file failed!\r\n\r\n", 0)) << boxText;
        EXPECT_NE(std::string::npos, boxText.find("'" + path + "'")) << boxText;
        EXPECT_TRUE(on.files.empty());
    }
    ::DeleteFileW((L"\\\\?\\" + Wide(path)).c_str());
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        ::RemoveDirectoryW((L"\\\\?\\" + Wide(*it)).c_str());
}

// While a slow download runs, the window dispatches messages: a second drop, the
// speed options, a click in the list and a drag arrive. None may start a second
// operation. CLOSE, left enabled, stops the file in flight and then closes.
TEST_F(Downloads, WhileADownloadRunsDropsAndOptionsAreHeldOffAndCloseStopsIt)
{
    MakePlayer();
    Preload({"already there.mp3"});
    const std::string slow = MakePcFile("slow.mp3", 24 * 32768, 5);
    const std::string other = MakePcFile("other.mp3", 20000, 6);
    player->SetRealTime(true);
    CMainDlg window(ports);
    bool sawRunning = false;
    bool deleteEverOn = false;
    bool dragStarted = false;
    bool optionsOpened = false;
    bool closedByItself = false;
    bool boxSeen = false;
    std::string statusWhileRunning;
    COLORREF counterColour = 0;
    int counterValue = -1;
    const INT_PTR result = Run(window, [&](HWND main) {
        DropOn(main, {slow});
        sawRunning = WaitUntil([&] { return Status(main).rfind("Downloading :  ", 0) == 0; }, 20000);
        statusWhileRunning = Status(main);
        counterColour = window.FileCounter().OnColour();
        counterValue = window.FileCounter().GetValue();
        EXPECT_TRUE(IsShown(main, IDC_MAIN_LAMP_DOWNLOAD));
        EXPECT_FALSE(IsShown(main, IDC_MAIN_LAMP_IDLE));
        EXPECT_TRUE(IsShown(main, IDC_MAIN_PROGRESS));
        for (int id : {IDC_MAIN_REFRESH, IDC_MAIN_DOWNP, IDC_MAIN_INIT, IDC_MAIN_INTFL, IDC_MAIN_EXTFL,
                       IDC_MAIN_PLAYLST, IDC_MAIN_DELETE, IDC_MAIN_UPLOAD})
            EXPECT_FALSE(IsEnabled(main, id)) << id;
        EXPECT_TRUE(IsEnabled(main, IDC_MAIN_CLOSE));

        DropOn(main, {other});
        Click(main, IDC_MAIN_ABOUT);
        ClickRow(main, 0, true);
        // A row dragged in the list: no drag may start.
        HWND list = ::GetDlgItem(main, IDC_MAIN_LIST);
        const POINT row = RowPoint(main, 0);
        ::PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.x, row.y));
        ::PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(row.x + 4, row.y + 24));
        ::PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(row.x + 4, row.y + 24));
        Click(main, IDC_MAIN_CLOSE);
        // Watch until the window has gone by itself.
        closedByItself = WaitUntil([&] {
            if (!::IsWindow(main))
                return true;
            boxSeen =
                boxSeen || wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", AppCaption().c_str(), main);
            if (Status(main).rfind("Downloading :  ", 0) == 0) {
                deleteEverOn = deleteEverOn || IsEnabled(main, IDC_MAIN_DELETE);
                dragStarted = dragStarted || CaptureOf(main) == main;
            }
            HWND options = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
            if (options != nullptr && ::GetDlgItem(options, IDC_OPTIONS_SETDEF) != nullptr) {
                optionsOpened = true;
                Press(options, IDCANCEL);
            }
            return false;
        }, 60000);
    });
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ("Downloading :  " + slow, statusWhileRunning);
    EXPECT_EQ(RGB(0, 255, 64), counterColour);
    EXPECT_EQ(1, counterValue);
    EXPECT_FALSE(deleteEverOn);
    EXPECT_FALSE(dragStarted);
    EXPECT_FALSE(optionsOpened);
    EXPECT_TRUE(closedByItself);
    EXPECT_FALSE(boxSeen); // the stop is no failure
    EXPECT_EQ(IDOK, result);
    player->SetRealTime(false);
    // The cut file is not listed, as after a power cut; the player's directory is sound.
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    EXPECT_EQ(std::vector<std::string>{"already there.mp3"}, on.Names());
}

// Esc (the key, as the focused list gets it) in the middle of the third of four
// files: the first two stay, the others never arrive, the window stays open and
// says so. The task bar's Close stops a batch and closes the window.
TEST_F(Downloads, EscStopsTheBatchAfterTheCurrentBlockAndTheTaskBarsCloseAlsoCloses)
{
    MakePlayer();
    settings.WriteString("Settings", "LastDLPath", pcFiles.c_str());
    const std::string a = MakePcFile("a.mp3", 40000, 1);
    const std::string b = MakePcFile("b.mp3", 33000, 2);
    const std::string c = MakePcFile("c.mp3", 24 * 32768, 3);
    MakePcFile("d.mp3", 20000, 4);
    player->SetRealTime(true);
    CMainDlg window(ports);
    bool boxSeen = false;
    auto waitForBlockOf = [&](HWND main, const std::string& path) {
        return WaitUntil(
            [&] {
                DWORD_PTR position = 0; // at least one block of the file is on the player
                ::SendMessageTimeoutA(::GetDlgItem(main, IDC_MAIN_PROGRESS), PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000,
                                      &position);
                return Status(main) == "Downloading :  " + path && position >= 1;
            },
            30000);
    };
    const INT_PTR result = Run(window, [&](HWND main) {
        Click(main, IDC_MAIN_DOWNP);
        ChooseInFileDialog("\"a.mp3\" \"b.mp3\" \"c.mp3\" \"d.mp3\"");
        ASSERT_TRUE(waitForBlockOf(main, c));
        ::PostMessageA(::GetDlgItem(main, IDC_MAIN_LIST), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil(
            [&] {
                boxSeen = boxSeen ||
                          wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", AppCaption().c_str(), main);
                return IsEnabled(main, IDC_MAIN_DOWNP) && Status(main).rfind("Stopped", 0) == 0;
            },
            30000));
        EXPECT_EQ("Stopped: 2 of 4 files sent.", Status(main));
        EXPECT_EQ((std::vector<std::string>{" 1. a.mp3", " 2. b.mp3"}), Titles(main));
        EXPECT_EQ(0, window.FileCounter().GetValue());

        DropOn(main, {c});
        ASSERT_TRUE(waitForBlockOf(main, c));
        ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(main); }, 30000));
    });
    EXPECT_FALSE(boxSeen);
    EXPECT_EQ(IDCANCEL, result);
    player->SetRealTime(false);
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ((std::vector<std::string>{"a.mp3", "b.mp3"}), on.Names());
    EXPECT_EQ(ReadBytes(a), on.files[0].bytes);
    EXPECT_EQ(ReadBytes(b), on.files[1].bytes);
}

// The player's port, which posts Esc to the list from inside the device
// operation at the first page program (the block in flight) or page read (the
// read-back of a verified download, or the directory read after the batch).
class CEscapeOnTraffic : public CPortIO, public CPortProvider {
public:
    CEscapeOnTraffic(CVirtualPlayer& player, bool onRead, int presses)
        : m_player(player), m_onRead(onRead), m_presses(presses) {}
    CPortIO* GetPortIO() override { return this; }
    uint8_t PortRead(uint16_t address) override { return m_player.PortRead(address); }
    int MilliClock() override { return m_player.MilliClock(); }
    void PortWrite(uint16_t address, uint8_t value) override
    {
        m_player.PortWrite(address, value);
        if ((address & 3) == CRioDevice::kDataOffset) {
            m_data = value;
            return;
        }
        m_command = value == CRioDevice::kCtlCommand ? m_data : m_command;
        const bool hit = m_onRead ? value == CRioDevice::kCtlData && m_command == CRioDevice::kCmdFlash &&
                                        m_data == CRioDevice::kFlashRead
                                  : value == CRioDevice::kCtlCommand && m_data == CRioDevice::kCmdWrite;
        for (HWND to = hit ? list.exchange(nullptr) : nullptr; to != nullptr && m_presses-- > 0;)
            ::PostMessageA(to, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    std::atomic<HWND> list{nullptr};

private:
    CVirtualPlayer& m_player;
    bool m_onRead;
    int m_presses;
    uint8_t m_data = 0;
    uint8_t m_command = 0;
};

// Esc while no block is being started waits in the queue until the device
// operation ends: it stops the batch (or, once the batch is over, goes), and
// never reaches the dialog manager as its cancel, which ends the program.
TEST_F(Downloads, EscWhileNoBlockStartsStopsTheBatchAndQuavelKeepsRunning)
{
    const struct {
        bool verify;
        size_t bytes;
        bool onRead;
        int presses;
        size_t kept;
        const char* status;
    } cases[] = {
        {false, 20000, false, 1, 1, "Stopped: 1 of 1 files sent."}, // during the only block
        {true, 20000, true, 1, 1, "Stopped: 1 of 1 files sent."},   // during its read-back
        {true, 40000, true, 2, 0, "Stopped: 0 of 1 files sent."},   // read-back of the first of two blocks
        {false, 20000, true, 1, 1, "Memory:   total: 32768 KB   used : 64 KB   free : 32704 KB"}, // after it
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        options.imageDir = images + "\\" + std::to_string(i);
        ::CreateDirectoryA(options.imageDir.c_str(), nullptr);
        MakePlayer();
        settings.WriteInt("Settings", "VerifyDownloads", c.verify ? 1 : 0);
        const std::string path = MakePcFile("one.mp3", c.bytes, 7);
        CEscapeOnTraffic port(*player, c.onRead, c.presses);
        CMainDlg window(port);
        std::string status;
        EXPECT_EQ(IDOK, Run(window, [&](HWND main) {
            port.list = ::GetDlgItem(main, IDC_MAIN_LIST);
            DropOn(main, {path});
            WaitUntil([&] { return !::IsWindow(main) || Status(main) == c.status; }, 20000);
            status = Status(main);
            Click(main, IDC_MAIN_CLOSE); // after the presses: the window must be there to take it
            WaitUntil([&] { return !::IsWindow(main); });
        }));
        EXPECT_EQ(c.status, status);
        const SPlayerContents on = Contents();
        ASSERT_EQ(c.kept, on.files.size());
        EXPECT_TRUE(c.kept == 0 || ReadBytes(path) == on.files[0].bytes);
    }
}

TEST_F(Downloads, VerifyDownloadsIsAStoredSystemMenuChoiceThatCatchesACorruptWire)
{
    settings.WriteInt("Settings", "VerifyDownloads", 1);
    MakePlayer();
    // The second file's first block is block 2 (page 128): its cable flips a bit every time.
    player->Faults().AddWireFlip(EMemory::Internal, 128, 7, 0x04);
    const std::string kept = MakePcFile("kept.mp3", 30000, 1);
    const std::string corrupt = MakePcFile("corrupt.mp3", 30000, 2);
    CMainDlg window(ports);
    std::vector<UINT> checks;
    std::vector<int> stored;
    std::string boxText;
    Run(window, [&](HWND main) {
        ASSERT_TRUE(WaitUntil([&] { return Status(main).rfind("Memory:", 0) == 0; })); // the start-up is over
        HMENU menu = ::GetSystemMenu(main, FALSE);
        int at = 0; // the entry just after About; more entries may follow it
        while (at < ::GetMenuItemCount(menu) && ::GetMenuItemID(menu, at) != IDM_VERIFYDOWNLOADS)
            ++at;
        char text[64] = "";
        ::GetMenuStringA(menu, UINT(at), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ("Verify downloads", text);
        EXPECT_EQ(UINT(IDM_ABOUTBOX), ::GetMenuItemID(menu, at - 1));
        for (int toggle = 0; toggle < 3; ++toggle) {
            if (toggle > 0) {
                DWORD_PTR done = 0; // sent: handled before the menu is read
                ::SendMessageTimeoutA(main, WM_SYSCOMMAND, IDM_VERIFYDOWNLOADS, 0, SMTO_NORMAL, 10000, &done);
            }
            checks.push_back(::GetMenuState(menu, IDM_VERIFYDOWNLOADS, MF_BYCOMMAND) & MF_CHECKED);
            stored.push_back(settings.ReadInt("Settings", "VerifyDownloads", -1));
        }
        DropOn(main, {kept, corrupt});
        HWND box = WaitForBox(AppCaption().c_str(), 20000);
        ASSERT_NE(nullptr, box);
        boxText = wintest::MessageBoxText(box);
        Press(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 1 && IsEnabled(main, IDC_MAIN_DOWNP); }, 20000));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    EXPECT_EQ((std::vector<UINT>{MF_CHECKED, 0, MF_CHECKED}), checks);
    EXPECT_EQ((std::vector<int>{1, 0, 1}), stored);
    EXPECT_EQ("Download file failed!\r\n\r\nverify failed, data on device differs from '" + corrupt + "'", boxText);
    const SPlayerContents on = Contents();
    ASSERT_TRUE(on.read);
    ASSERT_EQ(std::vector<std::string>{"kept.mp3"}, on.Names());
    EXPECT_EQ(ReadBytes(kept), on.files[0].bytes);
}

}  // namespace
