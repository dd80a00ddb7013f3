// SPDX-License-Identifier: GPL-3.0-or-later
// What quavel-cli's get and dump leave on the PC when a file call, the free
// space or the player fails: exit code 1 with the reason, the older file of the
// same name as it was, nothing half-written beside it.
#include "tests/cli/CliTestSupport.h"

#include <filesystem>

#include "playlist/UploadChecks.h"
#include "tests/playlist/FailingPcFiles.h"

namespace {

using Calls = std::vector<std::string>;

long FilesIn(const std::string& folder)
{
    return static_cast<long>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

// The free space must hold all files, not the last one alone.
TEST_F(CCliTest, EachFailingPcFileCallOfGetKeepsTheOldFile)
{
    ASSERT_EQ(Cli({"put", MakeFile("song", 40000, 4), MakeFile("b", 3000, 5)}).code, kExitDone);
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    const std::vector<uint8_t> old = MakeBytes(1234, 99);
    ASSERT_TRUE(WriteFile(to + "/song", old));
    CFailingPcFiles files;
    m_pcFiles = &files;
    files.freeSpace = 42999;
    EXPECT_EQ(Cli({"get", "b", "song", "--to", to}).err, FreeSpaceMessage(42999, 43000) + "\n");
    files.freeSpace = 40000; // exactly enough
    files.FailCall(-1);
    ASSERT_EQ(Cli({"get", "song", "--to", to}).code, kExitDone);
    ASSERT_EQ(files.calls, (Calls{"free", "open", "write", "write", "flush", "close", "replace"}));
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(WriteFile(to + "/song", old));
        files.FailCall(i);
        const SCliRun run = Cli({"get", "song", "--to", to});
        EXPECT_EQ(run.code, kExitFailed) << i;
        EXPECT_NE(run.err, "") << i;
        EXPECT_EQ(ReadFile(to + "/song"), old) << i;
        EXPECT_EQ(FilesIn(to), 1) << i;
    }
}

TEST_F(CCliTest, EachFailingPcFileCallOfDumpKeepsTheOldImage)
{
    ASSERT_EQ(Cli({"--card-size=2", "--card", "put", MakeFile("a", 1000, 7)}).code, kExitDone);
    const std::string dump = Path("dump");
    ASSERT_EQ(Cli({"--card", "dump", dump}).code, kExitDone);
    const std::vector<uint8_t> old = ReadFile(dump + "/card.img");
    ASSERT_EQ(Cli({"--card", "put", MakeFile("b", 1000, 8)}).code, kExitDone);
    CFailingPcFiles files;
    m_pcFiles = &files;
    ASSERT_EQ(Cli({"--card", "dump", Path("second")}).code, kExitDone);
    ASSERT_EQ(files.calls.size(), 68u); // open, 64 blocks, flush, close, replace
    for (int i : {0, 1, 64, 65, 66, 67}) {
        files.FailCall(i);
        const SCliRun run = Cli({"--card", "dump", dump});
        EXPECT_EQ(run.code, kExitFailed) << i;
        EXPECT_EQ(run.err.rfind("Dump failed!\n\n", 0), 0u) << run.err;
        EXPECT_EQ(ReadFile(dump + "/card.img"), old) << i;
        EXPECT_EQ(FilesIn(dump), 1);
    }
}

// A block that cannot be read fails the dump, unless the last check marked it
// bad: then it is stored erased and the run warns.
TEST_F(CCliTest, UnreadableBlocksOfADump)
{
    for (const bool check : {false, true}) {
        m_playerFaults = [](CVirtualPlayer& player) { player.Faults().AddBadBlock(EMemory::Card, 5); };
        const SCliRun format =
            check ? Cli({"--card-size=2", "--card", "format", "--check"}) : Cli({"--card-size=2", "--card", "format"});
        ASSERT_EQ(format.code, kExitDone) << format.err;
        m_playerFaults = [](CVirtualPlayer& player) {
            player.Faults().AddNeverReadyAt(EFaultPhase::ReadAddress, EMemory::Card, 5 * 64);
        };
        const std::string dump = Path(check ? "checked" : "unchecked");
        const SCliRun run = Cli({"--card", "dump", dump});
        EXPECT_EQ(run.code, check ? kExitDone : kExitFailed);
        EXPECT_EQ(run.err, check ? "quavel-cli: warning: 1 bad blocks could not be read and are stored erased\n"
                                 : "Dump failed!\n\ntoo many retries for rx block\n");
        EXPECT_EQ(FilesIn(dump), check ? 1 : 0);
    }
}

} // namespace
