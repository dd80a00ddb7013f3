// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces of quavel-cli that stand on their own: upload name safety, the
// --speed words, console and JSON texts, the progress line, card image sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/Cli.h"
#include "cli/CliInterrupt.h"
#include "cli/CliPorts.h"
#include "cli/CliProgress.h"
#include "cli/CliText.h"
#include "cli/NameCodec.h"
#include "playlist/UploadChecks.h"

namespace {

// The console tool refuses exactly what the window's upload refuses.
TEST(UploadNameTest, RefusesNamesThatLeaveTheFolderOrOpenDevices)
{
    for (const char* bad : {"", "..", "a/b", "a\\b", "C:x", "..mp3", "x..", "a\nb", "CON", "con.mp3", "NUL",
                            "prn.txt", "AUX", "COM1", "lpt9.mp3", "CON .mp3", "a*b", "what?", "say \"hi\"", "<x>", "a|b", "...", " . ", "nul..mp3"})
        EXPECT_FALSE(IsSafePcFileName(bad)) << bad;
    for (const char* good : {"song.mp3", "LIVE.MP3", ".hidden", "a.b.c", "COM10", "CONSOLE.mp3", "LPT0",
                             "com", "my song (live).mp3", "\xC3\xA9t\xC3\xA9.mp3"})
        EXPECT_TRUE(IsSafePcFileName(good)) << good;
}

TEST(CliSpeedTest, WordsAndCountsGiveTheDelayCounts)
{
    int d[3] = {0, 0, 0};
    std::string error;
    ASSERT_TRUE(ParseSpeed("fast", d, error));
    EXPECT_EQ(d[0], 15000);
    EXPECT_EQ(d[1], 10);
    EXPECT_EQ(d[2], 1);
    ASSERT_TRUE(ParseSpeed("SLOW,MEDIUM,FAST", d, error));
    EXPECT_EQ(d[0], 25000);
    EXPECT_EQ(d[1], 100);
    EXPECT_EQ(d[2], 1);
    ASSERT_TRUE(ParseSpeed("8,2,1", d, error));
    EXPECT_EQ(d[0], 8);
    for (const char* bad : {"", "QUICK", "1,2", "1,2,3,4", "0", "-5", "5x", "SLOW,,FAST", "99999999"})
        EXPECT_FALSE(ParseSpeed(bad, d, error)) << bad;
    EXPECT_EQ(d[0], 8);   // a refused value changes nothing
}

TEST(CliTextTest, MessageBoxTextBecomesConsoleLines)
{
    EXPECT_EQ(ConsoleText("Delete file failed!\r\n\r\nfile 'x' not present on device"),
              "Delete file failed!\n\nfile 'x' not present on device");
    EXPECT_EQ(ConsoleText("Heading!\r\n\r\n"), "Heading!");
    EXPECT_EQ(ConsoleText("a\rb"), "a\rb");
}

TEST(CliTextTest, PcTextsBecomeValidUtf8)
{
    EXPECT_EQ(PcTextToUtf8("plain.mp3"), "plain.mp3");
    EXPECT_EQ(PcTextToUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");   // UTF-8 stays
    EXPECT_EQ(PcTextToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");           // Latin-1 converted
    EXPECT_EQ(PcTextToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");             // overlong form is not UTF-8
    EXPECT_EQ(PcTextToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80"); // nor is a surrogate
    EXPECT_EQ(PcTextToUtf8("ab\xC3"), "ab\xC3\x83");                     // cut short
}

// Names typed in the console's encoding, as the player stores them (Windows-1252)
// and as the console shows them again (empty: as typed); refusal: what the
// error must name.
TEST(NameCodecTest, ConvertsToTheCodePageAndBackOrSaysWhyNot)
{
    struct SCase {
        const char* codeset;
        std::string typed, player, shown, refusal;
    };
    const SCase cases[] = {
        {"UTF-8", "Caf\xC3\xA9 \xE2\x80\x93 \xC3\x9Cn\xC3\xAFon.mp3", "Caf\xE9 \x96 \xDCn\xEFon.mp3", "", ""},
        // Every character of 0x80..0x9F, and the last of the code page.
        {"UTF-8",
         "\xE2\x82\xAC\xE2\x80\x9A\xC6\x92\xE2\x80\x9E\xE2\x80\xA6\xE2\x80\xA0\xE2\x80\xA1\xCB\x86\xE2\x80\xB0\xC5\xA0"
         "\xE2\x80\xB9\xC5\x92\xC5\xBD\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA2\xE2\x80\x93\xE2\x80"
         "\x94\xCB\x9C\xE2\x84\xA2\xC5\xA1\xE2\x80\xBA\xC5\x93\xC5\xBE\xC5\xB8\xC3\xBF",
         "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F"
         "\xFF",
         "", ""},
        // Unassigned bytes, control characters and the escape's backslash are
        // shown, and typed, escaped.
        {"UTF-8", "a\\x81\\x1b\\x5C\\xZZ\\x00", "a\x81\x1B\\\\xZZ\\x00", "a\\x81\\x1B\\x5C\\x5CxZZ\\x5Cx00", ""},
        {"UTF-8", "\xE4\xB8\xAD.mp3", "", "", "'\xE4\xB8\xAD' (U+4E2D)"},
        {"UTF-8", "\xC2\x80", "", "", "(U+0080)"}, // a control character 0x80 is not
        {"UTF-8", "caf\xE9", "", "", "'caf\\xE9' is not UTF-8 text (byte 0xE9)"},
        {"UTF-8", "\xC0\xAF", "", "", "(byte 0xC0)"},           // overlong
        {"UTF-8", "ab\xC3", "", "", "(byte 0xC3)"},             // cut short
        {"ANSI_X3.4-1968", "\xC3\xA9", "\xE9", "\xC3\xA9", ""}, // the C locale's names are UTF-8
        {"CP1252", "\xE9\x80\x81", "\xE9\x80\x81", "\xE9\x80\\x81", ""},
        // Cyrillic: the euro sign is 0x88 there; 'é' cannot be shown, 'й' not stored.
        {"CP1251", "\x88.mp3", "\x80.mp3", "\x88.mp3", ""},
        {"CP1251", "\\xE9", "\xE9", "\\xE9", ""},
        {"CP1251", "\xE9", "", "", "(U+0439)"},
    };
    for (const SCase& c : cases) {
        const CNameCodec codec(c.codeset);
        std::string player, error;
        const bool ok = codec.ToPlayer(c.typed, true, player, error);
        EXPECT_EQ(ok, c.refusal.empty()) << c.codeset << " " << c.typed << ": " << error;
        if (!ok) {
            EXPECT_NE(error.find(c.refusal), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(player, c.player) << c.typed;
        EXPECT_EQ(codec.Show(player), c.shown.empty() ? c.typed : c.shown) << c.typed;
    }
    // Width in characters; JSON gets every byte as a character.
    size_t width = 0;
    EXPECT_EQ(CNameCodec("UTF-8").Show("Caf\xE9\x7F", &width), "Caf\xC3\xA9\\x7F");
    EXPECT_EQ(width, 4u + 4u);
    EXPECT_EQ(PlayerNameToUtf8("\x80\x81\xE9"), "\xE2\x82\xAC\xC2\x81\xC3\xA9");
}

TEST(CliProgressTest, LineShowsPercentRateAndTimeLeft)
{
    std::ostringstream err;
    CCliProgress progress(err, true, [] { return int64_t(0); });
    progress.Begin("put song.mp3");
    // 16 of 32 blocks (512 KB) in 2 s: 256 KB/s, as long again to go.
    EXPECT_EQ(progress.Line(16, 32, 2000),
              "put song.mp3             [##########..........]  50%   256.0 KB/s  0:02 left");
    EXPECT_EQ(progress.Line(0, 32, 0),
              "put song.mp3             [....................]   0%     --- KB/s --:-- left");
    EXPECT_LE(progress.Line(1, 3, 1000).size(), 79u);   // fits a terminal line
    progress.Begin("get a-very-long-name-that-does-not-fit.mp3");
    EXPECT_EQ(progress.Line(3, 3, 60000).substr(0, 25), "get a-very-long-name-... ");
    // Characters, not bytes: U+00E9 takes two bytes in UTF-8.
    const std::string many = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                             "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    progress.Begin("get " + many + many);
    EXPECT_EQ(progress.Line(0, 1, 0).substr(0, 4 + 17 * 2 + 4), "get " + many.substr(0, 17 * 2) + "... ");
}

TEST(CliProgressTest, DrawsOnlyOnATerminalAndStopsOnRequest)
{
    int64_t now = 0;
    std::ostringstream quiet;
    CCliProgress off(quiet, false, [&now] { return now; });
    off.Begin("put a");
    EXPECT_EQ(off.Update(0, 4), 1);
    off.End(true);
    EXPECT_EQ(quiet.str(), "");

    std::ostringstream shown;
    CCliProgress on(shown, true, [&now] { return now; });
    on.Begin("put a");
    EXPECT_EQ(CCliProgress::Callback()(0, 4), 1);
    now = 50;
    EXPECT_EQ(CCliProgress::Callback()(1, 4), 1);   // too soon to draw again
    now = 200;
    EXPECT_EQ(CCliProgress::Callback()(2, 4), 1);
    const std::string drawn = shown.str();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), '\r'), 2);
    RequestInterrupt();
    EXPECT_EQ(CCliProgress::Callback()(3, 4), 0);
    EXPECT_EQ(on.StoppedAt(), 3);
    ClearInterrupt();
    on.End(false);
    EXPECT_EQ(shown.str().back(), '\n');   // the last state stays on its own line
}

TEST(CliPortsTest, CardImageSizesNameTheirCard)
{
    EXPECT_EQ(CardCodeOfImageSize(4096LL * 528), 0x64);    // 2 MB
    EXPECT_EQ(CardCodeOfImageSize(65536LL * 528), 0x75);   // 32 MB
    EXPECT_EQ(CardCodeOfImageSize(16384LL * 528), 0xE6);   // 8 MB
    EXPECT_EQ(CardCodeOfImageSize(4096LL * 512), 0);       // no spare areas
    EXPECT_EQ(CardCodeOfImageSize(0), 0);
    EXPECT_EQ(CardCodeOfImageSize(2048LL * 528), 0);       // 1 MB: no such card
}

}  // namespace
