// SPDX-License-Identifier: GPL-3.0-or-later
// The speed choice: what it reads and stores, which columns are usable, and
// that the counts it hands over reach the device's next block transfer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/MessageSink.h"
#include "device/PortProvider.h"
#include "device/RioSession.h"
#include "device/SpeedChoice.h"
#include "tests/lists/TransferReads.h"

namespace {

class CNoMessages : public CMessageSink {
public:
    void ShowError(const char* text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// Records the session calls the choice makes, in order.
class CWatchedSession : public CRioSession {
public:
    using CRioSession::CRioSession;
    void SetIODelayInit(int v) override { calls += "I" + std::to_string(v) + " "; CRioSession::SetIODelayInit(v); }
    void SetIODelayTx(int v) override { calls += "T" + std::to_string(v) + " "; CRioSession::SetIODelayTx(v); }
    void SetIODelayRx(int v) override { calls += "R" + std::to_string(v) + " "; CRioSession::SetIODelayRx(v); }
    std::string calls;
};

int Stored(CMemorySettings& settings, const char* name)
{
    return settings.ReadInt("Settings", name, -1);
}

TEST(SpeedChoice, NothingStoredShowsMediumEverywhereAndWritesNothing)
{
    CMemorySettings settings;
    CSpeedChoice choice;
    choice.Choose(kSpeedTx, kSpeedFast);
    choice.Load(settings);
    for (int column = 0; column < kSpeedColumns; ++column)
        EXPECT_EQ(choice.PressedRow(column), kSpeedMedium) << column;
    EXPECT_EQ(choice.Value(kSpeedInit), 20000);
    EXPECT_EQ(choice.Value(kSpeedTx), 100);
    EXPECT_EQ(choice.Value(kSpeedRx), 2);
    EXPECT_EQ(settings.Count(), 0u);
}

TEST(SpeedChoice, ForeignValueLeavesItsColumnUnusableAndIsStoredAgain)
{
    CMemorySettings settings;
    settings.WriteInt("Settings", "IODelayTx", 50);
    settings.WriteInt("Settings", "IODelayRx", 1);
    CSpeedChoice choice;
    choice.Load(settings);
    EXPECT_EQ(choice.PressedRow(kSpeedInit), kSpeedMedium);
    EXPECT_EQ(choice.PressedRow(kSpeedTx), -1);
    EXPECT_EQ(choice.PressedRow(kSpeedRx), kSpeedFast);

    choice.StoreAndApply(settings, nullptr);
    EXPECT_EQ(Stored(settings, "IODelayInit"), 20000);
    EXPECT_EQ(Stored(settings, "IODelayTx"), 50);
    EXPECT_EQ(Stored(settings, "IODelayRx"), 1);

    // Only the defaults make the column usable again.
    choice.SetDefaults();
    EXPECT_EQ(choice.PressedRow(kSpeedTx), kSpeedMedium);
    EXPECT_EQ(choice.PressedRow(kSpeedRx), kSpeedMedium);
}

TEST(SpeedChoice, EachButtonSetsOnlyItsOwnColumn)
{
    const int expected[kSpeedColumns][kSpeedRows] = {{25000, 20000, 15000}, {150, 100, 10}, {3, 2, 1}};
    for (int column = 0; column < kSpeedColumns; ++column) {
        for (int row = 0; row < kSpeedRows; ++row) {
            CSpeedChoice choice;
            choice.Choose(column, row);
            for (int other = 0; other < kSpeedColumns; ++other) {
                const int want = other == column ? expected[column][row] : expected[other][kSpeedMedium];
                EXPECT_EQ(choice.Value(other), want) << column << "," << row << " column " << other;
            }
            EXPECT_EQ(choice.PressedRow(column), row);
        }
    }
    CSpeedChoice choice;
    choice.Choose(kSpeedInit, 3);     // no such row: nothing changes
    choice.Choose(3, kSpeedFast);     // no such column
    EXPECT_EQ(choice.Value(kSpeedInit), 20000);
    EXPECT_EQ(SpeedRowOf(kSpeedTx, 20000), -1);   // another column's value
}

TEST(SpeedChoice, WithoutPlayerTheCountsAreStoredAndTheNextConnectAppliesThem)
{
    CMemorySettings settings;
    CNoMessages messages;
    CVirtualPlayer player(liststest::QuickPlayer());
    CFixedPortProvider ports(&player);
    CWatchedSession session(settings, messages, ports);

    CSpeedChoice choice;
    for (int column = 0; column < kSpeedColumns; ++column)
        choice.Choose(column, kSpeedFast);
    choice.StoreAndApply(settings, &session);
    EXPECT_EQ(session.calls, "I15000 T10 R1 ");
    EXPECT_EQ(Stored(settings, "IODelayInit"), 15000);
    EXPECT_EQ(Stored(settings, "IODelayTx"), 10);
    EXPECT_EQ(Stored(settings, "IODelayRx"), 1);

    ASSERT_TRUE(session.Connect());
    CRioDevice* device = session.GetDevice();
    ASSERT_NE(device, nullptr);
    const uint64_t reads = liststest::ReadsOfBlockTransfer(*device, player);
    EXPECT_GT(reads, 0u);
    EXPECT_EQ(reads, liststest::ReferenceReads(15000, 10, 1));
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SpeedChoice, ConnectedDeviceUsesTheNewCountsFromItsNextTransfer)
{
    CMemorySettings settings;
    CNoMessages messages;
    CVirtualPlayer player(liststest::QuickPlayer());
    CFixedPortProvider ports(&player);
    CWatchedSession session(settings, messages, ports);
    ASSERT_TRUE(session.Connect());
    CRioDevice* device = session.GetDevice();
    ASSERT_NE(device, nullptr);
    const uint64_t medium = liststest::ReadsOfBlockTransfer(*device, player);
    ASSERT_GT(medium, 0u);   // the transfer went through
    ASSERT_EQ(medium, liststest::ReferenceReads(20000, 100, 2));

    CSpeedChoice choice;
    choice.Choose(kSpeedInit, kSpeedSlow);
    choice.Choose(kSpeedTx, kSpeedFast);
    choice.Choose(kSpeedRx, kSpeedSlow);
    choice.StoreAndApply(settings, &session);
    EXPECT_EQ(session.calls, "I25000 T10 R3 ");

    const uint64_t chosen = liststest::ReadsOfBlockTransfer(*device, player);
    EXPECT_EQ(chosen, liststest::ReferenceReads(25000, 10, 3));
    EXPECT_NE(chosen, medium);
    EXPECT_EQ(player.ProtocolErrors(), 0u);
}

}  // namespace
