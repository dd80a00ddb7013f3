// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C during long work: the operation stops between two blocks, the run
// fails with exit code 1, and the player's directory is the old one or the new
// one, never something in between.
#include "tests/cli/CliTestSupport.h"

#include <csignal>
#include <filesystem>

namespace {

TEST_F(CCliTest, InterruptedPutKeepsTheOldDirectory)
{
    const std::string first = MakeFile("first", 40000, 1);
    ASSERT_EQ(Cli({"put", first}).code, kExitDone);
    const std::string big = MakeFile("big", 5 * 32768, 2);
    const std::string after = MakeFile("after", 1000, 3);
    InterruptAt(3);
    SCliRun run = Cli({"put", big, after});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Download file failed!\n\noperation interrupted\n");
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());   // checksums hold
        EXPECT_EQ(player.Names(), std::vector<std::string>{"first"});
        EXPECT_EQ(player.Device().GetHeader().free, 1024 - 3);
    }
    // The player works on: the same file goes through now.
    CCliProgress::SetBlockHook(nullptr);
    ClearInterrupt();
    ASSERT_EQ(Cli({"put", big}).code, kExitDone);
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    ASSERT_EQ(Cli({"get", "big", "first", "--to", to}).code, kExitDone);
    EXPECT_EQ(ReadFile(to + "/big"), ReadFile(big));
    EXPECT_EQ(ReadFile(to + "/first"), ReadFile(first));
}

TEST_F(CCliTest, InterruptBetweenFilesKeepsTheFinishedOnes)
{
    const std::string a = MakeFile("a", 40000, 1);
    const std::string b = MakeFile("b", 40000, 2);
    // a has 2 blocks: the third call of the progress callback is b's first block.
    int calls = 0;
    CCliProgress::SetBlockHook([&calls](int, int) {
        if (++calls == 3)
            RequestInterrupt();
    });
    SCliRun run = Cli({"put", a, b});
    EXPECT_EQ(run.code, kExitFailed);
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    EXPECT_EQ(player.Names(), std::vector<std::string>{"a"});
}

TEST_F(CCliTest, InterruptedGetLeavesTheOldPcFile)
{
    const std::string song = MakeFile("song", 4 * 32768, 4);
    ASSERT_EQ(Cli({"put", song}).code, kExitDone);
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    const std::vector<uint8_t> old = MakeBytes(1234, 99);
    ASSERT_TRUE(WriteFile(to + "/song", old));
    InterruptAt(2);
    SCliRun run = Cli({"get", "song", "--to", to});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Upload file failed!\n\noperation interrupted\n");
    EXPECT_EQ(ReadFile(to + "/song"), old);
    // No partial file or folder stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(to), std::filesystem::directory_iterator()), 1);
}

TEST_F(CCliTest, InterruptedCheckLeavesAnEmptyDirectory)
{
    const std::string song = MakeFile("song", 70000, 6);
    ASSERT_EQ(Cli({"--card-size=2", "--card", "put", song}).code, kExitDone);
    // Blocks 1 to 4 hold test patterns now: song's blocks among them. The
    // empty directory was stored before the test began, so none lists them.
    InterruptAt(5);
    SCliRun run = Cli({"--card", "format", "--check"});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Initialize (format) failed!\n\noperation interrupted\n");
    CReopenedPlayer player(PlayerDir(), true, 0x64);
    ASSERT_TRUE(player.Read());
    const DirectoryHeader h = player.Device().GetHeader();
    EXPECT_EQ(h.count, 0);
    EXPECT_EQ(h.total, 64);
    EXPECT_EQ(h.used + h.free, h.total);
    EXPECT_EQ(h.formatMark, kRioFormatMark);
}

TEST_F(CCliTest, InterruptedDumpLeavesNoImage)
{
    ASSERT_EQ(Cli({"--card-size=2", "--card", "put", MakeFile("a", 1000, 7)}).code, kExitDone);
    InterruptAt(10);
    const std::string dump = Path("dump");
    SCliRun run = Cli({"--card", "dump", dump});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Dump failed!\n\noperation interrupted\n");
    EXPECT_FALSE(std::filesystem::exists(dump + "/card.img"));
    EXPECT_FALSE(std::filesystem::exists(dump + "/card.img.part"));
}

#ifndef _WIN32
// The real path: SIGINT reaches the handler, which only asks for a stop.
TEST_F(CCliTest, SigintStopsAtTheNextBlock)
{
    InstallInterruptHandlers();
    const std::string big = MakeFile("big", 4 * 32768, 8);
    CCliProgress::SetBlockHook([](int done, int) {
        if (done == 2)
            std::raise(SIGINT);
    });
    SCliRun run = Cli({"put", big});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_EQ(run.err, "Download file failed!\n\noperation interrupted\n");
    EXPECT_TRUE(InterruptRequested());
    std::signal(SIGINT, SIG_DFL);
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    EXPECT_EQ(player.Device().EntryCount(), 0);
}
#endif

}  // namespace
