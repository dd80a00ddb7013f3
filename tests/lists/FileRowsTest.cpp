// SPDX-License-Identifier: GPL-3.0-or-later
// The records behind a file list: the picture and title of a row, and the
// numbering of rows when one is deleted or two change places.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "playlist/FileRows.h"

namespace {

std::unique_ptr<CFileEntry> Entry(int number, const char* name, const char* size = "1000")
{
    auto e = std::make_unique<CFileEntry>();
    e->SetNumber(number);
    e->SetNameText(name);
    e->SetSizeText(size);
    return e;
}

// A map of rows named A.MP3, B.MP3, ... numbered 1, 2, ...
void Fill(CFileRowMap& rows, int count)
{
    for (int i = 0; i < count; ++i) {
        std::string name = std::string(1, static_cast<char>('A' + i)) + ".MP3";
        ASSERT_TRUE(rows.Insert(i, Entry(i + 1, name.c_str(), std::to_string(100 * (i + 1)).c_str())));
    }
}

// "1:A.MP3 2:B.MP3 ..." of every row.
std::string Listing(const CFileRowMap& rows)
{
    std::string out;
    for (int i = 0; i < rows.Count(); ++i)
        out += std::to_string(rows.At(i)->GetNumber()) + ":" + rows.At(i)->GetNameText() + " ";
    return out;
}

TEST(FileRowImage, ExtensionsInAnyLetterCase)
{
    const struct {
        const char* ext;
        int image;
    } cases[] = {
        {"MP3", kImageMp3}, {"mp3", kImageMp3}, {"Mp3", kImageMp3}, {"ZIP", kImageArchive},
        {"zIp", kImageArchive}, {"TXT", kImageText}, {"txt", kImageText}, {"DOC", kImageDocument},
        {"bmp", kImagePicture}, {"JPG", kImagePicture}, {"Gif", kImagePicture}, {"WAV", kImageOther},
        {"MP2", kImageOther}, {"", kImageOther}, {"MP3 ", kImageOther}, {"JPEG", kImageOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageForExtension(c.ext), c.image) << '"' << c.ext << '"';
}

TEST(FileRowImage, SizeZeroGivesTheRedCrossWhateverTheExtension)
{
    for (const char* name : {"LIVE.MP3", "c:\\docs\\a.Zip", "notes.txt", "x.wav"}) {
        auto missing = Entry(1, name, "0       ");   // as "%-8ld" writes it
        EXPECT_EQ(RowImage(*missing), kImageMissing) << name;
    }
    EXPECT_EQ(RowImage(*Entry(1, "c:\\docs\\a.Zip", "10")), kImageArchive);
    EXPECT_EQ(RowImage(*Entry(1, "LIVE.mp3", "4711")), kImageMp3);
    EXPECT_EQ(RowImage(*Entry(1, "LIVE.mp3", "00")), kImageMp3);   // only "0" exactly
    EXPECT_EQ(RowImage(*Entry(1, "", "5")), kImageOther);           // title " 1. "
    EXPECT_EQ(RowImage(*Entry(1, "README", "5")), kImageOther);
}

TEST(FileRowTitle, NumberDotBlankNameWithNumbersInFull)
{
    EXPECT_EQ(RowTitleText(*Entry(7, "LIVE.MP3")), " 7. LIVE.MP3");
    EXPECT_EQ(RowTitleText(*Entry(42, "x")), "42. x");
    EXPECT_EQ(RowTitleText(*Entry(100, "x")), "100. x");
    EXPECT_EQ(RowTitleText(*Entry(12345, "C:\\a b\\c.mp3")), "12345. C:\\a b\\c.mp3");
}

TEST(FileRowMap, DeletingTheSecondOfFiveRenumbersTheRest)
{
    CFileRowMap rows;
    Fill(rows, 5);
    ASSERT_TRUE(rows.Delete(1));
    EXPECT_EQ(Listing(rows), "1:A.MP3 2:C.MP3 3:D.MP3 4:E.MP3 ");
    ASSERT_TRUE(rows.Delete(3));   // the last one
    EXPECT_EQ(Listing(rows), "1:A.MP3 2:C.MP3 3:D.MP3 ");
    ASSERT_TRUE(rows.Delete(0));
    EXPECT_EQ(Listing(rows), "1:C.MP3 2:D.MP3 ");
    // No such row: nothing happens.
    EXPECT_FALSE(rows.Delete(2));
    EXPECT_FALSE(rows.Delete(-1));
    EXPECT_EQ(Listing(rows), "1:C.MP3 2:D.MP3 ");
}

TEST(FileRowMap, SwapExchangesPlacesAndNumbers)
{
    CFileRowMap rows;
    Fill(rows, 3);
    ASSERT_TRUE(rows.Swap(0, 1));
    EXPECT_EQ(Listing(rows), "1:B.MP3 2:A.MP3 3:C.MP3 ");
    ASSERT_TRUE(rows.Swap(2, 0));
    EXPECT_EQ(Listing(rows), "1:C.MP3 2:A.MP3 3:B.MP3 ");
    ASSERT_TRUE(rows.Swap(1, 1));
    EXPECT_EQ(Listing(rows), "1:C.MP3 2:A.MP3 3:B.MP3 ");
    EXPECT_FALSE(rows.Swap(0, 3));
    EXPECT_FALSE(rows.Swap(-1, 0));
    EXPECT_EQ(Listing(rows), "1:C.MP3 2:A.MP3 3:B.MP3 ");
    // Sizes travel with their rows.
    int32_t size = 0;
    ASSERT_TRUE(rows.GetEntrySize(0, size));
    EXPECT_EQ(size, 300);
}

TEST(FileRowMap, RowsAreOnlyAppendedAndAtMostSixtyFiveThousandFiveHundredThirtySix)
{
    CFileRowMap rows;
    EXPECT_FALSE(rows.Insert(1, Entry(2, "gap")));       // would leave row 0 empty
    EXPECT_FALSE(rows.Insert(-1, Entry(0, "negative")));
    EXPECT_FALSE(rows.Insert(0, nullptr));
    EXPECT_EQ(rows.Count(), 0);
    Fill(rows, 2);
    EXPECT_FALSE(rows.Insert(0, Entry(1, "taken")));
    EXPECT_EQ(Listing(rows), "1:A.MP3 2:B.MP3 ");

    // The row numbers are 16-bit: the row after the last one is refused rather
    // than landing on row 0 again.
    while (rows.Count() < CFileRowMap::kMaxRows)
        ASSERT_TRUE(rows.Insert(rows.Count(), Entry(rows.Count() + 1, "f.mp3")));
    EXPECT_FALSE(rows.Insert(rows.Count(), Entry(rows.Count() + 1, "one too many")));
    EXPECT_EQ(rows.Count(), CFileRowMap::kMaxRows);
    EXPECT_EQ(rows.At(0)->GetNameText(), "A.MP3");
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
}

TEST(FileRowMap, NameAndSizeOfMissingRowsLeaveTheOutputAlone)
{
    CFileRowMap rows;
    Fill(rows, 2);
    std::string name = "unchanged";
    int32_t size = -5;
    EXPECT_FALSE(rows.GetEntryName(2, name));
    EXPECT_FALSE(rows.GetEntrySize(-1, size));
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(size, -5);
    EXPECT_TRUE(rows.GetEntryName(1, name));
    EXPECT_TRUE(rows.GetEntrySize(1, size));
    EXPECT_EQ(name, "B.MP3");
    EXPECT_EQ(size, 200);
}

}  // namespace
