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

TEST(CliTextTest, NamesBecomeValidUtf8)
{
    EXPECT_EQ(NameToUtf8("plain.mp3"), "plain.mp3");
    EXPECT_EQ(NameToUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");          // UTF-8 stays
    EXPECT_EQ(NameToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");                  // Latin-1 converted
    EXPECT_EQ(NameToUtf8("\xC0\xAF"), "\xC3\x80\xC2\xAF");                    // overlong form is not UTF-8
    EXPECT_EQ(NameToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");        // nor is a surrogate
    EXPECT_EQ(NameToUtf8("ab\xC3"), "ab\xC3\x83");                            // cut short
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
