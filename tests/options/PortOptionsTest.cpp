// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/PortOptions.h"

#include <gtest/gtest.h>

namespace {
using Words = std::vector<std::string>;

SPortOptions ParseOk(const Words& words)
{
    SPortOptions options;
    std::string error;
    EXPECT_TRUE(ParsePortOptions(words, options, error)) << error;
    return options;
}

std::string ParseError(const Words& words)
{
    SPortOptions options;
    options.playerPort = 1234;  // must stay untouched on failure
    std::string error;
    EXPECT_FALSE(ParsePortOptions(words, options, error));
    EXPECT_EQ(1234, options.playerPort);
    return error;
}
}  // namespace

TEST(PortOptions, NoOptionsMeanTheRealPort)
{
    SPortOptions options = ParseOk({});
    EXPECT_TRUE(options.virtualPlayerDir.empty());
    EXPECT_EQ(888, options.playerPort);
    EXPECT_EQ(0, options.cardDeviceCode);
    EXPECT_FALSE(options.largePlayer);
    EXPECT_FALSE(options.realTime);
    EXPECT_FALSE(options.help);
}

TEST(PortOptions, VirtualPlayerWithEveryDetail)
{
    SPortOptions options = ParseOk({"--virtual-player=C:\\players\\one", "--player-port=632", "--card=16",
                                    "--player-size=64", "--real-time", "--unplugged"});
    EXPECT_EQ("C:\\players\\one", options.virtualPlayerDir);
    EXPECT_TRUE(options.unplugged);
    EXPECT_FALSE(ParseOk({"--virtual-player=d"}).unplugged);
    EXPECT_EQ(632, options.playerPort);
    EXPECT_EQ(0x73, options.cardDeviceCode);
    EXPECT_TRUE(options.largePlayer);
    EXPECT_TRUE(options.realTime);

    EXPECT_EQ(888, ParseOk({"--virtual-player=d", "--player-port=0x378"}).playerPort);
    EXPECT_EQ(632, ParseOk({"--virtual-player=d", "--player-port=0X278"}).playerPort);
}

TEST(PortOptions, CardsByCodeOrSize)
{
    // Every code of the identification table is taken as it is...
    for (int code : {0x64, 0xEA, 0xE3, 0xE5, 0xE6, 0x73, 0x75}) {
        char word[32];
        snprintf(word, sizeof word, "--card=0x%02X", code);
        EXPECT_EQ(code, ParseOk({"--virtual-player=d", word}).cardDeviceCode) << word;
    }
    // ...and a size in MB picks a code of that size.
    EXPECT_EQ(0x64, ParseOk({"--virtual-player=d", "--card=2"}).cardDeviceCode);
    EXPECT_EQ(0xE3, ParseOk({"--virtual-player=d", "--card=4"}).cardDeviceCode);
    EXPECT_EQ(0xE6, ParseOk({"--virtual-player=d", "--card=8"}).cardDeviceCode);
    EXPECT_EQ(0x75, ParseOk({"--virtual-player=d", "--card=32"}).cardDeviceCode);
    // A decimal code is accepted too (100 = 0x64 is no size).
    EXPECT_EQ(0x64, ParseOk({"--virtual-player=d", "--card=100"}).cardDeviceCode);
}

TEST(PortOptions, RefusesWhatCannotBeUsed)
{
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player="}).find("--virtual-player"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--player-port=889"}).find("889"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--player-port="}).find("--player-port"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--card=3"}).find("3"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--card=0x65"}).find("0x65"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--card=16MB"}).find("16MB"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--card=-16"}).find("-16"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--card=99999999999"}).find("--card"));
    EXPECT_NE(std::string::npos, ParseError({"--virtual-player=d", "--player-size=48"}).find("48"));
    EXPECT_NE(std::string::npos, ParseError({"--frobnicate"}).find("--frobnicate"));
    EXPECT_NE(std::string::npos, ParseError({"--real-timer"}).find("--real-timer"));
    // Details of a virtual player without one are a mistake, not silently ignored.
    EXPECT_NE(std::string::npos, ParseError({"--player-port=632"}).find("--virtual-player"));
    EXPECT_NE(std::string::npos, ParseError({"--real-time"}).find("--virtual-player"));
}

TEST(PortOptions, HelpWins)
{
    EXPECT_TRUE(ParseOk({"--help"}).help);
    EXPECT_TRUE(ParseOk({"/?"}).help);
    EXPECT_TRUE(ParseOk({"--card=8", "-h"}).help);
    std::string help = PortOptionsHelp();
    for (const char* option : {"--virtual-player=", "--player-port=", "--card=", "--player-size=", "--real-time", "--unplugged", "--help"})
        EXPECT_NE(std::string::npos, help.find(option)) << option;
}

TEST(CommandLine, SplitsLikeWindowsPrograms)
{
    EXPECT_EQ(Words{}, SplitCommandLine(""));
    EXPECT_EQ(Words{}, SplitCommandLine(nullptr));
    EXPECT_EQ((Words{"a", "b"}), SplitCommandLine("  a \t b  "));
    EXPECT_EQ((Words{"--virtual-player=C:\\My Players\\one", "--real-time"}),
              SplitCommandLine("--virtual-player=\"C:\\My Players\\one\" --real-time"));
    // Backslashes are literal unless they precede a quote.
    EXPECT_EQ((Words{"C:\\dir\\"}), SplitCommandLine("C:\\dir\\"));
    EXPECT_EQ((Words{"C:\\dir\\", "x"}), SplitCommandLine("\"C:\\dir\\\\\" x"));
    EXPECT_EQ((Words{"say \"hi\""}), SplitCommandLine("\"say \\\"hi\\\"\""));
    EXPECT_EQ((Words{"a\"b"}), SplitCommandLine("\"a\"\"b\""));
    EXPECT_EQ((Words{""}), SplitCommandLine("\"\""));
    EXPECT_EQ((Words{"open end"}), SplitCommandLine("\"open end"));
}
