// SPDX-License-Identifier: GPL-3.0-or-later
// Names from the player that may or may not become PC file names, the upload
// folder's backslash, and the free-space message with figures beyond 32 bits.
#include <gtest/gtest.h>

#include <string>

#include "playlist/UploadChecks.h"

namespace {

TEST(UploadName, OrdinaryNamesPass)
{
    for (const char* name : {"LIVE.MP3", "first song.mp3", "a.b.c", "CONSOLE.MP3", "COM10.mp3", "LPT0.mp3",
                             "NULL", "x", ".hidden", "AUXILIARY.wav", "caf\xE9.mp3"})
        EXPECT_TRUE(IsSafePcFileName(name)) << name;
}

TEST(UploadName, NamesThatLeaveTheFolderOrReachADeviceAreRefused)
{
    for (const char* name : {"", "..\\evil.mp3", "..", ".", "...", " . ", "sub\\x.mp3", "a/b.mp3", "C:x.mp3",
                             "x.mp3:stream", "a..b", "*.mp3", "what?.mp3", "a|b", "a\"b", "<a>", "tab\there",
                             "CON", "con", "Con.mp3", "PRN.txt", "AUX", "NUL.", "NUL .mp3", "CON  ",
                             "COM1", "com9.mp3", "LPT1", "lpt9.x.y", "COM\xB9", "lpt\xB2.mp3", "COM\xB3.x",
                             "a.mp3.", "a.mp3 ", "song. . "})
        EXPECT_FALSE(IsSafePcFileName(name)) << name;
    EXPECT_FALSE(IsSafePcFileName(std::string("a\0b", 3)));
    EXPECT_EQ(UnsafeNameErrorText("CON"), "Upload file failed!\r\n\r\nthe name 'CON' cannot be used for a file on the PC");
}

TEST(UploadFolder, BackslashAppendedOnlyWhenMissing)
{
    EXPECT_EQ(UploadFolder("E:\\"), "E:\\");
    EXPECT_EQ(UploadFolder("E:\\Music\\Live"), "E:\\Music\\Live\\");
}

TEST(FreeSpace, MessageFiguresInThousandsAndBeyond2TB)
{
    EXPECT_EQ(FreeSpaceMessage(0, 3500000),
              "There isn't enough free space on the harddisk to upload all the files.\n\n"
              "Harddisk:    0 KB free\nFiles:         3500 KB needed.");
    // 3 TB free: a 32-bit figure would wrap.
    EXPECT_EQ(FreeSpaceMessage(3000000000000ull, 5000000000ull),
              "There isn't enough free space on the harddisk to upload all the files.\n\n"
              "Harddisk:    3000000000 KB free\nFiles:         5000000 KB needed.");
}

}  // namespace
