// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli on a player where two files share a name: #N, the refusal of a
// name that means several files, put's choice for a name already there, and
// names as the player stores them.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/CliTestSupport.h"

namespace {

struct CCliEntryTest : CCliTest {
    // Two files named song.mp3: #1 and #2.
    void SetUp() override
    {
        first = MakeFile("song.mp3", 1000, 1);
        std::filesystem::create_directory(Path("other"));
        second = MakeFile("other/song.mp3", 2000, 2);
        ASSERT_EQ(Cli({"put", first}).code, kExitDone);
        ASSERT_EQ(Cli({"put", "--keep-both", second}).code, kExitDone);
        std::filesystem::create_directory(Path("to"));
    }
    std::vector<uint32_t> Sizes()
    {
        CReopenedPlayer player(PlayerDir());
        std::vector<uint32_t> sizes;
        for (int i = 0; player.Read() && i < player.Device().EntryCount(); ++i)
            sizes.push_back(DirectoryEntry::Read(player.Device().EntrySlot(i)).size);
        return sizes;
    }
    std::string first, second;
};

} // namespace

TEST_F(CCliEntryTest, ANameOfSeveralFilesIsRefusedAndNumbersChooseOne)
{
    const std::string to = Path("to");
    const std::vector<std::vector<std::string>> refused = {
        {"get", "song.mp3", "--to", to}, {"rm", "song.mp3"}, {"move", "song.mp3", "1"}, {"verify", "song.mp3"}};
    for (const auto& args : refused) {
        std::vector<std::string> all{"--virtual-player=" + PlayerDir(), kQuickSpeed};
        all.insert(all.end(), args.begin(), args.end());
        SCliRun run = RunQuavelCli(all);
        EXPECT_EQ(run.code, kExitUsage) << args[0];
        EXPECT_EQ(run.err, "quavel-cli: files #1, #2 on the player are all named 'song.mp3': give the one you mean "
                           "as #N\n");
    }
    EXPECT_EQ(Sizes(), (std::vector<uint32_t>{1000, 2000}));

    ASSERT_EQ(Cli({"get", "#2", "--to", to}).code, kExitDone);
    EXPECT_EQ(ReadFile(to + "/song.mp3"), ReadFile(second));
    SCliRun far = Cli({"rm", "#3"});
    EXPECT_EQ(far.code, kExitFailed);
    EXPECT_EQ(far.err, "Delete file failed!\n\nno file number 3 on the device\n");
    ASSERT_EQ(Cli({"rm", "#1"}).code, kExitDone);
    EXPECT_EQ(Sizes(), (std::vector<uint32_t>{2000}));
}

TEST_F(CCliEntryTest, PutOfANameOnThePlayerAsksForAChoice)
{
    std::filesystem::create_directory(Path("third"));
    const std::string third = MakeFile("third/song.mp3", 3000, 3);
    SCliRun asked = Cli({"put", third});
    EXPECT_EQ(asked.code, kExitUsage);
    EXPECT_EQ(asked.err, "quavel-cli: 'song.mp3' is already on the player (#1, #2): give --replace to send the new "
                         "file and then delete the old one, or --keep-both\n");
    EXPECT_EQ(Cli({"put", "--replace", third}).code, kExitUsage);   // which of the two?
    ASSERT_EQ(Cli({"rm", "#1"}).code, kExitDone);
    ASSERT_EQ(Cli({"put", "--replace", third}).code, kExitDone);
    EXPECT_EQ(Sizes(), (std::vector<uint32_t>{3000}));
}

TEST_F(CCliEntryTest, NamesKeepBackslashesAndColonsAndEveryChangeIsAnnounced)
{
#ifdef _WIN32
    const std::string colon = MakeFile("Artist - Title.mp3", 100, 4);
#else
    const std::string colon = MakeFile("Artist: Title \\ live.mp3", 100, 4);
#endif
    const std::string longName = MakeFile(std::string(97, 'x') + " - 1. Allegro.mp3", 100, 5);
    const std::string other = MakeFile(std::string(97, 'x') + " - 2. Adagio.mp3", 100, 6);
    SCliRun put = Cli({"put", colon, longName, other});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_EQ(put.err, "quavel-cli: '" + std::string(97, 'x') + " - 1. Allegro.mp3' is stored as '" +
                           std::string(96, 'x') + ".mp3' (names on the player have at most 100 bytes)\n"
                           "quavel-cli: '" + std::string(97, 'x') + " - 2. Adagio.mp3' is stored as '" +
                           std::string(94, 'x') + "~2.mp3' (names on the player have at most 100 bytes; another "
                           "file has the shortened name)\n");
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    EXPECT_EQ(player.Names()[2], colon.substr(colon.rfind('/') + 1));
}

TEST_F(CCliEntryTest, DeviceTextsShowPlayerNamesAsTheConsoleDoes)
{
    ASSERT_EQ(Cli({"put", MakeFile("Caf\xC3\xA9.mp3", 100, 7)}).code, kExitDone);
    {
        // A chain that ends before the entry's count of blocks.
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        RioPut16(player.Device().EntrySlot(2) + 2, 3);
        ASSERT_TRUE(player.Device().WriteDirectory());
    }
    SCliRun get = Cli({"get", "Caf\xC3\xA9.mp3", "--to", Path("to")});
    EXPECT_EQ(get.code, kExitFailed);
    EXPECT_EQ(get.err, "Upload file failed!\n\ninvalid block chain of file 'Caf\xC3\xA9.mp3', initialization "
                       "recommended\n");
}
