// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli sync end to end on the virtual player, and the readers of what
// the user names.
#include "tests/sync/SyncSupport.h"

#include "sync/SyncPlan.h"
#include "sync/SyncSources.h"
#ifdef QUAVEL_AUDIO_INPUTS
#include "tests/audio/AudioSupport.h"
#endif

namespace {

const std::vector<SSyncFileSpec> kList = {{"a.mp3", 70000, 1}, {"b.mp3", 33000, 2}, {"c.mp3", 5000, 3}};

struct SStartCase {
    const char* title;
    std::vector<SSyncFileSpec> start;
    int sent;
    std::vector<std::string> options = {};
    int kbps = 0; // a minute's FLAC tone ends the list: it arrives as "minute.mp3" at this bitrate
};

// Same seed and size: the same file as the list's.
const SStartCase kStarts[] = {
    {"empty player", {}, 3},
    {"superset", {{"a.mp3", 70000, 1}, {"d.mp3", 40000, 9}, {"b.mp3", 33000, 2}, {"c.mp3", 5000, 3}}, 0},
    {"subset", {{"b.mp3", 33000, 2}}, 2},
    {"same files, other order", {{"c.mp3", 5000, 3}, {"a.mp3", 70000, 1}, {"b.mp3", 33000, 2}}, 0},
    {"same names, other sizes", {{"a.mp3", 50000, 7}, {"b.mp3", 33000, 2}, {"c.mp3", 6000, 8}}, 2},
    {"same name and size, other content, verified",
     {{"a.mp3", 70000, 7}, {"b.mp3", 33000, 2}, {"c.mp3", 5000, 3}},
     1,
     {"--verify"}},
    // 60 of the card's 63 blocks: the list fits only once these are gone.
    {"full player", {{"x.mp3", 40 * 32768, 5}, {"y.mp3", 20 * 32768, 6}}, 3},
#ifdef QUAVEL_AUDIO_INPUTS
    {"a FLAC converted", {}, 4, {}, 128},
    // 320 kbit/s does not fit; the second run counts the 224 kbit/s file as there.
    {"a FLAC converted at the fitted bitrate", {{"a.mp3", 70000, 1}}, 3, {"--fit", "--bitrate=320", "--verify"}, 224},
#endif
};

TEST_F(CSyncTest, EveryStartingPlayerEndsHoldingTheListInOrder)
{
    for (const SStartCase& c : kStarts) {
        SCOPED_TRACE(c.title);
        std::filesystem::remove_all(PlayerDir());
        Start(c.start);
        std::vector<std::string> more;
#ifdef QUAVEL_AUDIO_INPUTS
        if (c.kbps)
            more.push_back(Input("minute.flac", "sample_rate=8000:duration=60", "-ac 1"));
#endif
        const std::string list = List(kList, more);

        const SCliRun run = Sync(list, c.options);
        ASSERT_EQ(run.code, kExitDone) << run.err;
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(j["outcome"]["sent"], c.sent);
        EXPECT_EQ(j["outcome"]["done"], true);
        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        ASSERT_TRUE(CardFiles(files));
#ifdef QUAVEL_AUDIO_INPUTS
        if (c.kbps) {
            ASSERT_EQ(files.size(), kList.size() + 1);
            EXPECT_EQ(files.back().first, "minute.mp3");
            EXPECT_EQ(FrameFault(files.back().second, c.kbps, 32000), "");
            files.pop_back();
        }
#endif
        EXPECT_TRUE(files == Expected("list", kList));

        // A second sync of the same list plans nothing and changes nothing.
        const std::vector<uint8_t> image = CardImage();
        const SCliRun again = Sync(list, c.options);
        ASSERT_EQ(again.code, kExitDone) << again.err;
        EXPECT_EQ(nlohmann::json::parse(again.out)["plan"]["line"],
                  "keep " + std::to_string(files.size() + (c.kbps ? 1 : 0)) +
                      ", delete 0, send 0 (0.0 MB, about 0 s at the chosen speed)");
        EXPECT_TRUE(CardImage() == image);
    }
}

#ifdef QUAVEL_AUDIO_INPUTS
// A conversion at any bitrate up to --bitrate counts as there for a fitted sync.
TEST_F(CSyncTest, FittedSyncKeepsAConversionAtALowerBitrate)
{
    const std::string flac = Input("minute.flac", "sample_rate=8000:duration=60", "-ac 1");
    ASSERT_EQ(Run({"--card", "put", "--bitrate=96", flac}).code, kExitDone);
    const std::vector<uint8_t> image = CardImage();
    const SCliRun run = Sync(flac, {"--fit", "--bitrate=320"});
    ASSERT_EQ(run.code, kExitDone) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["outcome"]["sent"], 0);
    EXPECT_TRUE(CardImage() == image);
}
#endif

TEST_F(CSyncTest, DryRunPrintsThePlanAndLeavesTheImage)
{
    Start({{"d.mp3", 40000, 9}, {"b.mp3", 33000, 2}});
    const std::vector<uint8_t> image = CardImage();
    const SCliRun run = Run({"--card", "sync", List(kList), "--dry-run"});
    ASSERT_EQ(run.code, kExitDone) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find(" (")), "keep 1, delete 1, send 2");
    EXPECT_TRUE(CardImage() == image);
}

// Each refusal names what is wrong, and the player stays as it was.
TEST_F(CSyncTest, RefusalsChangeNothing)
{
    Start({{"d.mp3", 40000, 9}});
    const std::string list = List(kList);
    std::filesystem::create_directories(Path("other"));
    const std::string twin = MakeFile("other/a.mp3", 100, 4);
    const std::string big = Make("list", {"big.mp3", 62 * 32768, 5});
    std::vector<std::string> many;
    for (int i = 0; i < 61; ++i)
        many.push_back(Make("many", {("m" + std::to_string(i) + ".mp3").c_str(), 10, 1}));
    const std::string playlist = Path("own.pst");
    const std::string own =
        "[Playlist]\r\n" + Path("gone1.mp3") + "\r\n" + Path("list") + "\r\n" + Path("gone2.mp3") + "\r\n";
    ASSERT_TRUE(WriteFile(playlist, std::vector<uint8_t>(own.begin(), own.end())));
    struct SCase {
        std::vector<std::string> sources;
        std::vector<std::string> reasons;
    };
    const SCase cases[] = {
        {{playlist},
         {"'" + Path("gone1.mp3") + "' is missing", "'" + Path("list") + "' is a folder, not a file",
          "'" + Path("gone2.mp3") + "' is missing"}},
        {{list, twin}, {"'" + twin + "' and '" + Path("list/a.mp3") + "' would both be stored as 'a.mp3'"}},
        {{list, big},
         {"the list does not fit: the files to send need 68 blocks of 32 KB, 63 are free once the "
          "deletes are done"}},
        {many, {"the list has 61 files; the player holds at most 60"}},
#ifdef QUAVEL_AUDIO_INPUTS
        {{list, big, "--fit"}, {"the files do not fit even at 32 kbit/s: they need 68 blocks of 32 KB, 63 are free"}},
#endif
#ifndef _WIN32
        {{"/dev/null"}, {"'/dev/null' is a device, not a file"}},
#endif
    };
    const std::vector<uint8_t> image = CardImage();
    for (const SCase& c : cases) {
        std::vector<std::string> args{"--card", "sync", "--json"};
        args.insert(args.end(), c.sources.begin(), c.sources.end());
        const SCliRun run = Run(args);
        EXPECT_EQ(run.code, kExitFailed);
        EXPECT_EQ(nlohmann::json::parse(run.out)["refused"], c.reasons);
        EXPECT_TRUE(CardImage() == image);
    }
}

TEST(SyncSources, M3uEntriesAndEncodings)
{
    struct SCase {
        const char* bytes;
        bool m3u8;
        std::vector<std::string> entries;
    };
    const SCase cases[] = {
        {"#EXTM3U\r\n#EXTINF:5,T\r\n  a.mp3 \r\n\r\n/abs/b.mp3\n# c.mp3\n", false, {"a.mp3", "/abs/b.mp3"}},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9.mp3\n",
         false,
         {"caf\xC3\xA9.mp3"}},
        // Not UTF-8: Windows-1252, the euro sign included.
        {"caf\xE9 \x80.mp3\n", false, {"caf\xC3\xA9 \xE2\x82\xAC.mp3"}},
        {"caf\xE9.mp3\n", true, {"caf\xE9.mp3"}},
        // Overlong and surrogate forms are no UTF-8.
        {"\xC0\xAF\xED\xA0\x80\n", false, {"\xC3\x80\xC2\xAF\xC3\xAD\xC2\xA0\xE2\x82\xAC"}},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(ParseM3u(c.bytes, c.m3u8), c.entries) << c.bytes;
}

TEST_F(CSyncTest, FoldersGiveTheirMusicFilesSortedByName)
{
    for (const char* name : {"b.MP3", "a.mp3", "notes.txt", "sub/c.mp3", "sub/deeper/d.mp2"})
        Make("tree", {name, 10, 1});
#ifdef _WIN32
    const std::string tree = Path("tree") + "\\", sub = "sub\\";
#else
    const std::string tree = Path("tree") + "/", sub = "sub/";
#endif
    EXPECT_EQ(ReadSyncSources({tree}, false).paths, (std::vector<std::string>{tree + "a.mp3", tree + "b.MP3"}));
    EXPECT_EQ(ReadSyncSources({tree}, true).paths,
              (std::vector<std::string>{tree + "a.mp3", tree + "b.MP3", tree + sub + "c.mp3",
                                        tree + sub + "deeper" + sub.back() + "d.mp2"}));
}

TEST(SyncPlanLine, CountsSizeAndTime)
{
    SSyncPlan plan;
    plan.keptSlot = {0, 1, 2, 3, 4, -1, -1, -1, -1, -1, -1, -1};
    plan.sends = {5, 6, 7, 8, 9, 10, 11};
    plan.deletes = {5, 6, 7};
    plan.sendBytes = 13002342;
    EXPECT_EQ(SyncPlanLine(plan, 99.6), "keep 5, delete 3, send 7 (12.4 MB, about 1 min 40 s at the chosen speed)");
}

} // namespace
