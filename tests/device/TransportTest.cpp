// SPDX-License-Identifier: GPL-3.0-or-later
// Register traffic of the printer-port transport, byte decoding, the ready
// wait on a fake clock, and chip identification.
#include <gtest/gtest.h>

#include <climits>

#include "tests/device/DeviceTestSupport.h"

namespace {

struct TransportTest : ::testing::Test {
    CFakePort port{888};
    CRioDevice dev{port};
    CTrace want{888};
    void SetUp() override { dev.SetPort(888); }
};

TEST_F(TransportTest, StrobesAndDelaysUseTheRightRegisters)
{
    CFakePort other(632);
    CRioDevice dev2(other);
    EXPECT_TRUE(dev2.SetPort(632));
    EXPECT_TRUE(other.log.empty());     // SetPort only records
    EXPECT_EQ(632, dev2.GetPort());
    dev2.WriteCommand(0xAB);
    dev2.WriteData(0x04);
    dev2.Delay(3);
    dev2.Delay(0);
    dev2.Delay(-7);
    CTrace t(632);
    t.Cmd(0xAB);
    t.Dat(0x04);
    t.Status(3);
    EXPECT_TRACE(t.v, other.log);
}

TEST_F(TransportTest, StreamClocksEachByteWithOneEdgeAndRestartsItsIndex)
{
    const uint8_t a[3] = {1, 2, 3}, b[2] = {9, 8};
    dev.WriteStream(a, 3);
    dev.WriteStream(b, 2);     // index starts at 0 again: first edge falls
    want.Stream(a, 3);
    want.Stream(b, 2);
    EXPECT_TRACE(want.v, port.log);
    EXPECT_EQ(0x00, port.log[2 * 3 + 1].value);
}

TEST_F(TransportTest, ReadByteTrafficAndDelays)
{
    dev.SetIODelayRx(2);
    dev.ReadByte();
    want.ReadByte(2);
    dev.SetIODelayRx(0);
    dev.ReadByte();
    want.ReadByte(0);
    EXPECT_TRACE(want.v, port.log);
}

// Status as the player shows a byte: control 0x00 the upper half, 0x04 the
// lower; bits 4, 5, 6 carry the nibble's bits 3, 2, 1 and bit 7 its bit 0
// inverted.
uint8_t StatusFor(uint8_t nibble)
{
    return uint8_t(((nibble >> 3) & 1) << 4 | ((nibble >> 2) & 1) << 5 | ((nibble >> 1) & 1) << 6 |
                   ((~nibble & 1) << 7));
}

TEST_F(TransportTest, ReadByteDecodesBothHalvesOfEveryValue)
{
    port.logging = false;
    dev.SetIODelayRx(0);
    for (int b = 0; b < 256; ++b) {
        port.statusScript = {uint8_t(StatusFor(uint8_t(b >> 4)) | 0x0F), StatusFor(uint8_t(b & 0x0F))};
        ASSERT_EQ(b, dev.ReadByte()) << "byte " << b;
    }
    port.statusScript = {0x87, 0x87};
    EXPECT_EQ(0x00, dev.ReadByte());
    port.statusScript = {0x78, 0x78};
    EXPECT_EQ(0xFF, dev.ReadByte());
    // Delay reads come before the sampled one.
    dev.SetIODelayRx(1);
    port.statusScript = {0x00, 0x87, 0x00, 0x78};
    EXPECT_EQ(0x0F, dev.ReadByte());
}

TEST_F(TransportTest, WaitReadyReturnsAtOnceWhenReady)
{
    EXPECT_TRUE(dev.WaitReady());
    EXPECT_EQ(1u, port.log.size());
}

TEST_F(TransportTest, WaitReadyGivesUpAfterOneSecondOfTheClock)
{
    port.statusScript.assign(5, 0x00);
    port.clock = 5000;
    port.logging = false;
    // Not ready for 5 reads, then ready.
    port.statusScript.push_back(0x08);
    EXPECT_TRUE(dev.WaitReady());

    // Never ready: false exactly when 1000 ms have passed, not earlier.
    for (int start : {5000, INT_MAX - 400, -20}) {
        port.clock = start;
        port.statusScript.assign(5000, 0x00);
        EXPECT_FALSE(dev.WaitReady()) << start;
        EXPECT_EQ(5000u - 1000u, port.statusScript.size()) << "status reads from " << start;
        EXPECT_EQ(int(unsigned(start) + 1001u), port.clock) << start;
    }
}

TEST_F(TransportTest, OpenAndReleaseLink)
{
    dev.SetIODelayInit(3);
    EXPECT_TRUE(dev.OpenLink());
    dev.ReleaseLink();
    want.OpenLink(3);
    want.Release();
    EXPECT_TRACE(want.v, port.log);
}

TEST_F(TransportTest, DetectAsksTheSelectedChip)
{
    dev.SetIODelayInit(1);
    dev.SetIODelayRx(1);
    EXPECT_TRUE(dev.Detect());
    for (int chip : {0, 4}) {
        want.OpenLink(1);
        want.Cmd(0xAB); want.Dat(uint8_t(chip));
        want.Cmd(0xA1); want.Dat(0x90);
        want.Cmd(0xA2); want.Dat(0x00);
        want.Cmd(0xA0);
        want.ReadByte(1);
        want.ReadByte(1);
    }
    dev.SetMemory(1);
    port.device[4] = 0x75;
    EXPECT_TRUE(dev.Detect());
    EXPECT_TRACE(want.v, port.log);
    EXPECT_EQ(1024, dev.GetExternalBlocks());
}

TEST_F(TransportTest, DetectSizesAndFlags)
{
    port.logging = false;
    dev.SetIODelayInit(0);
    const struct { uint8_t code; int blocks; } table[] = {
        {0x64, 64}, {0xEA, 64}, {0xE3, 128}, {0xE5, 128}, {0xE6, 256}, {0x73, 512}, {0x75, 1024}};
    dev.SetMemory(1);
    for (const auto& row : table) {
        port.device[4] = row.code;
        EXPECT_TRUE(dev.Detect());
        EXPECT_EQ(row.blocks, dev.GetExternalBlocks()) << int(row.code);
    }
    EXPECT_EQ(0, dev.GetLargeChip());   // 0x73 on the card leaves the flag alone

    dev.SetMemory(0);
    port.device[0] = 0xE6;
    EXPECT_TRUE(dev.Detect());
    EXPECT_EQ(0, dev.GetLargeChip());
    port.device[0] = 0x73;
    EXPECT_TRUE(dev.Detect());
    EXPECT_EQ(1, dev.GetLargeChip());
    port.device[0] = 0xE6;
    EXPECT_TRUE(dev.Detect());
    EXPECT_EQ(1, dev.GetLargeChip());   // never cleared
    EXPECT_EQ(1024, dev.GetExternalBlocks());
    EXPECT_EQ(kRioNoError, dev.GetErrorCode());
}

TEST_F(TransportTest, DetectReportsMissingOrUnknownChips)
{
    port.logging = false;
    dev.SetIODelayInit(0);
    for (uint8_t maker : {0x00, 0xA0, 0xAA, 0xDD, 0xFF}) {
        port.maker[0] = maker;
        EXPECT_FALSE(dev.Detect()) << int(maker);
        EXPECT_EQ(3, dev.GetErrorCode());
        EXPECT_STREQ("device not found", dev.GetErrorText());
    }
    port.maker[0] = 0xEC;
    port.device[0] = 0x12;
    CRioDevice fresh(port);
    fresh.SetPort(888);
    EXPECT_FALSE(fresh.Detect());
    EXPECT_EQ(3, fresh.GetErrorCode());
    EXPECT_STREQ("device not found", fresh.GetErrorText());

    port.attached = false;      // nothing on the port: everything reads 0x7F
    port.device[0] = 0xE6;
    EXPECT_FALSE(fresh.Detect());
    dev.SetMemory(1);           // no card in the slot
    port.attached = true;
    EXPECT_FALSE(dev.Detect());
    EXPECT_EQ(0, dev.GetExternalBlocks());
}

} // namespace
