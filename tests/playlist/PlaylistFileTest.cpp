// SPDX-License-Identifier: GPL-3.0-or-later
// The playlist file: reading rules on exact bytes, the bytes written, rows made
// for PC files, and a save that cannot complete leaving the old file untouched.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "playlist/PlaylistFile.h"
#include "tests/playlist/FailingPcFiles.h"
#include "tests/playlist/PlaylistCheck.h"
#include "tests/playlist/TempFolder.h"

namespace {

using Texts = std::vector<std::string>;

TEST(PlaylistRead, FirstLineIsSkippedWhateverItHolds)
{
    EXPECT_EQ(ParsePlaylist("[Playlist]\r\nC:\\a.mp3\r\nD:\\b c.mp3\r\n"), (Texts{"C:\\a.mp3", "D:\\b c.mp3"}));
    // No header: the first path is lost.
    EXPECT_EQ(ParsePlaylist("C:\\a.mp3\r\nC:\\b.mp3\r\n"), (Texts{"C:\\b.mp3"}));
    EXPECT_EQ(ParsePlaylist("[Playlist]\r\n"), Texts{});
    EXPECT_EQ(ParsePlaylist("[Playlist]"), Texts{});
    EXPECT_EQ(ParsePlaylist(""), Texts{});
}

TEST(PlaylistRead, LineEndsBlankLinesAndTrailingWhiteSpace)
{
    // LF-only, CR LF and a last line without a line end read alike.
    const Texts expected{"C:\\a.mp3", "C:\\b.mp3"};
    EXPECT_EQ(ParsePlaylist("[Playlist]\nC:\\a.mp3\nC:\\b.mp3\n"), expected);
    EXPECT_EQ(ParsePlaylist("[Playlist]\r\nC:\\a.mp3\r\nC:\\b.mp3"), expected);
    // Empty lines are skipped; a line of blanks is a row with an empty text.
    EXPECT_EQ(ParsePlaylist("[Playlist]\r\n\r\n\nC:\\a.mp3\r\n   \t\r\n\r\nC:\\b.mp3  \t\r\n"),
              (Texts{"C:\\a.mp3", "", "C:\\b.mp3"}));
    // A CR directly before the LF belongs to the line end, also after a lone CR;
    // a CR elsewhere is part of the text (and trailing white space).
    EXPECT_EQ(ParsePlaylist("x\nC:\\a\rb.mp3\r\r\n"), (Texts{"C:\\a\rb.mp3"}));
    // Leading blanks stay.
    EXPECT_EQ(ParsePlaylist("x\n  C:\\a.mp3\n"), (Texts{"  C:\\a.mp3"}));
}

TEST(PlaylistRead, LongLinesAreReadInPiecesOf259Characters)
{
    const std::string a(259, 'a');
    const std::string b(300, 'b');
    // 259 characters fill a piece; the line end then forms a piece of its own,
    // which is empty and skipped.
    EXPECT_EQ(ParsePlaylist("h\r\n" + a + "\r\n"), (Texts{a}));
    // 300 characters give a piece of 259 and one of 41.
    EXPECT_EQ(ParsePlaylist("h\n" + b + "\n"), (Texts{b.substr(0, 259), b.substr(0, 41)}));
    // A header longer than a piece leaves its rest as the first row.
    EXPECT_EQ(ParsePlaylist(std::string(262, 'h') + "\nC:\\x\n"), (Texts{"hhh", "C:\\x"}));
}

TEST(PlaylistWrite, BytesOfAWrittenFile)
{
    EXPECT_EQ(FormatPlaylist({}), "[Playlist]\r\n");
    // Empty texts (rows of size 0) are left out.
    EXPECT_EQ(FormatPlaylist({"C:\\Music\\first song.mp3", "", "D:\\Audio\\Live\\second.mp3"}),
              "[Playlist]\r\nC:\\Music\\first song.mp3\r\nD:\\Audio\\Live\\second.mp3\r\n");
}

TEST(PlaylistWrite, PathsUpTo259CharactersSurviveASaveAndALoad)
{
    // A deep folder: well beyond the 127 characters a row once kept.
    const std::string deep = "C:\\" + std::string(120, 'd') + "\\" + std::string(100, 'e') + "\\song.mp3";
    const std::string longest = "C:\\" + std::string(256, 'f');
    ASSERT_GT(deep.size(), 127u);
    ASSERT_EQ(longest.size(), kPlaylistPathChars);
    const Texts texts{deep, longest, "C:\\short.mp3"};
    EXPECT_EQ(ParsePlaylist(FormatPlaylist(texts)), texts);
}

TEST(PlaylistRows, RowForAPcFileTakesTheSizeWhenItIsMade)
{
    playlisttest::CTempFolder folder;
    const std::string path = folder.Write("song.mp3", std::string(1234, 'x'));
    auto row = MakePcFileRow(3, path + "  ");
    EXPECT_EQ(row->GetNumber(), 3);
    EXPECT_EQ(row->GetNameText(), path);
    EXPECT_EQ(row->GetSizeText(), "1234");
    EXPECT_EQ(row->GetDateTimeText(), "");
    // The size stays what it was when the row was made.
    std::remove(path.c_str());
    EXPECT_EQ(row->GetSizeValue(), 1234);
    EXPECT_EQ(MakePcFileRow(4, path)->GetSizeText(), "0");
    EXPECT_EQ(MakePcFileRow(5, "   ")->GetNameText(), "");
    EXPECT_EQ(MakePcFileRow(5, "   ")->GetSizeText(), "0");
}

TEST(PlaylistFileIo, WriteCreatesAndReplacesLeavingNoTemporaryFile)
{
    playlisttest::CTempFolder folder;
    const std::string target = folder.Path("list.pst");
    ASSERT_EQ(WritePlaylistFile(target, "first"), EPlaylistWrite::Ok);
    ASSERT_EQ(WritePlaylistFile(target, FormatPlaylist({"C:\\a.mp3"})), EPlaylistWrite::Ok);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ(bytes, "[Playlist]\r\nC:\\a.mp3\r\n");
    EXPECT_EQ(folder.Names(), (Texts{"list.pst"}));
}

TEST(PlaylistFileIo, TargetInAMissingFolderIsAnOpenFailure)
{
    playlisttest::CTempFolder folder;
    EXPECT_EQ(WritePlaylistFile(folder.Path("none/list.pst"), "x"), EPlaylistWrite::OpenFailed);
    EXPECT_EQ(WritePlaylistFile(folder.Root(), "x"), EPlaylistWrite::OpenFailed);   // a folder
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(folder.Path("none.pst"), bytes));
}

#ifndef _WIN32
// A write that fails half-way (here the file size limit, a stand-in for a full
// disk) leaves the old playlist whole and no temporary file behind.
TEST(PlaylistFileIo, FailedWriteLeavesTheOldFileIntact)
{
    playlisttest::CTempFolder folder;
    const std::string old = "[Playlist]\r\nC:\\old.mp3\r\n";
    const std::string target = folder.Write("list.pst", old);

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const EPlaylistWrite result = WritePlaylistFile(target, FormatPlaylist(Texts(50, "C:\\new.mp3")));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, EPlaylistWrite::WriteFailed);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(target, bytes));
    EXPECT_EQ(bytes, old);
    EXPECT_EQ(folder.Names(), (Texts{"list.pst"}));
}
#endif

// Whichever file call fails, the save says so, the old playlist stays and no
// temporary file is left; the new bytes reach the disk before the replace.
TEST(PlaylistFileIo, EachFailingFileCallLeavesTheOldFile)
{
    playlisttest::CTempFolder folder;
    const std::string old = "[Playlist]\r\nC:\\old.mp3\r\n";
    const std::string target = folder.Write("list.pst", old);
    const std::string bytes = FormatPlaylist({"C:\\new.mp3"});
    CFailingPcFiles files;
    ASSERT_EQ(WritePlaylistFile(target, bytes, files), EPlaylistWrite::Ok);
    ASSERT_EQ(files.calls, (Texts{"open", "write", "flush", "close", "replace"}));
    for (int i = 0; i < 5; ++i) {
        folder.Write("list.pst", old);
        files.FailCall(i);
        EXPECT_EQ(WritePlaylistFile(target, bytes, files),
                  i == 0 ? EPlaylistWrite::OpenFailed : EPlaylistWrite::WriteFailed)
            << i;
        std::string now;
        ASSERT_TRUE(ReadFileBytes(target, now));
        EXPECT_EQ(now, old) << i;
        EXPECT_EQ(folder.Names(), (Texts{"list.pst"})) << i;
    }
}

TEST(PlaylistFileIo, MessagesNameThePath)
{
    EXPECT_EQ(PlaylistReadErrorText("C:\\x.pst"), "unable to open 'C:\\x.pst' for read\n");
    EXPECT_EQ(PlaylistOpenErrorText("C:\\x.pst"), "unable to open 'C:\\x.pst' for write\n");
    EXPECT_EQ(PlaylistWriteErrorText("C:\\x.pst"), "unable to write 'C:\\x.pst'\n");
    const std::string longPath(400, 'p');
    EXPECT_EQ(PlaylistReadErrorText(longPath).size(), longPath.size() + 27);
}

// Seeded random and mutated files: whatever the bytes, the rules hold (see
// PlaylistCheck.h); the sanitizers watch the reads. The libFuzzer target runs
// the same check where clang is installed.
TEST(PlaylistRead, RandomAndMutatedBytesKeepTheRules)
{
    std::mt19937 random(20261207);
    const std::string seed = FormatPlaylist({"C:\\a.mp3", std::string(258, 'x'), "  D:\\b\tc.mp3"});
    const char alphabet[] = {'\r', '\n', ' ', '\t', '\0', 'a', '[', '\\', '.', '\x1A', '\xFF'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = round % 2 == 0 ? seed : std::string();
        const int edits = 1 + static_cast<int>(random() % 40);
        for (int e = 0; e < edits; ++e) {
            const char c = alphabet[random() % sizeof alphabet];
            const size_t at = bytes.empty() ? 0 : random() % (bytes.size() + 1);
            if (random() % 3 == 0 && !bytes.empty() && at < bytes.size())
                bytes[at] = c;
            else
                bytes.insert(at, std::string(1 + random() % 300 * (random() % 8 == 0), c));
        }
        const std::string fault = playlisttest::CheckPlaylistBytes(bytes);
        ASSERT_EQ(fault, "") << "round " << round;
    }
}

}  // namespace
