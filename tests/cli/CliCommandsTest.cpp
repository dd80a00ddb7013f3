// SPDX-License-Identifier: GPL-3.0-or-later
// Every command of quavel-cli against the virtual player: what it prints, what
// it returns, and what lands on the player and on the PC.
#include "tests/cli/CliTestSupport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "device/RioSession.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const std::vector<uint8_t> kMpeg1Layer3At128 = {0xFF, 0xFB, 0x90, 0x64};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(CCliTest, PutListsGetsBackAndLandsOnThePlayer)
{
    const std::string live = MakeFile("LIVE.MP3", 70000, 1, kMpeg1Layer3At128);
    const std::string notes = MakeFile("notes.txt", 32768, 2);
    SCliRun put = Cli({"put", live, notes});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_EQ(put.out, "");
    EXPECT_EQ(put.err, "");   // not a terminal: no progress line

    // Where it landed: a fresh device over the same images.
    // Each file has its own time of download: the two may lie a second apart.
    std::string date[2];
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        EXPECT_EQ(player.Names(), (std::vector<std::string>{"LIVE.MP3", "notes.txt"}));
        for (int slot = 0; slot < 2; ++slot)
            date[slot] = CRioSession::FormatDateTime(DirectoryEntry::Read(player.Device().EntrySlot(slot)).time);
    }

    SCliRun list = Cli({"list"});
    ASSERT_EQ(list.code, kExitDone) << list.err;
    // The main window's texts: "%2d" number, name, size, shown bitrate ("%-3d" or "  -"), date.
    const std::string expected = "  No. Title    Size   Bitr.  Downl. Date/Time\n"
                                 " 1. LIVE.MP3   70000  128    " + date[0] + "\n"
                                 " 2. notes.txt  32768    -    " + date[1] + "\n"
                                 "Memory:   total: 32768 KB   used : 160 KB   free : 32608 KB\n";
    EXPECT_EQ(list.out, expected);

    SCliRun json = Cli({"list", "--json"});
    ASSERT_EQ(json.code, kExitDone) << json.err;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["memory"], "internal");
    EXPECT_EQ(j["total_kb"], 32768);
    EXPECT_EQ(j["used_kb"], 160);
    EXPECT_EQ(j["free_kb"], 32608);
    ASSERT_EQ(j["files"].size(), 2u);
    EXPECT_EQ(j["files"][0]["number"], 1);
    EXPECT_EQ(j["files"][0]["name"], "LIVE.MP3");
    EXPECT_EQ(j["files"][0]["size"], 70000);
    EXPECT_EQ(j["files"][0]["bitrate"], 128);
    EXPECT_EQ(j["files"][0]["date"], date[0]);
    EXPECT_TRUE(j["files"][1]["bitrate"].is_null());

    const std::string to = Path("back");
    std::filesystem::create_directory(to);
    SCliRun get = Cli({"get", "LIVE.MP3", "notes.txt", "--to", to});
    ASSERT_EQ(get.code, kExitDone) << get.err;
    EXPECT_EQ(ReadFile(to + "/LIVE.MP3"), ReadFile(live));
    EXPECT_EQ(ReadFile(to + "/notes.txt"), ReadFile(notes));
    // Nothing but the two files: the folder for partial files is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(to), std::filesystem::directory_iterator()), 2);
}

// Names are UTF-8 on the command line and Windows-1252 on the player.
TEST_F(CCliTest, NamesTravelInTheLocaleAndLandInWindows1252)
{
    const std::string cafe = "Caf\xC3\xA9 \xE2\x80\x93 \xC3\x9Cn\xC3\xAFon.mp3"; // "Café – Ünïon.mp3"
    const std::string longName = std::string(150, 'L') + ".mp3";
    const std::string cutName = std::string(96, 'L') + ".mp3";
    const std::string a = MakeFile(cafe, 5000, 1), b = MakeFile("b.mp3", 40000, 2), c = MakeFile(longName, 3000, 3);

    // A name the player cannot hold stops the command before anything is sent.
    SCliRun refused = Cli({"put", a, MakeFile("\xE4\xB8\xAD.mp3", 10, 4)});
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_TRUE(Contains(refused.err, "'\xE4\xB8\xAD' (U+4E2D), which has no form")) << refused.err;

    SCliRun put = Cli({"put", a, b, c});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_EQ(put.err, "quavel-cli: '" + longName + "' is stored as '" + cutName +
                           "' (names on the player have at most 100 bytes)\n");
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        EXPECT_EQ(player.Names(), (std::vector<std::string>{"Caf\xE9 \x96 \xDCn\xEFon.mp3", "b.mp3", cutName}));
    }

    // The size column starts at the same character on every row.
    SCliRun list = Cli({"list"});
    ASSERT_EQ(list.code, kExitDone) << list.err;
    std::istringstream lines(list.out);
    std::string line;
    std::vector<size_t> sizeColumns;
    for (const char* size : {"Size", "5000", "40000", "3000"}) {
        std::getline(lines, line);
        const size_t at = line.find(std::string(size) + " ");
        ASSERT_NE(at, std::string::npos) << line;
        // Characters before it: bytes that do not continue a UTF-8 sequence.
        sizeColumns.push_back(
            std::count_if(line.begin(), line.begin() + at, [](char ch) { return (ch & 0xC0) != 0x80; }));
    }
    EXPECT_EQ(sizeColumns, std::vector<size_t>(4, sizeColumns[0])) << list.out;
    EXPECT_TRUE(Contains(list.out, " 1. " + cafe)) << list.out;
    EXPECT_EQ(nlohmann::json::parse(Cli({"list", "--json"}).out)["files"][0]["name"], cafe);

    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    SCliRun get = Cli({"get", cafe, cutName, "--to", to});
    ASSERT_EQ(get.code, kExitDone) << get.err;
    EXPECT_EQ(ReadFile(to + "/" + cafe), ReadFile(a));
    EXPECT_EQ(ReadFile(to + "/" + cutName), ReadFile(c));

    SCliRun invalid = Cli({"rm", "caf\xE9.mp3"});
    EXPECT_EQ(invalid.code, kExitFailed);
    EXPECT_EQ(invalid.err, "Delete file failed!\n\nthe name 'caf\\xE9.mp3' is not UTF-8 text (byte 0xE9)\n");

#ifndef _WIN32
    // Control characters reach no terminal: shown escaped, and named that way.
    ASSERT_EQ(Cli({"put", MakeFile("a\x1B[2Jb\x07.mp3", 5000, 9)}).code, kExitDone);
    list = Cli({"list"});
    EXPECT_TRUE(Contains(list.out, " 4. a\\x1B[2Jb\\x07.mp3")) << list.out;
    EXPECT_FALSE(Contains(list.out, "\x1B"));
    ASSERT_EQ(Cli({"move", "a\\x1B[2Jb\\x07.mp3", "1"}).code, kExitDone);
    ASSERT_EQ(Cli({"rm", "a\\x1B[2Jb\\x07.mp3"}).code, kExitDone);
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    EXPECT_EQ(player.Names().size(), 3u);
#endif
}

TEST_F(CCliTest, InfoTellsMemoryPortAndSpeed)
{
    ASSERT_EQ(Cli({"put", MakeFile("a.mp3", 40000, 3)}).code, kExitDone);
    SCliRun info = RunQuavelCli({"--virtual-player=" + PlayerDir(), "--speed=FAST", "info"});
    ASSERT_EQ(info.code, kExitDone) << info.err;
    EXPECT_TRUE(Contains(info.out, "Memory:     internal, 32 MB internal memory in chips of 8 MB\n"));
    EXPECT_TRUE(Contains(info.out, "Port:       0x378 (virtual player in " + PlayerDir() + ")\n"));
    EXPECT_TRUE(Contains(info.out, "Speed:      FAST, FAST, FAST (IODelayInit 15000, IODelayTx 10, IODelayRx 1)\n"));
    EXPECT_TRUE(Contains(info.out, "Files:      1\n"));
    // One file of 2 blocks and the directory block.
    EXPECT_TRUE(Contains(info.out, "Used:       96 KB\n"));
    EXPECT_TRUE(Contains(info.out, "Bad blocks: 0\n"));

    SCliRun json = RunQuavelCli({"--virtual-player=" + PlayerDir(), "--speed=SLOW,medium,8", "info", "--json"});
    ASSERT_EQ(json.code, kExitDone) << json.err;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["memory_blocks"], 1024);
    EXPECT_EQ(j["port"]["base"], 0x378);
    EXPECT_EQ(j["speed"]["init"]["speed"], "SLOW");
    EXPECT_EQ(j["speed"]["tx"]["count"], 100);
    EXPECT_EQ(j["speed"]["rx"]["speed"], "8");   // a count that is none of the three
    EXPECT_EQ(j["files"], 1);
    EXPECT_EQ(j["used_kb"], 96);
    EXPECT_EQ(j["bad_blocks"], 0);
}

TEST_F(CCliTest, RemoveAndMoveChangeTheDirectory)
{
    ASSERT_EQ(Cli({"put", MakeFile("one", 1000, 1), MakeFile("two", 1000, 2), MakeFile("three", 1000, 3)}).code,
              kExitDone);
    SCliRun move = Cli({"move", "three", "1"});
    ASSERT_EQ(move.code, kExitDone) << move.err;
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        EXPECT_EQ(player.Names(), (std::vector<std::string>{"three", "one", "two"}));
    }
    ASSERT_EQ(Cli({"move", "three", "3"}).code, kExitDone);
    ASSERT_EQ(Cli({"rm", "one"}).code, kExitDone);
    {
        CReopenedPlayer player(PlayerDir());
        ASSERT_TRUE(player.Read());
        EXPECT_EQ(player.Names(), (std::vector<std::string>{"two", "three"}));
        EXPECT_EQ(player.Device().GetHeader().used, 3);
    }

    SCliRun missing = Cli({"rm", "two", "nothere"});    // refused before anything is deleted
    EXPECT_EQ(missing.code, kExitFailed);
    EXPECT_EQ(missing.err, "Delete file failed!\n\nfile 'nothere' not present on device\n");
    SCliRun far = Cli({"move", "three", "3"});
    EXPECT_EQ(far.code, kExitFailed);
    EXPECT_EQ(far.err, "Move file failed!\n\ninvalid file position\n");
    SCliRun absent = Cli({"move", "nothere", "1"});
    EXPECT_EQ(absent.code, kExitFailed);
    EXPECT_EQ(absent.err, "Move file failed!\n\nfile 'nothere' not present on device\n");
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    EXPECT_EQ(player.Names(), (std::vector<std::string>{"two", "three"}));
}

TEST_F(CCliTest, FormatEmptiesTheMemory)
{
    ASSERT_EQ(Cli({"put", MakeFile("a", 50000, 1)}).code, kExitDone);
    SCliRun format = Cli({"format"});
    ASSERT_EQ(format.code, kExitDone) << format.err;
    CReopenedPlayer player(PlayerDir());
    ASSERT_TRUE(player.Read());
    const DirectoryHeader h = player.Device().GetHeader();
    EXPECT_EQ(h.count, 0);
    EXPECT_EQ(h.free, 1024);
    EXPECT_EQ(h.formatMark, kRioFormatMark);
}

TEST_F(CCliTest, DirectoryWithChecksumFaultNeedsAFormat)
{
    ASSERT_EQ(Cli({"put", MakeFile("a", 1000, 1)}).code, kExitDone);
    {
        // One byte of the directory's entry area changes on the player.
        std::FILE* image = std::fopen((PlayerDir() + "/internal.img").c_str(), "r+b");
        ASSERT_NE(image, nullptr);
        std::fseek(image, 528 + 10, SEEK_SET);
        std::fputc(0x5A, image);
        std::fclose(image);
    }
    SCliRun list = Cli({"list"});
    EXPECT_EQ(list.code, kExitFailed);
    EXPECT_EQ(list.err, "Download directory failed!\n\ninvalid directory checksum, initialization recommended\n");
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(Cli({"put", MakeFile("b", 1000, 2)}).code, kExitFailed);
    ASSERT_EQ(Cli({"format"}).code, kExitDone);
    SCliRun after = Cli({"list"});
    EXPECT_EQ(after.code, kExitDone) << after.err;
}

TEST_F(CCliTest, CardIsUsedWithCardOption)
{
    // No card image and no size: the player has no card.
    SCliRun none = Cli({"--card", "list"});
    EXPECT_EQ(none.code, kExitFailed);
    EXPECT_EQ(none.err, "Memory card not found!\n\ndevice not found\n");

    const std::string file = MakeFile("card.mp3", 100000, 5);
    SCliRun put = Cli({"--card-size=2", "--card", "put", file});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_TRUE(Contains(Cli({"--card", "list"}).out, " 1. card.mp3"));
    EXPECT_EQ(Cli({"list"}).out.find("card.mp3"), std::string::npos);
    // card.img now exists: its size names the card from here on.
    SCliRun format = Cli({"--card", "format", "--check"});
    ASSERT_EQ(format.code, kExitDone) << format.err;
    SCliRun json = Cli({"--card", "info", "--json"});
    ASSERT_EQ(json.code, kExitDone) << json.err;
    const nlohmann::json j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["memory"], "card");
    EXPECT_EQ(j["total_kb"], 2048);
    EXPECT_EQ(j["files"], 0);
    EXPECT_EQ(j["bad_blocks"], 0);
}

TEST_F(CCliTest, FailuresGiveTheDeviceTextAndExitCodeOne)
{
    SCliRun missing = Cli({"put", Path("nothere.mp3")});
    EXPECT_EQ(missing.code, kExitFailed);
    EXPECT_EQ(missing.err, "Download file failed!\n\nunable to open '" + Path("nothere.mp3") + "' for read\n");

    SCliRun unsafe = Cli({"get", "..", "--to", Path("")});
    EXPECT_EQ(unsafe.code, kExitFailed);
    EXPECT_EQ(unsafe.err, "Upload file failed!\n\nthe name '..' cannot be used for a file on the PC\n");

    SCliRun noFolder = Cli({"get", "a", "--to", Path("none")});
    EXPECT_EQ(noFolder.code, kExitFailed);

    // One missing file does not stop the others, but fails the run.
    ASSERT_EQ(Cli({"put", MakeFile("here", 3000, 1)}).code, kExitDone);
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    SCliRun some = Cli({"get", "gone", "here", "--to", to});
    EXPECT_EQ(some.code, kExitFailed);
    EXPECT_EQ(some.err, "Upload file failed!\n\nfile 'gone' not present on device\n");
    EXPECT_EQ(ReadFile(to + "/here").size(), 3000u);
    EXPECT_FALSE(std::filesystem::exists(to + "/gone"));
}

#ifndef _WIN32
// A memory image that cannot be written (a full disk) fails the command, even
// though the player itself answered every step.
TEST_F(CCliTest, AnImageWriteThatFailsFailsTheRun)
{
    ASSERT_EQ(Cli({"put", MakeFile("first", 3000, 1)}).code, kExitDone);   // the images exist now
    const std::string second = MakeFile("second", 3000, 2);
    // Writes beyond the first block of an image fail, as on a full disk.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = 40000;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const SCliRun run = Cli({"put", second});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_TRUE(Contains(run.err, "quavel-cli: the virtual player's memory failed: image '")) << run.err;
    EXPECT_TRUE(Contains(run.err, "' could not be written")) << run.err;
}
#endif

TEST_F(CCliTest, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(RunQuavelCli({}).code, kExitUsage);
    EXPECT_EQ(Cli({"frobnicate"}).code, kExitUsage);
    EXPECT_EQ(Cli({"put"}).code, kExitUsage);
    EXPECT_EQ(Cli({"put", "--json", "x"}).code, kExitUsage);
    EXPECT_EQ(Cli({"move", "a", "0"}).code, kExitUsage);
    EXPECT_EQ(Cli({"move", "a", "first"}).code, kExitUsage);
    EXPECT_EQ(Cli({"--speed=QUICK", "list"}).code, kExitUsage);
    EXPECT_EQ(Cli({"--speed=1,2", "list"}).code, kExitUsage);
    EXPECT_EQ(Cli({"--player-size=48", "list"}).code, kExitUsage);
    EXPECT_EQ(Cli({"--port=0x378", "list"}).code, kExitUsage);   // excludes --virtual-player
    EXPECT_EQ(RunQuavelCli({"--card-size=2", "list"}).code, kExitUsage);   // needs --virtual-player
    EXPECT_EQ(RunQuavelCli({"--port=banana", "list"}).code, kExitUsage);
    SCliRun usage = Cli({"rm"});
    EXPECT_TRUE(Contains(usage.err, "NAME"));
    // Nothing was created for a command line that was refused.
    EXPECT_FALSE(std::filesystem::exists(PlayerDir()));

    SCliRun help = RunQuavelCli({"--help"});
    EXPECT_EQ(help.code, kExitDone);
    for (const char* command : {"list", "info", "put", "get", "rm", "move", "format", "dump", "verify"})
        EXPECT_TRUE(Contains(help.out, command)) << command;
}

TEST_F(CCliTest, DumpOpensAsAPlayerWithEveryFile)
{
    // A 2 MB card keeps the dump small; its image must match the source byte for byte.
    const std::string a = MakeFile("a.mp3", 70000, 11, kMpeg1Layer3At128);
    const std::string b = MakeFile("b.mp3", 32768, 12);
    const std::string c = MakeFile("c.mp3", 1, 13);
    ASSERT_EQ(Cli({"--card-size=2", "--card", "put", a, b, c}).code, kExitDone);

    const std::string dump = Path("dump");
    SCliRun run = Cli({"--card", "dump", dump});
    ASSERT_EQ(run.code, kExitDone) << run.err;
    EXPECT_EQ(ReadFile(dump + "/card.img"), ReadFile(PlayerDir() + "/card.img"));
    EXPECT_FALSE(std::filesystem::exists(dump + "/card.img.part"));

    // The dump is a player of its own: every file reads back.
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    SCliRun get = Cli({"--card", "get", "a.mp3", "b.mp3", "c.mp3", "--to", to}, dump);
    ASSERT_EQ(get.code, kExitDone) << get.err;
    EXPECT_EQ(ReadFile(to + "/a.mp3"), ReadFile(a));
    EXPECT_EQ(ReadFile(to + "/b.mp3"), ReadFile(b));
    EXPECT_EQ(ReadFile(to + "/c.mp3"), ReadFile(c));
    SCliRun list = Cli({"--card", "list", "--json"}, dump);
    EXPECT_EQ(nlohmann::json::parse(list.out)["files"][0]["bitrate"], 128);
}

TEST_F(CCliTest, DumpOfTheInternalMemoryKeepsChainsAfterADelete)
{
    const std::string a = MakeFile("a", 100000, 21);
    const std::string b = MakeFile("b", 90000, 22);
    ASSERT_EQ(Cli({"put", a, b}).code, kExitDone);
    ASSERT_EQ(Cli({"rm", "a"}).code, kExitDone);
    const std::string c = MakeFile("c", 200000, 23);   // reuses a's blocks and more
    ASSERT_EQ(Cli({"put", c}).code, kExitDone);

    const std::string dump = Path("dump");
    ASSERT_EQ(Cli({"dump", dump}).code, kExitDone);
    const std::vector<uint8_t> source = ReadFile(PlayerDir() + "/internal.img");
    const std::vector<uint8_t> copy = ReadFile(dump + "/internal.img");
    ASSERT_EQ(copy.size(), source.size());
    // Every block a file or the directory uses is the same, spare areas included.
    CReopenedPlayer player(dump);
    ASSERT_TRUE(player.Read());
    const size_t blockBytes = 64 * 528;
    for (int block = 0; block < 1024; ++block) {
        if (player.Device().GetBlockState(block) != kRioBlockUsed)
            continue;
        const size_t at = static_cast<size_t>(block) * blockBytes;
        EXPECT_TRUE(std::equal(copy.begin() + at, copy.begin() + at + blockBytes, source.begin() + at))
            << "block " << block;
    }
    const std::string to = Path("to");
    std::filesystem::create_directory(to);
    ASSERT_EQ(Cli({"get", "b", "c", "--to", to}, dump).code, kExitDone);
    EXPECT_EQ(ReadFile(to + "/b"), ReadFile(b));
    EXPECT_EQ(ReadFile(to + "/c"), ReadFile(c));
}

TEST_F(CCliTest, DumpRefusesThePlayersOwnFolder)
{
    ASSERT_EQ(Cli({"list"}).code, kExitDone);
    SCliRun run = Cli({"dump", PlayerDir()});
    EXPECT_EQ(run.code, kExitFailed);
    EXPECT_TRUE(Contains(run.err, "own folder"));
}

TEST_F(CCliTest, VerifyComparesPlayerFilesWithThePcFolder)
{
    const std::string pc = m_folder.Path("pc");
    std::filesystem::create_directory(pc);
    std::vector<std::string> paths;
    for (const char* name : {"same.mp3", "longer.mp3", "gone.mp3", "changed.mp3"})
        paths.push_back(MakeFile("pc/" + std::string(name), 40000, static_cast<uint32_t>(paths.size())));
    // Each file's two blocks are sent, then read back: progress runs to block 3 of 4.
    int lastDone = -1, lastTotal = -1;
    CCliProgress::SetBlockHook([&](int done, int total) { lastDone = done, lastTotal = total; });
    SCliRun put = Cli({"put", "--verify", paths[0], paths[1], paths[2], paths[3]});
    ASSERT_EQ(put.code, kExitDone) << put.err;
    EXPECT_EQ(std::make_pair(lastDone, lastTotal), std::make_pair(3, 4));

    std::ofstream(paths[1], std::ios::binary | std::ios::app) << 'x';
    std::filesystem::remove(paths[2]);
    std::vector<uint8_t> changed = ReadFile(paths[3]);
    changed[39999] ^= 0x01; // in the last block
    ASSERT_TRUE(WriteFile(paths[3], changed));
    SCliRun all = Cli({"verify", "--in", pc});
    EXPECT_EQ(all.code, kExitFailed);
    EXPECT_EQ(all.out, "same: same.mp3\ndiffers: longer.mp3\nmissing on the PC: gone.mp3\ndiffers: changed.mp3\n");
    SCliRun named = Cli({"verify", "same.mp3", "--in", pc});
    EXPECT_EQ(named.code, kExitDone);
    EXPECT_EQ(named.out, "same: same.mp3\n");
    named = Cli({"verify", "same.mp3", "never.mp3", "--in", pc});
    EXPECT_EQ(named.code, kExitFailed);
    EXPECT_EQ(named.out, "same: same.mp3\nmissing on the player: never.mp3\n");
}

}  // namespace
