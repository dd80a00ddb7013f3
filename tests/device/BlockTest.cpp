// SPDX-License-Identifier: GPL-3.0-or-later
// Block protocol: chip addresses, spare areas, the exact traffic of one block
// written and read, and the retry loops timed on the fake clock.
#include <gtest/gtest.h>

#include <climits>

#include "tests/device/DeviceTestSupport.h"

namespace {

struct BlockTest : ::testing::Test {
    CFakePort port{888};
    CRioDevice dev{port};
    CTrace want{888};
    void SetUp() override
    {
        dev.SetPort(888);
        dev.SetIODelayInit(2);
        dev.SetIODelayTx(3);
        dev.SetIODelayRx(1);
    }
};

void ExpectAddress(const CRioDevice& dev, uint32_t page, int chip, int a1, int a2)
{
    const RioChipAddress a = dev.ChipAddress(page);
    EXPECT_EQ(chip, a.chip) << "page " << page;
    EXPECT_EQ(a1, a.a1) << "page " << page;
    EXPECT_EQ(a2, a.a2) << "page " << page;
}

TEST_F(BlockTest, ChipAddressOfEachMemory)
{
    ExpectAddress(dev, 256 * 64, 1, 0x00, 0x00);
    ExpectAddress(dev, 255 * 64, 0, 0xC0, 0x3F);
    ExpectAddress(dev, 1023 * 64 + 63, 3, 0xFF, 0x3F);
    dev.SetLargeChip(1);
    ExpectAddress(dev, 256 * 64, 0, 0x00, 0x40);
    ExpectAddress(dev, 512 * 64 + 1, 1, 0x01, 0x00);
    dev.SetMemory(1);
    ExpectAddress(dev, 3 * 64, 4, 0xC0, 0x00);
    ExpectAddress(dev, 1023 * 64 + 5, 4, 0xC5, 0xFF);
}

TEST_F(BlockTest, PageChecksum)
{
    uint8_t page[512] = {};
    EXPECT_EQ(0, PageChecksum(page));
    page[0] = 0x01;
    EXPECT_EQ(0xFFFF, PageChecksum(page));
    page[0] = 0x34; page[1] = 0x12; page[511] = 0x01;   // 0x1234 + 0x0100
    EXPECT_EQ(uint16_t(0 - 0x1334), PageChecksum(page));
}

TEST_F(BlockTest, SpareAreaCarriesLinksAndChecksum)
{
    uint8_t page[512] = {};
    page[2] = 0x05;    // checksum 0xFFFB
    uint8_t s[16];
    const std::vector<uint8_t> none = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

    dev.SpareArea(page, 0xFFFF, 300, s);    // first block of a file
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0x4B, 0x00, 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0xFF, 0xFB, 0xFF, 0xFF, 0xFF}),
              std::vector<uint8_t>(s, s + 16));
    dev.SpareArea(page, 300, 0xFFFF, s);    // last block
    EXPECT_EQ(none, std::vector<uint8_t>(s, s + 6));
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0x4B, 0x00, 0x01, 0x01, 0xFB, 0xFF, 0x00, 0x2C}),
              std::vector<uint8_t>(s + 6, s + 16));
    dev.SpareArea(page, 0, 0, s);           // directory and test patterns
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFB, 0xFF, 0, 0}),
              std::vector<uint8_t>(s, s + 16));

    dev.SetLargeChip(1);                    // chip of block 600 is 600 >> 9
    dev.SpareArea(page, 600, 1000, s);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0xFA, 0x00, 0x01, 0x01, 0x00, 0x00, 0x96, 0x00, 0x01,
                                    0x01, 0xFB, 0xFF, 0x00, 0x58}),
              std::vector<uint8_t>(s, s + 16));

    dev.SetMemory(1);                       // card: flag in byte 3, no chip
    dev.SpareArea(page, 2, 300, s);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0x4B, 0x01, 0x00, 0x00, 0x00, 0x80, 0x00, 0x01, 0x00,
                                    0x00, 0xFB, 0xFF, 0x00, 0x02}),
              std::vector<uint8_t>(s, s + 16));
}

TEST_F(BlockTest, TxBlockTrafficOnTheInternalMemory)
{
    std::vector<uint8_t> buf(32768, 0);
    for (int i = 0; i < 64; ++i)
        buf[size_t(i) * 512] = uint8_t(i + 1);      // page checksum 0 - (i + 1)
    EXPECT_TRUE(dev.TxBlock(buf.data(), 256, 255, 300));

    want.OpenLink(2);
    for (int unit = 0; unit < 4; ++unit) {
        want.Cmd(0xAB); want.Dat(1);
        want.Cmd(0xA1); want.Dat(0x60);
        want.Cmd(0xA2); want.Dat(uint8_t(unit * 16)); want.Dat(0x00);
        want.Cmd(0xA1); want.Dat(0xD0);
        want.Status();
        want.StatusStrobe(3);
    }
    for (int i = 0; i < 64; ++i) {
        want.Cmd(0xAB); want.Dat(1);
        want.Cmd(0xA1); want.Dat(0x80);
        want.Cmd(0xA2); want.Dat(0x00); want.Dat(uint8_t(i)); want.Dat(0x00);
        want.Cmd(0xA3);
        want.Stream(&buf[size_t(i) * 512], 512);
        const uint16_t sum = uint16_t(0 - (i + 1));
        const uint8_t spare[16] = {0x00, 0x00, 0x4B, 0x00, 0x01, 0x01, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00,
                                   uint8_t(sum), uint8_t(sum >> 8), 0x00, 0xFF};
        want.Stream(spare, 16);
        want.Cmd(0xA1); want.Dat(0x10);
        want.Status();
        want.StatusStrobe(3);
    }
    EXPECT_TRACE(want.v, port.log);
}

TEST_F(BlockTest, TxBlockErasesTwoUnitsOnTheCard)
{
    dev.SetMemory(1);
    std::vector<uint8_t> buf(32768, 0x5A);
    EXPECT_TRUE(dev.TxBlock(buf.data(), 3, 0xFFFF, 0xFFFF));
    CTrace erase;
    erase.OpenLink(2);
    for (int p : {192, 224}) {
        erase.Cmd(0xAB); erase.Dat(4);
        erase.Cmd(0xA1); erase.Dat(0x60);
        erase.Cmd(0xA2); erase.Dat(uint8_t(p)); erase.Dat(0x00);
        erase.Cmd(0xA1); erase.Dat(0xD0);
        erase.Status();
        erase.StatusStrobe(3);
    }
    ASSERT_GT(port.log.size(), erase.v.size());
    std::vector<PortAccess> head(port.log.begin(), port.log.begin() + long(erase.v.size()));
    EXPECT_TRACE(erase.v, head);
    // The card kept data and spare: a first and last block has no links.
    const std::vector<uint8_t> stored = port.Page(4, 192 + 63);
    EXPECT_EQ(std::vector<uint8_t>(512, 0x5A), std::vector<uint8_t>(stored.begin(), stored.begin() + 512));
    EXPECT_EQ(std::vector<uint8_t>(12, 0xFF), std::vector<uint8_t>(stored.begin() + 512, stored.begin() + 524));
    EXPECT_EQ(std::vector<uint8_t>(2, 0xFF), std::vector<uint8_t>(stored.begin() + 526, stored.end()));
}

TEST_F(BlockTest, RxBlockTrafficAndData)
{
    dev.SetLargeChip(1);
    for (int i = 0; i < 64; ++i) {
        std::vector<uint8_t> page(528);
        for (int k = 0; k < 528; ++k)
            page[size_t(k)] = uint8_t(k * 7 + i);
        port.pages[CFakePort::Key(0, 16384 + i)] = page;
    }
    std::vector<uint8_t> buf(32768, 0);
    EXPECT_TRUE(dev.RxBlock(buf.data(), 256));

    want.OpenLink(2);
    for (int i = 0; i < 64; ++i) {
        want.Cmd(0xAB); want.Dat(0);
        want.Cmd(0xA1); want.Dat(0x00);
        want.Cmd(0xA2); want.Dat(0x00); want.Dat(uint8_t(i)); want.Dat(0x40);
        want.Status();
        want.Cmd(0xA0);
        for (int k = 0; k < 528; ++k)
            want.ReadByte(1);
        want.Status();
    }
    EXPECT_TRACE(want.v, port.log);
    for (int i = 0; i < 64; ++i)
        for (int k = 0; k < 512; ++k)
            ASSERT_EQ(uint8_t(k * 7 + i), buf[size_t(i) * 512 + size_t(k)]) << i << " " << k;
}

// The fake clock advances 1 ms per reading, so a ready wait that times out
// costs 1001 readings (the start and 1000 polls), a pause 1001 as well, and a
// ready wait that succeeds at once costs 1.
struct RetryCase {
    BusyPhase phase;
    bool send;
    int waitsBefore;    // successful ready waits of an attempt before the stuck one
    int waitsPerBlock;  // ready waits of a whole attempt
};

class BlockRetryTest : public ::testing::TestWithParam<RetryCase> {};

TEST_P(BlockRetryTest, OneFailedAttemptCostsOnePause)
{
    const RetryCase c = GetParam();
    CFakePort port;
    port.logging = false;
    CRioDevice dev(port);
    dev.SetPort(888);
    dev.SetIODelayInit(0);
    port.stuck = [c](BusyPhase p, int n) { return p == c.phase && n == 0; };
    std::vector<uint8_t> buf(32768, 0x11);
    const bool ok = c.send ? dev.SendBlock(buf.data(), 7, 6, 8) : dev.ReceiveBlock(buf.data(), 7);
    EXPECT_TRUE(ok);
    EXPECT_EQ(kRioNoError, dev.GetErrorCode());
    EXPECT_EQ(c.waitsBefore + 1001 + 1001 + c.waitsPerBlock, port.clock);
}

TEST_P(BlockRetryTest, ThreeFailedAttemptsSetTheError)
{
    const RetryCase c = GetParam();
    CFakePort port;
    CRioDevice dev(port);
    dev.SetPort(888);
    dev.SetIODelayInit(0);
    port.stuck = [c](BusyPhase p, int) { return p == c.phase; };
    std::vector<uint8_t> buf(32768, 0x11);
    const int start = INT_MAX - 3000;   // the waits run across the wrap of the clock
    port.clock = start;
    const bool ok = c.send ? dev.SendBlock(buf.data(), 7, 6, 8) : dev.ReceiveBlock(buf.data(), 7);
    EXPECT_FALSE(ok);
    if (c.send) {
        EXPECT_EQ(5, dev.GetErrorCode());
        EXPECT_STREQ("too many retries for tx block", dev.GetErrorText());
    } else {
        EXPECT_EQ(6, dev.GetErrorCode());
        EXPECT_STREQ("too many retries for rx block", dev.GetErrorText());
    }
    EXPECT_EQ(3, port.phaseCount[int(c.phase)]);    // each attempt starts over
    const unsigned elapsed = unsigned(port.clock) - unsigned(start);
    EXPECT_EQ(3u * (c.waitsBefore + 1001 + 1001), elapsed);
    // Waking the controller begins every attempt: command 0xA8 twice each.
    int wakeups = 0;
    for (size_t i = 0; i + 1 < port.log.size(); ++i)
        wakeups += port.log[i].address == 888 && port.log[i].value == 0xA8 && port.log[i + 1].value == 0x0C;
    EXPECT_EQ(6, wakeups);
}

std::string PhaseName(const ::testing::TestParamInfo<RetryCase>& info)
{
    static const char* const names[] = {"Erase", "Program", "ReadAddress", "PageRead"};
    return names[int(info.param.phase)];
}

INSTANTIATE_TEST_SUITE_P(Phases, BlockRetryTest,
                         ::testing::Values(RetryCase{BusyPhase::Erase, true, 0, 68},
                                           RetryCase{BusyPhase::Program, true, 4, 68},
                                           RetryCase{BusyPhase::ReadAddress, false, 0, 128},
                                           RetryCase{BusyPhase::PageRead, false, 1, 128}),
                         PhaseName);

} // namespace
