// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile directory images with valid checksums: seeded edits aimed at the
// fields that steer the operations (counts, block numbers, states, links, sizes,
// names) go through every device operation and through the list rows of the
// session. The generator is seeded: a failure repeats.
#include <gtest/gtest.h>

#include <random>

#include "app/Settings.h"
#include "device/MessageSink.h"
#include "device/PortProvider.h"
#include "device/RioSession.h"
#include "playlist/FileEntry.h"
#include "tests/hostile/DirectoryFuzzCheck.h"

namespace {

struct CIgnoreMessages : CMessageSink {
    void ShowError(const char*) override {}
};

// Offsets that steer the operations: header counters, the first slots' fields,
// states and links of the blocks in use and at the memory's end.
std::vector<int> SteeringOffsets()
{
    std::vector<int> at = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
    for (int slot = 0; slot < 4; ++slot)
        for (int field : {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x09, 0x12, 0x1C, 0x1D, 0x7F})
            at.push_back(kRioEntriesOffset + slot * kRioEntrySize + field);
    for (int b : {0, 1, 2, 3, 4, 5, 6, 7, 8, 63, 64, 1023, 1024, 8191}) {
        at.push_back(kRioStateOffset + b);
        at.push_back(kRioLinkOffset + 2 * b);
        at.push_back(kRioLinkOffset + 2 * b + 1);
    }
    return at;
}

const uint8_t kValues[] = {0x00, 0x01, 0x02, 0x03, 0x07, 0x0F, 0x20, 0x3B, 0x3C, 0x3D, 0x40, 0x7F, 0x80, 0xFE, 0xFF};

TEST(HostileDirectory, EditedDirectoriesNeverCrashWriteOutsideOrFailSilently)
{
    std::mt19937 rng(20261207);
    const std::vector<int> offsets = SteeringOffsets();
    ASSERT_EQ(hostile::CheckDirectoryBytes(std::vector<uint8_t>{0}.data(), 1), "");
    ASSERT_EQ(hostile::CheckDirectoryBytes(std::vector<uint8_t>{1}.data(), 1), "");
    for (int round = 0; round < 160; ++round) {
        std::vector<uint8_t> input = {uint8_t(rng())};
        const int edits = 1 + int(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            static const int runs[] = {0, 1, 4, 8, 60, 64, 1000, 1024};
            int at = rng() % 4 ? offsets[rng() % offsets.size()] : int(rng() % kRioBlockSize);
            if (rng() % 5 == 0)     // a run of states that fills most of the memory
                at = 0x8000 | runs[rng() % (sizeof runs / sizeof *runs)];
            input.push_back(uint8_t(at));
            input.push_back(uint8_t(at >> 8));
            input.push_back(rng() % 3 ? kValues[rng() % sizeof kValues] : uint8_t(rng()));
        }
        ASSERT_EQ(hostile::CheckDirectoryBytes(input.data(), input.size()), "") << "round " << round;
    }
}

TEST(HostileDirectory, ListRowsOfEditedDirectoriesStayWithinTheirTexts)
{
    std::mt19937 rng(7);
    const std::vector<int> offsets = SteeringOffsets();
    CMemorySettings settings;
    for (const char* delay : {"IODelayInit", "IODelayTx", "IODelayRx"})
        settings.WriteInt("Settings", delay, 1);
    CIgnoreMessages sink;
    CFakePort port(888);
    port.logging = false;
    CFixedPortProvider provider(&port);
    CRioSession session(settings, sink, provider);
    ASSERT_TRUE(session.Connect());
    for (int round = 0; round < 60; ++round) {
        std::vector<uint8_t> block(kRioBlockSize);
        hostile::BuildSoundDirectory(block.data(), 1024);
        for (int e = 0; e < 8; ++e)
            block[offsets[rng() % offsets.size()]] = rng() % 2 ? kValues[rng() % sizeof kValues] : uint8_t(rng());
        // Names without a terminator, counts beyond the slots.
        if (round % 3 == 0)
            std::memset(block.data() + kRioEntriesOffset + 0x1C, 'N', kRioNameSize + 4);
        hostile::MakeChecksumsValid(block.data());
        hostile::StoreBlock0(port, false, block.data());
        ASSERT_TRUE(session.ReadDirectory()) << round;
        int rows = 0;
        std::unique_ptr<CFileEntry> row;
        while (session.GetEntryRow(rows, row)) {
            EXPECT_LE(row->GetNameText().size(), size_t(kRioNameSize));
            EXPECT_LE(row->GetSizeText().size(), 11u);
            EXPECT_LE(row->GetDateTimeText().size(), 17u);
            ++rows;
        }
        EXPECT_LE(rows, kRioMaxEntries);
        int kb = 0;
        EXPECT_TRUE(session.GetTotalMemory(kb));
        EXPECT_LE(kb, 65535 * 32);
    }
}

}  // namespace
