// SPDX-License-Identifier: GPL-3.0-or-later
// The session with nothing attached and without a printer-port backend.
#include <gtest/gtest.h>

#include "playlist/FileEntry.h"
#include "tests/session/SessionTestSupport.h"

namespace {

struct Unattached : testing::Test {
    CMemorySettings settings;
    CRecordingSink sink;
    CEmptyPort port;
    CFixedPortProvider provider{&port};
    CTestSession session{settings, sink, provider};
};

}  // namespace

TEST_F(Unattached, ConnectFailsWritesDefaultsSwapsNothingDropsDevice) {
    settings.WriteInt("Settings", "Port1", 0x3BC);
    settings.WriteInt("Settings", "IODelayTx", 0);
    settings.WriteInt("Settings", "IODelayRx", -4);
    EXPECT_FALSE(session.Connect());
    EXPECT_FALSE(session.IsConnected());
    EXPECT_EQ(session.devicesCreated, 1);
    // Both ports were probed, the second last.
    EXPECT_GT(port.reads, 0);
    EXPECT_EQ(session.GetPortInUse(), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", -1), 0x3BC);
    EXPECT_EQ(settings.ReadInt("Settings", "Port2", -1), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayInit", -1), 20000);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayTx", -1), 100);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayRx", 0), -4);   // negative stays
    EXPECT_EQ(session.GetStoredIODelayRx(), -4);
    EXPECT_EQ(settings.Count(), 5u);
    EXPECT_TRUE(sink.messages.empty());   // Connect says nothing itself

    // A retry makes a fresh device object again.
    EXPECT_FALSE(session.Connect());
    EXPECT_EQ(session.devicesCreated, 2);
}

TEST_F(Unattached, EveryOperationIsRefusedWithoutADevice) {
    EXPECT_EQ(session.GetStoredIODelayInit(), -1);
    EXPECT_FALSE(session.Connect());
    std::unique_ptr<CFileEntry> row;
    EXPECT_FALSE(session.GetEntryRow(0, row));
    EXPECT_EQ(row, nullptr);
    EXPECT_FALSE(session.ReadDirectory());
    uint8_t header[kRioHeaderSize] = {1};
    EXPECT_FALSE(session.GetDirectoryHeader(header));
    EXPECT_EQ(header[0], 1);
    for (bool (CRioSession::*get)(int&) : {&CRioSession::GetTotalMemory,
                                           &CRioSession::GetUsedMemory,
                                           &CRioSession::GetFreeMemory}) {
        int kb = 123;
        EXPECT_FALSE((session.*get)(kb));
        EXPECT_EQ(kb, 0);
    }
    EXPECT_FALSE(session.SelectMemory(1));
    session.Initialize(1, nullptr);
    EXPECT_FALSE(session.DownloadFile("/nonexistent/A.MP3", nullptr));
    session.UploadFile("/nonexistent/A.MP3", nullptr);
    EXPECT_FALSE(session.DeleteFile("A.MP3"));
    const uint32_t order[] = {0};
    EXPECT_FALSE(session.ReorderFiles(order, 1));

    // The delay setters store nothing without a device either.
    const size_t stored = settings.Count();
    settings.WriteInt("Settings", "IODelayTx", 150);
    session.SetIODelayInit(25000);
    session.SetIODelayTx(10);
    session.SetIODelayRx(1);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayInit", 0), 20000);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayTx", 0), 150);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayRx", 0), 2);
    EXPECT_EQ(settings.Count(), stored);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(session.IsConnected());
}

TEST_F(Unattached, PortValuesThatCannotBeAPrinterPortAreNotProbed) {
    // Stored by hand: -1 would wrap to the addresses 0xFFFF, 0 and 1.
    settings.WriteInt("Settings", "Port1", -1);
    settings.WriteInt("Settings", "Port2", 0xFFFE);
    EXPECT_FALSE(session.Connect());
    EXPECT_EQ(port.reads, 0);
    EXPECT_EQ(port.writes, 0);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), -1);
    EXPECT_EQ(settings.ReadInt("Settings", "Port2", 0), 0xFFFE);
}

TEST(SessionWithoutBackend, ConnectFindsNothingAndCreatesNoDevice) {
    CMemorySettings settings;
    CRecordingSink sink;
    CFixedPortProvider none(nullptr);
    CTestSession session(settings, sink, none);
    EXPECT_FALSE(session.Connect());
    EXPECT_EQ(session.devicesCreated, 0);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), 888);   // defaults still written
    EXPECT_TRUE(sink.messages.empty());
}
