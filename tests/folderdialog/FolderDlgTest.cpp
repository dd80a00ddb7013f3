// SPDX-License-Identifier: GPL-3.0-or-later
// The folder selection dialog on real drives: the test gives Wine's prefix
// extra drive letters of each type, mapped to temporary folders, and drives
// the dialog's tree from a second thread as a user would: which drives it
// offers with which pictures, the preselected drive, placeholders, opening
// and closing folders, the refused opening of a removable drive without a
// medium, and the path that OK gives back.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Help.h"
#include "app/Settings.h"
#include "folderdialog/FolderDlg.h"
#include "res/resource.h"
#include "tests/folderdialog/WineDrives.h"
#include "tests/lists/DialogDriver.h"
#include "tests/lists/HelpRecorder.h"
#include "tests/playlist/TempFolder.h"
#include "tests/playlist/WindowDriver.h"

namespace {

using liststest::Click;
using playlisttest::Send;
using wintest::WaitUntil;

using helptest::g_helpCount;
using helptest::g_helpTopic;
using helptest::RecordHelp;

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT code)
{
    return reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

std::string ItemText(HWND tree, HTREEITEM item, int* image = nullptr)
{
    char text[MAX_PATH] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_IMAGE;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    if (image != nullptr)
        *image = tv.iImage;
    return text;
}

bool IsExpanded(HWND tree, HTREEITEM item)
{
    return (Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// An item and what it holds: "text[image]{child,child}"; children sorted by
// text (folders come in the file system's order), an empty text is a placeholder.
std::string Dump(HWND tree, HTREEITEM item)
{
    int image = -1;
    std::string out = ItemText(tree, item, &image);
    out += "[" + std::to_string(image) + "]";
    std::vector<std::string> children;
    for (HTREEITEM c = NextItem(tree, item, TVGN_CHILD); c != nullptr; c = NextItem(tree, c, TVGN_NEXT))
        children.push_back(Dump(tree, c));
    std::sort(children.begin(), children.end());
    if (!children.empty()) {
        out += "{";
        for (size_t i = 0; i < children.size(); ++i)
            out += (i > 0 ? "," : "") + children[i];
        out += "}";
    }
    return out;
}

std::vector<std::string> RootTexts(HWND tree)
{
    std::vector<std::string> roots;
    for (HTREEITEM r = NextItem(tree, nullptr, TVGN_ROOT); r != nullptr; r = NextItem(tree, r, TVGN_NEXT))
        roots.push_back(ItemText(tree, r));
    return roots;
}

HTREEITEM Find(HWND tree, HTREEITEM parent, const std::string& text)
{
    HTREEITEM c = parent == nullptr ? NextItem(tree, nullptr, TVGN_ROOT) : NextItem(tree, parent, TVGN_CHILD);
    for (; c != nullptr; c = NextItem(tree, c, TVGN_NEXT))
        if (ItemText(tree, c) == text)
            return c;
    return nullptr;
}

// Opens or closes an item as a user does from the keyboard (+ and - on the
// selected item): the tree asks its owner every time, whereas its programmatic
// expand asks only before the first opening.
void ExpandItem(HWND tree, HTREEITEM item, UINT code)
{
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    Send(tree, WM_KEYDOWN, code == TVE_EXPAND ? VK_ADD : VK_SUBTRACT, 0);
}

class FolderDialog : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        SetAppSettings(&settings);
        oldHelp = SetHelpEngine(RecordHelp);
        pid = ::GetCurrentProcessId();
        namespace fs = std::filesystem;
        for (const char* dir : {"m/one", "m/two", "n/x", "o/x", "p/D1/E", "p/D2", "p/D3", "r"})
            fs::create_directories(fs::path(folder.Root()) / dir);
        folder.Write("p/D2/only-a-file.txt", "x");
        folder.Write("p/top.txt", "x");
        const std::string host = foldertest::UnixPathOf(folder.Root());
        ASSERT_FALSE(host.empty());
        ASSERT_TRUE(drives.Add('M', host + "/m", DRIVE_REMOVABLE));
        ASSERT_TRUE(drives.Add('N', host + "/n", DRIVE_REMOTE));
        ASSERT_TRUE(drives.Add('O', host + "/o", DRIVE_CDROM));
        ASSERT_TRUE(drives.Add('P', host + "/p", DRIVE_FIXED));
        ASSERT_TRUE(drives.Add('Q', host + "/no-medium", DRIVE_REMOVABLE));
        ASSERT_TRUE(drives.Add('R', host + "/r", DRIVE_RAMDISK));
        ASSERT_EQ(::GetDriveTypeA("P:\\"), static_cast<UINT>(DRIVE_FIXED));
        ASSERT_EQ(::GetDriveTypeA("Q:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    }
    void TearDown() override
    {
        SetHelpEngine(oldHelp);
        SetAppSettings(nullptr);
    }

    static HWND Tree(HWND w) { return ::GetDlgItem(w, IDC_FOLDER_TREE); }

    CMemorySettings settings;
    HelpEngine oldHelp = nullptr;
    DWORD pid = 0;
    playlisttest::CTempFolder folder;
    foldertest::CWineDrives drives;
};

TEST_F(FolderDialog, DrivesByTypeThePreselectedDriveAndLazyFolders)
{
    settings.WriteString("Settings", "LastDriveUpload", "P:\\");
    CFolderDlg dlg;
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        const HWND tree = Tree(w);
        // Every drive but the CD-ROM, in letter order; removable drives show
        // the floppy picture and a placeholder without being read.
        const std::vector<std::string> roots = RootTexts(tree);
        EXPECT_EQ(std::count(roots.begin(), roots.end(), "O:\\"), 0);
        const std::vector<std::string> ours{"M:\\", "N:\\", "P:\\", "Q:\\", "R:\\"};
        std::vector<std::string> seen;
        for (const std::string& r : roots)
            if (r >= "M" && r < "S")
                seen.push_back(r);
        EXPECT_EQ(seen, ours);
        EXPECT_EQ(Dump(tree, Find(tree, nullptr, "M:\\")), "M:\\[1]{[3]}");
        EXPECT_EQ(Dump(tree, Find(tree, nullptr, "Q:\\")), "Q:\\[1]{[3]}");
        EXPECT_EQ(Dump(tree, Find(tree, nullptr, "R:\\")), "R:\\[0]");   // nothing below: no button
        int image = -1;
        ItemText(tree, Find(tree, nullptr, "N:\\"), &image);
        EXPECT_EQ(image, 0);

        // LastDriveUpload's fixed drive is selected and open: its folders, a
        // placeholder only where a subfolder exists (not for files alone).
        const HTREEITEM p = Find(tree, nullptr, "P:\\");
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(NextItem(tree, nullptr, TVGN_CARET), p);
        EXPECT_TRUE(IsExpanded(tree, p));
        EXPECT_EQ(Dump(tree, p), "P:\\[0]{D1[3]{[3]},D2[3],D3[3]}");

        // A removable drive without a medium: the opening is refused and the
        // button stays.
        const HTREEITEM q = Find(tree, nullptr, "Q:\\");
        ExpandItem(tree, q, TVE_EXPAND);
        EXPECT_FALSE(IsExpanded(tree, q));
        EXPECT_EQ(Dump(tree, q), "Q:\\[1]{[3]}");
        // One with a medium is read when opened.
        const HTREEITEM m = Find(tree, nullptr, "M:\\");
        ExpandItem(tree, m, TVE_EXPAND);
        EXPECT_TRUE(IsExpanded(tree, m));
        EXPECT_EQ(Dump(tree, m), "M:\\[1]{one[3],two[3]}");

        // Closing discards the children; opening again reads the disk again.
        HTREEITEM d1 = Find(tree, p, "D1");
        ExpandItem(tree, d1, TVE_EXPAND);
        EXPECT_EQ(Dump(tree, d1), "D1[3]{E[3]}");
        ExpandItem(tree, d1, TVE_COLLAPSE);
        EXPECT_EQ(Dump(tree, d1), "D1[3]{[3]}");
        std::filesystem::create_directories(std::filesystem::path(folder.Root()) / "p/D1/F");
        ExpandItem(tree, d1, TVE_EXPAND);
        EXPECT_TRUE(IsExpanded(tree, d1));
        EXPECT_EQ(Dump(tree, d1), "D1[3]{E[3],F[3]}");
        // A drive closed keeps a placeholder.
        ExpandItem(tree, p, TVE_COLLAPSE);
        EXPECT_EQ(Dump(tree, p), "P:\\[0]{[3]}");
        ExpandItem(tree, p, TVE_EXPAND);
        d1 = Find(tree, p, "D1");
        ExpandItem(tree, d1, TVE_EXPAND);
        const HTREEITEM f = Find(tree, d1, "F");
        ASSERT_NE(f, nullptr);
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(f));

        const std::string shots = playlisttest::ShotFolder();
        if (!shots.empty()) {
            ::InvalidateRect(w, nullptr, TRUE);
            WaitUntil([] { return false; }, 300);   // let it repaint before the picture
            wintest::SaveWindowShot(w, shots + "\\folder-dialog.bmp");
        }
        Click(w, IDC_FOLDER_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    // Single backslashes, also below the drive root whose text ends with one.
    EXPECT_EQ(dlg.selectedPath, "P:\\D1\\F");
}

TEST_F(FolderDialog, NoPreselectionForOtherDrivesOkNeedsASelectionAndADriveRootIsItsOwnPath)
{
    for (const char* last : {"M:\\", "N:\\", "p:\\", "S:\\"}) {
        settings.WriteString("Settings", "LastDriveUpload", last);
        CFolderDlg dlg;
        const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
            const HWND tree = Tree(w);
            // Nothing opened; the tree's caret, if any, is only where focus put it.
            const HTREEITEM first = NextItem(tree, nullptr, TVGN_ROOT);
            const HTREEITEM caret = NextItem(tree, nullptr, TVGN_CARET);
            EXPECT_TRUE(caret == nullptr || caret == first) << last;
            for (HTREEITEM r = first; r != nullptr; r = NextItem(tree, r, TVGN_NEXT))
                EXPECT_FALSE(IsExpanded(tree, r)) << last << " " << ItemText(tree, r);
            // OK without a selection is refused: the dialog stays.
            Send(tree, TVM_SELECTITEM, TVGN_CARET, 0);
            ASSERT_EQ(NextItem(tree, nullptr, TVGN_CARET), nullptr);
            Click(w, IDC_FOLDER_OK);
            Click(w, IDC_FOLDER_HELP);
            EXPECT_TRUE(WaitUntil([] { return g_helpCount > 0; }));
            EXPECT_TRUE(::IsWindow(w));
            Click(w, IDC_FOLDER_CLOSE);
            WaitUntil([&] { return !::IsWindow(w); });
        });
        EXPECT_EQ(result, IDCANCEL) << last;
        EXPECT_EQ(dlg.selectedPath, "") << last;
    }
    EXPECT_EQ(g_helpTopic, 0x2008Fu);

    CFolderDlg dlg;
    const INT_PTR result = liststest::RunDriven(dlg, [&](HWND w) {
        Send(Tree(w), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Find(Tree(w), nullptr, "R:\\")));
        // The window has the shape of region 272.
        HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
        RECT box{};
        EXPECT_TRUE(WaitUntil([&] { return ::GetWindowRgn(w, rgn) == COMPLEXREGION; }));
        ::GetRgnBox(rgn, &box);
        ::DeleteObject(rgn);
        EXPECT_EQ(box.right, 275);
        EXPECT_EQ(box.bottom, 263);
        Click(w, IDC_FOLDER_OK);
        WaitUntil([&] { return !::IsWindow(w); });
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.selectedPath, "R:\\");
}

}  // namespace
