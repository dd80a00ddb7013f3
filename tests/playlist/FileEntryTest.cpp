// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "playlist/FileEntry.h"
#include "tests/device/ProcessTempDir.h"

TEST(FileEntry, NewRecordIsEmpty) {
    CFileEntry e;
    EXPECT_EQ(e.GetNumber(), 0);
    EXPECT_EQ(e.GetSizeText(), "");
    EXPECT_EQ(e.GetSizeValue(), 0);
    EXPECT_EQ(e.GetDateTimeText(), "");
    EXPECT_EQ(e.GetNameText(), "");
    EXPECT_EQ(e.GetShownBitrate(), "  -");
}

TEST(FileEntry, SizeAndNameLoseTrailingBlanksOthersKeepThem) {
    CFileEntry e;
    e.SetSizeText("1234   ");
    e.SetNameText("  LIVE.MP3 \t ");
    e.SetDateTimeText("01/01/00 01:00:00 ");
    e.SetBitrateText("64 ");
    EXPECT_EQ(e.GetSizeText(), "1234");
    EXPECT_EQ(e.GetSizeValue(), 1234);
    EXPECT_EQ(e.GetNameText(), "  LIVE.MP3");   // leading blanks stay
    EXPECT_EQ(e.GetDateTimeText(), "01/01/00 01:00:00 ");
    EXPECT_EQ(e.GetShownBitrate(), "64 ");
}

TEST(FileEntry, SizeValueReadsLeadingDigitsOnly) {
    CFileEntry e;
    e.SetSizeText("abc");
    EXPECT_EQ(e.GetSizeValue(), 0);
    e.SetSizeText("   ");
    EXPECT_EQ(e.GetSizeText(), "");
    EXPECT_EQ(e.GetSizeValue(), 0);
    e.SetSizeText("42kB");
    EXPECT_EQ(e.GetSizeValue(), 42);
    e.SetSizeText("99999999999999999999");
    EXPECT_EQ(e.GetSizeValue(), INT32_MAX);
}

TEST(FileEntry, NumberTextIsTwoWide) {
    CFileEntry e;
    const std::pair<int, const char*> cases[] = {{7, " 7"}, {10, "10"}, {123, "123"}, {-1, "-1"}};
    for (const auto& c : cases) {
        e.SetNumber(c.first);
        EXPECT_EQ(e.GetNumber(), c.first);
        EXPECT_EQ(e.GetNumberText(), c.second);
    }
}

TEST(FileEntry, BitrateShownOnlyForMp3Names) {
    CFileEntry e;
    e.SetBitrateText("128");
    const std::pair<const char*, const char*> cases[] = {
        {"LIVE.MP3", "128"}, {"live.mp3", "128"}, {"C:\\music\\a.Mp3", "128"},
        {"LIVE.WAV", "  -"}, {"MP3", "  -"},      {".MP3", "128"},
        {"A.MP3X", "  -"},   {"", "  -"},         {"LIVE.MP3   ", "128"}};
    for (const auto& c : cases) {
        e.SetNameText(c.first);
        EXPECT_EQ(e.GetShownBitrate(), c.second) << '"' << c.first << '"';
    }
}

TEST(FileSize, SizesOfRealFilesAndFailures) {
    const std::string name = ProcessTempDir() + "quavel_filesize_test.bin";
    const char* path = name.c_str();
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(FileSize(path), 0);   // empty file
    f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::string bytes(70000, '\x5A');
    bytes[10] = '\0';   // binary content, not text
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    EXPECT_EQ(FileSize(path), 70000);
    std::remove(path);
    EXPECT_EQ(FileSize(path), 0);   // gone
    EXPECT_EQ(FileSize(nullptr), 0);
}
