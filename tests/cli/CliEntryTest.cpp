// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli: #N, names of several files, put's choice, names as stored.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliTestSupport.h"

TEST_F(CCliTest, NamesOfSeveralFilesNeedANumberAndPutAsksBeforeASecondName)
{
    std::filesystem::create_directory(Path("b"));
    const std::string first = MakeFile("song.mp3", 1000, 1), second = MakeFile("b/song.mp3", 2000, 2);
    ASSERT_EQ(Cli({"put", first}).code, kExitDone);
    EXPECT_EQ(Cli({"put", second}).err, "quavel-cli: 'song.mp3' is already on the player (#1): give --replace to "
                                        "send the new file and then delete the old one, or --keep-both\n");
    ASSERT_EQ(Cli({"put", "--keep-both", second}).code, kExitDone);
    EXPECT_EQ(Cli({"put", "--replace", second}).code, kExitUsage); // which of the two?
    for (const SCliRun& run : {Cli({"get", "song.mp3"}), Cli({"rm", "song.mp3"}), Cli({"move", "song.mp3", "1"}),
                               Cli({"verify", "song.mp3"})}) {
        EXPECT_EQ(run.code, kExitUsage);
        EXPECT_EQ(run.err, "quavel-cli: files #1, #2 on the player are all named 'song.mp3': give the one you "
                           "mean as #N\n");
    }
    ASSERT_EQ(Cli({"get", "#1", "--to", Path("b")}).code, kExitDone);
    EXPECT_EQ(ReadFile(second).size(), 1000u);
    EXPECT_EQ(Cli({"rm", "#3"}).err, "Delete file failed!\n\nno file number 3 on the device\n");
    ASSERT_EQ(Cli({"rm", "#1"}).code, kExitDone);
    ASSERT_EQ(Cli({"put", "--replace", MakeFile("song.mp3", 3000, 3)}).code, kExitDone);
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read() && player.Device().EntryCount() == 1);
    EXPECT_EQ(DirectoryEntry::Read(player.Device().EntrySlot(0)).size, 3000u);
}

TEST_F(CCliTest, NamesKeepBackslashesAndColonsAndEveryChangeIsAnnounced)
{
#ifdef _WIN32
    const std::string plain = "Artist - Title.mp3";
#else
    const std::string plain = "Artist: Title \\ live.mp3";
#endif
    const std::string x97(97, 'x');
    SCliRun put = Cli({"put", MakeFile(plain, 100, 4), MakeFile(x97 + " - 1. Allegro.mp3", 100, 5),
                       MakeFile(x97 + " - 2. Adagio.mp3", 100, 6), MakeFile("Caf\xC3\xA9.mp3", 100, 7)});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_EQ(put.err, "quavel-cli: '" + x97 + " - 1. Allegro.mp3' is stored as '" + std::string(96, 'x') +
                           ".mp3' (names on the player have at most 100 bytes)\nquavel-cli: '" + x97 +
                           " - 2. Adagio.mp3' is stored as '" + std::string(94, 'x') +
                           "~2.mp3' (names on the player have at most 100 bytes; another file has the shortened "
                           "name)\n");
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        EXPECT_EQ(player.Names()[0], plain);
        RioPut16(player.Device().EntrySlot(3) + 2, 3); // more blocks than the chain has
        ASSERT_TRUE(player.Device().WriteDirectory());
    }
    EXPECT_EQ(Cli({"get", "Caf\xC3\xA9.mp3", "--to", Path("")}).err,
              "Upload file failed!\n\ninvalid block chain of file 'Caf\xC3\xA9.mp3', initialization recommended\n");
}
