// SPDX-License-Identifier: GPL-3.0-or-later
// The file list control on screen: its columns, the texts and pictures of its
// rows, and the visible rows after deleting and swapping.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "playlist/FileListCtrl.h"
#include "win/Dialog.h"

namespace {

std::unique_ptr<CFileEntry> Entry(int number, const std::string& name, const char* size,
                                  const char* bitrate = "128", const char* when = "01/02/03 04:05:06")
{
    auto e = std::make_unique<CFileEntry>();
    e->SetNumber(number);
    e->SetNameText(name.c_str());
    e->SetSizeText(size);
    e->SetBitrateText(bitrate);
    e->SetDateTimeText(when);
    return e;
}

class FileList : public testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControlClasses();
        window = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_SHOWSELALWAYS,
                                   0, 0, 400, 300, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(list.Subclass(window));
    }
    void TearDown() override
    {
        if (window != nullptr)
            ::DestroyWindow(window);
    }

    // Appends rows the way the windows do: index = current row count.
    void Add(const std::string& name, const char* size = "1000")
    {
        const int n = list.GetRowCount();
        ASSERT_TRUE(list.InsertEntry(n, Entry(n + 1, name, size)));
    }

    int Image(int row) const
    {
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        return list.GetItem(item) ? item.iImage : -1;
    }

    // "title|image" of every visible row, one per line.
    std::string Rows() const
    {
        std::string out;
        for (int i = 0; i < list.GetItemCount(); ++i)
            out += list.GetItemText(i, 0) + "|" + std::to_string(Image(i)) + "\n";
        return out;
    }

    HWND window = nullptr;
    CFileListCtrl list;
};

TEST_F(FileList, ColumnsOfTheMainAndThePlaylistWindow)
{
    list.SetupColumns(4);
    ASSERT_EQ(list.GetColumnCount(), 4);
    const char* headings[] = {"  No. Title", "Size", "Bitr.", "Downl. Date/Time"};
    const int widths[] = {219, 57, 31, 2};
    for (int c = 0; c < 4; ++c) {
        char text[64] = "";
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_FMT;
        col.pszText = text;
        col.cchTextMax = sizeof text;
        ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&col)));
        EXPECT_STREQ(text, headings[c]);
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
        EXPECT_EQ(list.GetColumnWidth(c), widths[c]) << c;
    }
    Add("LIVE.MP3");
    EXPECT_EQ(list.GetItemText(0, 1), "1000");
    EXPECT_EQ(list.GetItemText(0, 2), "128");
    EXPECT_EQ(list.GetItemText(0, 3), "01/02/03 04:05:06");

    // The playlist window's list: a wider title, no bitrate and no date.
    list.SetupColumns(2);
    EXPECT_EQ(list.GetRowCount(), 0);
    ASSERT_EQ(list.GetColumnCount(), 2);
    EXPECT_EQ(list.GetColumnWidth(0), 235);
    EXPECT_EQ(list.GetColumnWidth(1), 57);
    Add("C:\\music\\a.wav");
    EXPECT_EQ(list.GetItemText(0, 0), " 1. C:\\music\\a.wav");
    EXPECT_EQ(list.GetItemText(0, 1), "1000");
}

TEST_F(FileList, ImageStripHasNineMaskedPictures)
{
    list.SetupColumns(4);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(list.SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), kImageCount);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(cx, 17);
    EXPECT_EQ(cy, 18);
    // The strip's magenta is transparent: the picture's top-left corner is
    // background, drawn over white it stays white.
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 17, 18);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 17, 18};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, kImageMp3, dc, 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(::GetPixel(dc, 0, 0) & 0xFFFFFF, RGB(255, 255, 255));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST_F(FileList, PictureByExtensionAndRedCrossForSizeZero)
{
    list.SetupColumns(2);
    Add("c:\\a\\song.mp3");
    Add("c:\\a\\BACKUP.Zip");
    Add("c:\\a\\readme.TXT");
    Add("c:\\a\\letter.doc");
    Add("c:\\a\\face.jpg");
    Add("c:\\a\\gone.mp3", "0");
    Add("c:\\a\\gone.zip", "0");
    Add("c:\\a\\track.wav");
    EXPECT_EQ(Rows(),
              " 1. c:\\a\\song.mp3|1\n"
              " 2. c:\\a\\BACKUP.Zip|4\n"
              " 3. c:\\a\\readme.TXT|5\n"
              " 4. c:\\a\\letter.doc|6\n"
              " 5. c:\\a\\face.jpg|7\n"
              " 6. c:\\a\\gone.mp3|2\n"
              " 7. c:\\a\\gone.zip|2\n"
              " 8. c:\\a\\track.wav|3\n");
}

TEST_F(FileList, DeletingTheSecondOfFiveRenumbersTheVisibleRows)
{
    list.SetupColumns(4);
    Add("A.MP3");
    Add("B.TXT");
    Add("C.ZIP");
    Add("D.DOC", "0");
    Add("E.GIF");
    ASSERT_TRUE(list.DeleteRow(1));
    EXPECT_EQ(list.GetRowCount(), 4);
    EXPECT_EQ(Rows(), " 1. A.MP3|1\n 2. C.ZIP|4\n 3. D.DOC|2\n 4. E.GIF|7\n");
    // Other columns moved with their rows; the bitrate is shown for MP3 names only.
    EXPECT_EQ(list.GetItemText(2, 1), "0");
    EXPECT_EQ(list.GetItemText(0, 2), "128");
    EXPECT_EQ(list.GetItemText(1, 2), "  -");
    std::string name;
    ASSERT_TRUE(list.GetEntryName(1, name));
    EXPECT_EQ(name, "C.ZIP");
    EXPECT_FALSE(list.GetEntryName(4, name));
    EXPECT_FALSE(list.DeleteRow(4));
    EXPECT_EQ(list.GetItemCount(), 4);
}

TEST_F(FileList, SwappingTheFirstTwoRowsRenumbersAndDropsTheSelection)
{
    list.SetupColumns(4);
    Add("A.MP3");
    Add("B.TXT");
    Add("C.ZIP");
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ(list.GetSelectedCount(), 1);
    ASSERT_TRUE(list.SwapRows(0, 1));
    EXPECT_EQ(Rows(), " 1. B.TXT|5\n 2. A.MP3|1\n 3. C.ZIP|4\n");
    EXPECT_EQ(list.GetSelectedCount(), 0);
    EXPECT_EQ(list.GetRowCount(), 3);
    int32_t size = 0;
    ASSERT_TRUE(list.GetEntrySize(0, size));
    EXPECT_EQ(size, 1000);
    EXPECT_FALSE(list.SwapRows(0, 3));
    EXPECT_EQ(Rows(), " 1. B.TXT|5\n 2. A.MP3|1\n 3. C.ZIP|4\n");
}

TEST_F(FileList, NumbersOfAHundredAndMoreAreWrittenInFull)
{
    list.SetupColumns(2);
    for (int i = 0; i < 102; ++i)
        Add("song" + std::to_string(i) + ".mp3");
    EXPECT_EQ(list.GetItemText(8, 0), " 9. song8.mp3");
    EXPECT_EQ(list.GetItemText(99, 0), "100. song99.mp3");
    EXPECT_EQ(list.GetItemText(101, 0), "102. song101.mp3");
    EXPECT_EQ(Image(101), kImageMp3);
    // Deleting the first row brings the numbers back below 100 and 10.
    ASSERT_TRUE(list.DeleteRow(0));
    EXPECT_EQ(list.GetItemText(8, 0), " 9. song9.mp3");
    EXPECT_EQ(list.GetItemText(9, 0), "10. song10.mp3");
    EXPECT_EQ(list.GetItemText(98, 0), "99. song99.mp3");
    EXPECT_EQ(list.GetItemText(100, 0), "101. song101.mp3");
    list.ClearAll();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetRowCount(), 0);
    EXPECT_EQ(list.GetEntry(0), nullptr);
    Add("again.mp3");
    EXPECT_EQ(Rows(), " 1. again.mp3|1\n");
}

}  // namespace
