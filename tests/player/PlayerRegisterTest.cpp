// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual player at the register level: strobes, wake-up, identification,
// NAND semantics, busy times, images and faults, driven by hand-made traffic.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "player/VirtualPlayer.h"
#include "tests/player/PortHost.h"

namespace {

std::vector<uint8_t> Filled(uint8_t v, size_t n = 528)
{
    return std::vector<uint8_t>(n, v);
}

uint16_t WordSum(const uint8_t* p, size_t bytes)
{
    uint32_t s = 0;
    for (size_t i = 0; i < bytes; i += 2)
        s += static_cast<uint32_t>(p[i] | (p[i + 1] << 8));
    return static_cast<uint16_t>(s);
}

}  // namespace

TEST(PlayerController, IdentifiesEachChipAfterWakeUp)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0x75;
    CVirtualPlayer player(o);
    CPortHost host(player);
    host.Wake();
    EXPECT_TRUE(player.Awake());
    uint8_t maker = 0, device = 0;
    for (uint8_t chip = 0; chip < 4; ++chip) {
        host.Identify(chip, &maker, &device);
        EXPECT_EQ(maker, 0xEC);
        EXPECT_EQ(device, 0xE6) << "chip " << int(chip);
    }
    host.Identify(4, &maker, &device);
    EXPECT_EQ(device, 0x75);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();

    SPlayerOptions large = QuickPlayer();
    large.largeChips = true;
    CVirtualPlayer big(large);
    CPortHost bigHost(big);
    bigHost.Wake();
    bigHost.Identify(3, &maker, &device);
    EXPECT_EQ(device, 0x73);
    bigHost.Identify(4, &maker, &device);  // no card: nothing answers
    EXPECT_EQ(maker, 0xFF);
    EXPECT_EQ(device, 0xFF);
    EXPECT_EQ(big.Blocks(EMemory::Internal), 2048u);
    EXPECT_EQ(big.ProtocolErrors(), 0u) << big.Log().Dump();
}

TEST(PlayerController, AnswersOnlyAtItsOwnPort)
{
    SPlayerOptions o = QuickPlayer();
    o.base = 632;
    CVirtualPlayer player(o);
    CPortHost wrong(player, 888);
    EXPECT_EQ(wrong.Status(), 0x7F);
    uint8_t maker = 0, device = 0;
    wrong.Wake();
    wrong.Identify(0, &maker, &device);
    EXPECT_EQ(maker, 0xFF);
    EXPECT_FALSE(player.Awake());

    CPortHost right(player, 632);
    right.Wake();
    right.Identify(0, &maker, &device);
    EXPECT_EQ(maker, 0xEC);
    EXPECT_EQ(device, 0xE6);
}

TEST(PlayerController, CommandsWhileAsleepAreFlagged)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    uint8_t maker = 0, device = 0;
    host.Identify(0, &maker, &device);
    EXPECT_EQ(maker, 0xFF) << "an asleep controller must not pass commands on";
    EXPECT_GT(player.ProtocolErrors(), 0u);
    EXPECT_NE(player.Log().Find(EPlayerEvent::Protocol, "command 0xAB while asleep"), nullptr)
        << player.Log().Dump();

    player.Log().Clear();
    host.Release();  // releasing a sleeping controller is harmless
    host.Wake();
    host.Identify(0, &maker, &device);
    EXPECT_EQ(maker, 0xEC);
    host.Release();
    EXPECT_FALSE(player.Awake());
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
    host.Select(1);
    EXPECT_GT(player.ProtocolErrors(), 0u);

    // A wake-up sequence that goes astray leaves the controller asleep.
    player.Log().Clear();
    host.Ctl(0x04);
    host.Cmd(0xA8); host.Ctl(0x00); host.Ctl(0x04);
    host.Cmd(0xAD); host.Dat(0x56);
    host.Cmd(0xAE); host.Dat(0xAA);
    host.Cmd(0xA8); host.Ctl(0x00); host.Ctl(0x04);
    EXPECT_FALSE(player.Awake());
    EXPECT_NE(player.Log().Find(EPlayerEvent::Protocol, "0x56 while asleep"), nullptr) << player.Log().Dump();
}

TEST(PlayerController, BrokenStrobeOrderAndFlashSequencesAreFlagged)
{
    struct SCase {
        const char* name;
        std::function<void(CPortHost&)> traffic;
        const char* fragment;
    };
    const std::vector<SCase> cases = {
        {"command strobe straight to 0x00", [](CPortHost& h) { h.Data(0xAB); h.Ctl(0x0C); h.Ctl(0x00); },
         "not released"},
        {"unknown control value", [](CPortHost& h) { h.Ctl(0x08); }, "control value 0x08"},
        {"data strobe without command", [](CPortHost& h) { h.Dat(0x12); }, "without a command"},
        {"two chip numbers", [](CPortHost& h) { h.Cmd(0xAB); h.Dat(0); h.Dat(1); }, "second chip number"},
        {"chip number 5", [](CPortHost& h) { h.Select(5); }, "out of range"},
        {"two flash codes", [](CPortHost& h) { h.Select(0); h.Cmd(0xA1); h.Dat(0x70); h.Dat(0x70); },
         "second flash command"},
        {"unknown controller command", [](CPortHost& h) { h.Cmd(0xA5); }, "unknown controller command"},
        {"erase confirm without setup", [](CPortHost& h) { h.Select(0); h.Flash(0xD0); }, "out-of-sequence"},
        {"program confirm without data", [](CPortHost& h) { h.Select(0); h.Flash(0x10); }, "out-of-sequence"},
        {"erase with three address bytes",
         [](CPortHost& h) { h.Select(0); h.Flash(0x60); h.Cmd(0xA2); h.Dat(0); h.Dat(0); h.Dat(0); },
         "address byte out of sequence"},
        {"new command inside an erase",
         [](CPortHost& h) { h.Select(0); h.Flash(0x60); h.Cmd(0xA2); h.Dat(0); h.Dat(0); h.Flash(0x80); },
         "out-of-sequence"},
        {"stream without program setup", [](CPortHost& h) { h.Select(0); h.Cmd(0xA3); h.Data(1); h.Ctl(0x00); },
         "data input without program setup"},
        {"page overrun",
         [](CPortHost& h) {
             const std::vector<uint8_t> big(530, 0);
             h.Program(0, 64, big.data(), 530);
         },
         "more data bytes than a page holds"},
        {"read strobe with nothing to output", [](CPortHost& h) { h.Select(0); h.Flash(0x60); h.Cmd(0xA0); },
         "nothing to output"},
        {"misaligned erase", [](CPortHost& h) { h.Erase(0, 8); }, "not at the start of an erase unit"},
        {"row beyond the chip",
         [](CPortHost& h) { h.Select(0); h.Flash(0x00); h.Cmd(0xA2); h.Dat(0); h.Dat(0); h.Dat(0x40); },
         "beyond the chip"},
        {"unknown flash command", [](CPortHost& h) { h.Select(0); h.Flash(0x55); }, "unknown flash command"},
    };
    for (const SCase& c : cases) {
        CVirtualPlayer player(QuickPlayer());
        CPortHost host(player);
        host.Wake();
        ASSERT_EQ(player.ProtocolErrors(), 0u);
        c.traffic(host);
        EXPECT_NE(player.Log().Find(EPlayerEvent::Protocol, c.fragment), nullptr)
            << c.name << ":\n" << player.Log().Dump();
    }
}

TEST(PlayerNand, ProgrammingOnlyClearsBitsAndEraseSetsThem)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    host.Erase(2, 32);
    const std::vector<uint8_t> first = Filled(0xF0), second = Filled(0x3C);
    host.Program(2, 33, first.data(), 528);
    host.Program(2, 33, second.data(), 528);
    EXPECT_EQ(host.Read(2, 33), Filled(0x30));
    // The chip's page lands at its place in the memory's image.
    EXPECT_EQ(player.Page(EMemory::Internal, 2 * 16384 + 33)[527], 0x30);
    host.Erase(2, 32);
    EXPECT_EQ(host.Read(2, 33), Filled(0xFF));

    // A short program run leaves the rest of the page as it was.
    const std::vector<uint8_t> head = Filled(0x00, 4);
    host.Program(2, 34, head.data(), 4);
    const std::vector<uint8_t> page = host.Read(2, 34);
    EXPECT_EQ(page[3], 0x00);
    EXPECT_EQ(page[4], 0xFF);
    EXPECT_EQ(player.Chip(2).Erases(), 2u);
    EXPECT_EQ(player.Chip(2).Programs(), 3u);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
}

TEST(PlayerNand, EraseUnitsAre16PagesInsideAnd32OnTheCard)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0xE3;
    CVirtualPlayer player(o);
    CPortHost host(player);
    host.Wake();
    const std::vector<uint8_t> zero = Filled(0x00);
    for (uint32_t row : {15u, 16u, 31u, 32u})
        host.Program(1, row, zero.data(), 528);
    host.Erase(1, 16);
    EXPECT_EQ(host.Read(1, 15), zero);
    EXPECT_EQ(host.Read(1, 16), Filled(0xFF));
    EXPECT_EQ(host.Read(1, 31), Filled(0xFF));
    EXPECT_EQ(host.Read(1, 32), zero);

    for (uint32_t row : {31u, 32u, 63u, 64u})
        host.Program(4, row, zero.data(), 528);
    host.Erase(4, 32);
    EXPECT_EQ(host.Read(4, 31), zero);
    EXPECT_EQ(host.Read(4, 32), Filled(0xFF));
    EXPECT_EQ(host.Read(4, 63), Filled(0xFF));
    EXPECT_EQ(host.Read(4, 64), zero);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
}

TEST(PlayerNand, ReadModeCarriesEveryByteValue)
{
    CVirtualPlayer player(QuickPlayer());
    CPortHost host(player);
    host.Wake();
    std::vector<uint8_t> page(528);
    for (size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    host.Erase(0, 0x1230);
    host.Program(0, 0x1234, page.data(), 528);
    EXPECT_EQ(host.Read(0, 0x1234), page);
    EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
}

TEST(PlayerNand, BusyTimesHoldTheReadyLine)
{
    SPlayerOptions o = QuickPlayer();
    o.readyAtOnce = false;
    CVirtualPlayer player(o);
    CPortHost host(player);
    host.Wake();
    auto pollsUntilReady = [&] {
        int polls = 0;
        while (!host.Ready() && polls < 100000)
            ++polls;
        return polls;
    };
    host.Erase(0, 0);
    EXPECT_NEAR(pollsUntilReady(), 2000, 5);
    const std::vector<uint8_t> zero = Filled(0);
    host.Program(0, 0, zero.data(), 528);
    EXPECT_NEAR(pollsUntilReady(), 200, 5);
    host.Select(0);
    host.Flash(0x00);
    host.Cmd(0xA2); host.Dat(0); host.Dat(0); host.Dat(0);
    EXPECT_NEAR(pollsUntilReady(), 10, 3);
    // Reading while the page loads is a protocol error.
    host.Select(0);
    host.Flash(0x00);
    host.Cmd(0xA2); host.Dat(0); host.Dat(1); host.Dat(0);
    host.Cmd(0xA0);
    EXPECT_NE(player.Log().Find(EPlayerEvent::Protocol, "while busy"), nullptr) << player.Log().Dump();

    player.SetReadyAtOnce(true);
    host.Erase(0, 16);
    EXPECT_EQ(pollsUntilReady(), 0);
}

TEST(PlayerClock, ModelledMillisecondsFollowAccessesAndWrap)
{
    SPlayerOptions o = QuickPlayer();
    o.clockStartMs = INT_MAX;
    CVirtualPlayer player(o);
    CPortHost host(player);
    const int start = player.MilliClock();
    EXPECT_EQ(start, INT_MAX);
    for (int i = 0; i < 1500; ++i)
        host.Status();
    // 1500 reads and two clock looks: 1502 us, one millisecond later, wrapped.
    EXPECT_EQ(player.MilliClock(), INT_MIN);
    EXPECT_EQ(player.Micros(), 1502u);
    EXPECT_EQ(player.Reads(), 1500u);
    EXPECT_EQ(player.ClockCalls(), 2u);
}

TEST(PlayerClock, RealTimePacingKeepsModelledTimeFromRunningAhead)
{
    SPlayerOptions o = QuickPlayer();
    o.realTime = true;
    CVirtualPlayer player(o);
    CPortHost host(player);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 30000; ++i)  // 30 ms of modelled time
        host.Status();
    const auto real = std::chrono::steady_clock::now() - start;
    // Pacing sleeps only while more than 2 ms ahead.
    EXPECT_GE(real, std::chrono::milliseconds(27));
}

TEST(PlayerImage, NewImageHoldsAnEmptyFormattedDirectory)
{
    struct SCase {
        bool large;
        uint8_t card;
        EMemory memory;
        uint16_t total;
    };
    for (const SCase& c : {SCase{false, 0, EMemory::Internal, 1024}, SCase{true, 0, EMemory::Internal, 2048},
                           SCase{false, 0x64, EMemory::Card, 64}}) {
        SPlayerOptions o = QuickPlayer();
        o.largeChips = c.large;
        o.cardCode = c.card;
        CVirtualPlayer player(o);
        std::vector<uint8_t> block(32768);
        for (uint32_t p = 0; p < 64; ++p) {
            const uint8_t* page = player.Page(c.memory, p);
            std::copy(page, page + 512, block.begin() + p * 512);
            // Each page's spare area carries the page checksum at offset 12.
            const uint16_t stored = static_cast<uint16_t>(page[524] | (page[525] << 8));
            EXPECT_EQ(static_cast<uint16_t>(WordSum(page, 512) + stored), 0) << "page " << p;
        }
        const uint8_t* h = block.data();
        EXPECT_EQ(WordSum(h, 512), 0) << "header words must sum to 0";
        EXPECT_EQ(static_cast<uint16_t>(WordSum(h + 512, 32768 - 512) + (h[0x10] | (h[0x11] << 8))), 0);
        EXPECT_EQ(h[0] | (h[1] << 8), 0);                  // count
        EXPECT_EQ(h[2] | (h[3] << 8), c.total);            // total
        EXPECT_EQ(h[6] | (h[7] << 8), c.total);            // free
        EXPECT_EQ(h[0x14] | (h[0x15] << 8), 0x0100);
        EXPECT_EQ(block[0x2000], 0xFF);
        EXPECT_EQ(block[0x3FFF], 0xFF);
        const uint8_t* spare = player.Page(c.memory, 0) + 512;
        EXPECT_EQ(spare[3], c.memory == EMemory::Card ? 0x01 : 0x00);  // link to block 0
        EXPECT_EQ(player.Page(c.memory, 64)[0], 0xFF);     // block 1 erased
    }
}

TEST(PlayerImage, ImageFilesPersistEveryEraseAndProgram)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("quavel-player-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::remove_all(root);
    ASSERT_TRUE(fs::create_directories(root));
    const std::string dir = root.string();
    SPlayerOptions o = QuickPlayer();
    o.imageDir = dir;
    o.cardCode = 0x64;
    const std::vector<uint8_t> pattern = Filled(0x5A);
    {
        CVirtualPlayer player(o);
        ASSERT_EQ(player.ImageError(), "");
        CPortHost host(player);
        host.Wake();
        host.Erase(3, 64);
        host.Program(3, 65, pattern.data(), 528);
        host.Program(4, 100, pattern.data(), 528);
        // Written through: the file holds the page before the player goes away.
        std::FILE* f = std::fopen((dir + "/internal.img").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::fseek(f, 0, SEEK_END);
        EXPECT_EQ(std::ftell(f), 65536L * 528);
        std::fseek(f, (3L * 16384 + 65) * 528, SEEK_SET);
        EXPECT_EQ(std::fgetc(f), 0x5A);
        std::fclose(f);
    }
    {
        CVirtualPlayer again(o);
        ASSERT_EQ(again.ImageError(), "");
        CPortHost host(again);
        host.Wake();
        EXPECT_EQ(host.Read(3, 65), pattern);
        EXPECT_EQ(host.Read(4, 100), pattern);
        EXPECT_EQ(host.Read(3, 66), Filled(0xFF));
    }
    // A card image of another size is refused, not reinterpreted.
    o.cardCode = 0xE3;
    {
        CVirtualPlayer other(o);  // closes its files before they are removed
        EXPECT_NE(other.ImageError(), "");
    }
    fs::remove_all(root);
}
