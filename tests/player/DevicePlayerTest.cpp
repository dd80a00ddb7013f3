// SPDX-License-Identifier: GPL-3.0-or-later
// The device object against the virtual player: files through the whole link,
// the directory block, the retry protocol and the pattern test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

namespace {

// Downloads a file of the given bytes under `name` and writes the directory.
void Download(CDeviceRig& rig, CTempFolder& folder, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = folder.Path(name);
    ASSERT_TRUE(WriteFile(path, bytes));
    ASSERT_TRUE(rig.Device().DownloadFile(path.c_str(), nullptr)) << rig.Device().GetErrorText();
    ASSERT_TRUE(rig.Device().WriteDirectory()) << rig.Device().GetErrorText();
}

std::vector<uint8_t> Upload(CDeviceRig& rig, CTempFolder& folder, const std::string& name)
{
    const std::string path = folder.Path("back") + "-" + name;
    // The entry is found by the base name of the PC path.
    std::filesystem::create_directories(folder.Path("up"));
    const std::string target = folder.Path("up") + "/" + name;
    EXPECT_TRUE(rig.Device().UploadFile(target.c_str(), nullptr)) << rig.Device().GetErrorText();
    return ReadFile(target);
}

std::vector<uint8_t> BlockOfPlayer(CVirtualPlayer& player, EMemory memory, uint32_t block)
{
    std::vector<uint8_t> out(32768);
    for (uint32_t p = 0; p < 64; ++p) {
        const uint8_t* page = player.Page(memory, block * 64 + p);
        std::memcpy(&out[p * 512], page, 512);
    }
    return out;
}

}  // namespace

TEST(DeviceWithPlayer, FilesOfManySizesRoundTripOnInternalMemory)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    CRioDevice& dev = rig.Device();
    ASSERT_TRUE(dev.Detect());
    ASSERT_TRUE(dev.ReadDirectory()) << "a new player holds a valid, empty directory";
    EXPECT_EQ(dev.GetHeader().count, 0);
    EXPECT_EQ(dev.GetHeader().free, 1024);

    const std::vector<size_t> sizes = {1, 511, 512, 4096, 32767, 32768, 32769, 65536, 65537, 100000};
    std::vector<std::vector<uint8_t>> contents;
    for (size_t i = 0; i < sizes.size(); ++i) {
        contents.push_back(MakeBytes(sizes[i], static_cast<uint32_t>(i)));
        Download(rig, folder, "song" + std::to_string(i) + ".mp3", contents.back());
    }

    rig.NewDevice();
    CRioDevice& fresh = rig.Device();
    ASSERT_TRUE(fresh.Detect());
    ASSERT_TRUE(fresh.ReadDirectory()) << fresh.GetErrorText();
    const DirectoryHeader h = fresh.GetHeader();
    EXPECT_EQ(h.count, sizes.size());
    EXPECT_EQ(h.used + h.free, h.total);
    EXPECT_EQ(h.used, 1 + 1 + 1 + 1 + 1 + 1 + 1 + 2 + 2 + 3 + 4) << "the directory block and every file's blocks";
    for (size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(Upload(rig, folder, "song" + std::to_string(i) + ".mp3"), contents[i]) << "size " << sizes[i];
    EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
}

// Quavel.exe and quavel-cli both store names through the device: a name of
// 154 characters arrives as 100 bytes that still end in its extension.
TEST(DeviceWithPlayer, LongNameArrivesCutWithItsExtension)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory());
    const std::vector<uint8_t> bytes = MakeBytes(40000, 7);
    Download(rig, folder, std::string(150, 'x') + ".mp3", bytes);

    rig.NewDevice();
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory()) << rig.Device().GetErrorText();
    char name[kRioNameSize + 1];
    DirectoryEntry::Read(rig.Device().EntrySlot(0)).GetName(name);
    const std::string cut = std::string(96, 'x') + ".mp3";
    EXPECT_EQ(name, cut);
    EXPECT_EQ(Upload(rig, folder, cut), bytes);
}

TEST(DeviceWithPlayer, SpareAreasCarryTheChainAsThePlayerExpects)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory());
    Download(rig, folder, "three.mp3", MakeBytes(70000, 3));
    const int slot = rig.Device().FindEntry("three.mp3");
    ASSERT_EQ(slot, 0);
    const DirectoryEntry e = DirectoryEntry::Read(rig.Device().EntrySlot(slot));

    // The player's own idea of a spare area, built independently, must match what was sent.
    CFlashImage::SFormat format;
    std::vector<uint16_t> chain;
    for (uint16_t b = e.firstBlock; chain.size() < e.blocks; b = rig.Device().GetBlockLink(b))
        chain.push_back(b);
    for (size_t i = 0; i < chain.size(); ++i) {
        const uint16_t prev = i == 0 ? 0xFFFF : chain[i - 1];
        const uint16_t next = i + 1 == chain.size() ? 0xFFFF : chain[i + 1];
        for (uint32_t p = 0; p < 64; ++p) {
            const uint8_t* page = rig.Player().Page(EMemory::Internal, chain[i] * 64u + p);
            uint8_t expected[16];
            CFlashImage::BuildSpare(expected, page, prev, next, format);
            ASSERT_EQ(std::memcmp(page + 512, expected, 16), 0) << "block " << chain[i] << " page " << p;
        }
    }
    // Block 0 links to itself as a lone block (prev = next = 0).
    uint8_t dirSpare[16];
    CFlashImage::BuildSpare(dirSpare, rig.Player().Page(EMemory::Internal, 5), 0, 0, format);
    EXPECT_EQ(std::memcmp(rig.Player().Page(EMemory::Internal, 5) + 512, dirSpare, 16), 0);
}

TEST(DeviceWithPlayer, FilesLandOnTheRightChipOfEachMemory)
{
    struct SCase {
        const char* name;
        bool large;
        uint8_t card;
        uint16_t firstBlock;  // where the file is made to start
        int chipOfFirstBlock;
    };
    const SCase cases[] = {
        {"8 MB chips", false, 0, 700, 2},
        {"16 MB chips", true, 0, 1500, 2},
        {"2 MB card", false, 0xEA, 40, 4},
        {"32 MB card", false, 0x75, 900, 4},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        SPlayerOptions o = QuickPlayer();
        o.largeChips = c.large;
        o.cardCode = c.card;
        CDeviceRig rig(o);
        CTempFolder folder;
        CRioDevice& dev = rig.Device();
        const EMemory memory = c.card ? EMemory::Card : EMemory::Internal;
        dev.SetMemory(c.card ? 1 : 0);
        ASSERT_TRUE(dev.Detect());
        EXPECT_EQ(dev.GetLargeChip(), c.large ? 1 : 0);
        ASSERT_TRUE(dev.ReadDirectory()) << dev.GetErrorText();
        EXPECT_EQ(dev.GetHeader().total, rig.Player().Blocks(memory));
        // Occupy the blocks below firstBlock so that the file goes where the case wants it.
        DirectoryHeader h = dev.GetHeader();
        for (int b = 0; b < c.firstBlock; ++b)
            dev.SetBlockState(b, kRioBlockUsed);
        h.used = c.firstBlock;
        h.free = static_cast<uint16_t>(h.total - c.firstBlock);
        h.count = 0;
        dev.SetHeader(h);

        const std::vector<uint8_t> bytes = MakeBytes(80000, c.firstBlock);
        Download(rig, folder, "far.mp3", bytes);
        const std::vector<uint8_t> first = BlockOfPlayer(rig.Player(), memory, c.firstBlock);
        EXPECT_TRUE(std::equal(first.begin(), first.end(), bytes.begin())) << "first block stored elsewhere";
        const RioChipAddress a = dev.ChipAddress(c.firstBlock * 64u);
        EXPECT_EQ(a.chip, c.chipOfFirstBlock);
        const std::vector<uint8_t> last = BlockOfPlayer(rig.Player(), memory, c.firstBlock + 2u);
        EXPECT_TRUE(std::equal(bytes.begin() + 65536, bytes.end(), last.begin()));

        rig.NewDevice();
        rig.Device().SetMemory(c.card ? 1 : 0);
        ASSERT_TRUE(rig.Device().Detect());
        ASSERT_TRUE(rig.Device().ReadDirectory());
        EXPECT_EQ(Upload(rig, folder, "far.mp3"), bytes);
        EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
    }
}

TEST(DeviceWithPlayer, RoundTripWithDatasheetBusyTimesAndDefaultDelays)
{
    SPlayerOptions o = QuickPlayer();
    o.readyAtOnce = false;
    o.cardCode = 0xE6;
    CDeviceRig rig(o, {CRioDevice::kDefaultDelayInit, CRioDevice::kDefaultDelayTx, CRioDevice::kDefaultDelayRx});
    CTempFolder folder;
    rig.Device().SetMemory(1);
    ASSERT_TRUE(rig.Device().Detect());
    EXPECT_EQ(rig.Device().GetExternalBlocks(), 256);
    ASSERT_TRUE(rig.Device().ReadDirectory());
    const std::vector<uint8_t> bytes = MakeBytes(40000, 7);
    Download(rig, folder, "slow.mp3", bytes);
    EXPECT_EQ(Upload(rig, folder, "slow.mp3"), bytes);
    EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
    EXPECT_EQ(rig.Player().Chip(4).Erases(), 3u * 2) << "three blocks of two erase units each";
}

TEST(DeviceWithPlayer, DetectAcceptsOnlyKnownMakersAndCodes)
{
    for (uint8_t maker : {0x00, 0xA0, 0xAA, 0xDD, 0xFF}) {
        SPlayerOptions o = QuickPlayer();
        o.maker = maker;
        CDeviceRig rig(o);
        EXPECT_FALSE(rig.Device().Detect()) << int(maker);
        EXPECT_EQ(rig.Device().GetErrorCode(), 3);
        EXPECT_STREQ(rig.Device().GetErrorText(), "device not found");
    }
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0x12;  // not in the identification table
    CDeviceRig unknown(o);
    unknown.Device().SetMemory(1);
    EXPECT_FALSE(unknown.Device().Detect());
    EXPECT_EQ(unknown.Device().GetErrorCode(), 3);

    // A 16 MB card: 512 blocks, and the internal memory's large-chip flag stays clear.
    o.cardCode = 0x73;
    CDeviceRig card(o);
    card.Device().SetMemory(1);
    ASSERT_TRUE(card.Device().Detect());
    EXPECT_EQ(card.Device().GetExternalBlocks(), 512);
    EXPECT_EQ(card.Device().GetLargeChip(), 0);
    // With no card in the slot.
    card.Player().Faults().SetCardMissing(true);
    EXPECT_FALSE(card.Device().Detect());
    EXPECT_EQ(card.Device().GetErrorCode(), 3);
    EXPECT_EQ(card.Player().ProtocolErrors(), 0u) << card.Player().Log().Dump();
}

TEST(DeviceWithPlayer, RegisterTrafficIsExactlyWhatTheProtocolPrescribes)
{
    struct SCase {
        uint8_t card;       // 0: internal memory
        int units;          // erase units per block
        SDelays delays;
    };
    const SCase cases[] = {
        {0, 4, {100, 7, 3}}, {0, 4, {0, 0, 0}}, {0x75, 2, {100, 7, 3}}, {0x75, 2, {-5, -1, -2}},
    };
    for (const SCase& c : cases) {
        SPlayerOptions o = QuickPlayer();
        o.cardCode = c.card;
        CDeviceRig rig(o, c.delays);
        CVirtualPlayer& player = rig.Player();
        CRioDevice& dev = rig.Device();
        dev.SetMemory(c.card ? 1 : 0);
        const uint64_t init = std::max(c.delays.init, 0), tx = std::max(c.delays.tx, 0),
                       rx = std::max(c.delays.rx, 0);
        SCOPED_TRACE("card " + std::to_string(c.card) + ", delays " + std::to_string(init) + "/" +
                     std::to_string(tx) + "/" + std::to_string(rx));
        // Wake-up: 23 writes and four delays; a byte read: 2 writes, 2 delays and 2 reads.
        player.ResetCounters();
        ASSERT_TRUE(dev.Detect());
        EXPECT_EQ(player.Writes(), 23u + 7 * 3 + 2 * 2);
        EXPECT_EQ(player.Reads(), 4 * init + 2 * (2 * rx + 2));

        // Per erase unit: select, setup, two address bytes, confirm (each 3 writes),
        // one ready poll and the status strobe (11 writes, two delays of IODelayTx).
        // Per page: select, setup, three address bytes, 0xA3, 528 stream bytes of two
        // writes and one read, confirm, one ready poll and the status strobe.
        std::vector<uint8_t> block = MakeBytes(32768, 4);
        player.ResetCounters();
        ASSERT_TRUE(dev.TxBlock(block.data(), 1, 0xFFFF, 0xFFFF));
        EXPECT_EQ(player.Writes(), 23u + c.units * (21 + 6 + 11) + 64 * (24 + 3 + 1056 + 6 + 11));
        EXPECT_EQ(player.Reads(), 4 * init + c.units * (1 + 2 * tx) + 64 * (528 + 1 + 2 * tx));

        // Per page: select, setup, three address bytes, 0xA0, 528 byte reads, two ready polls.
        player.ResetCounters();
        ASSERT_TRUE(dev.RxBlock(block.data(), 1));
        EXPECT_EQ(player.Writes(), 23u + 64 * (24 + 3 + 528 * 2));
        EXPECT_EQ(player.Reads(), 4 * init + 64 * (2 + 528 * (2 * rx + 2)));

        player.ResetCounters();
        ASSERT_TRUE(dev.ReadDirectory());
        EXPECT_EQ(player.Writes(), 23u + 64 * (24 + 3 + 528 * 2) + 7) << "and the release";
        EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
    }
}

TEST(DeviceWithPlayer, DirectoryWithWrongChecksumIsReportedAndKeptAsRead)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory());
    Download(rig, folder, "a.mp3", MakeBytes(1000, 1));
    rig.Player().MutablePage(EMemory::Internal, 3)[17] ^= 0x10;  // inside the entry slots

    rig.NewDevice();
    CRioDevice& dev = rig.Device();
    ASSERT_TRUE(dev.Detect());
    EXPECT_FALSE(dev.ReadDirectory());
    EXPECT_EQ(dev.GetErrorCode(), 7);
    EXPECT_STREQ(dev.GetErrorText(), "invalid directory checksum, initialization recommended");
    const std::vector<uint8_t> stored = BlockOfPlayer(rig.Player(), EMemory::Internal, 0);
    EXPECT_EQ(std::memcmp(dev.Directory(), stored.data(), stored.size()), 0);
}

TEST(DeviceWithPlayer, CyclicChainStoredOnThePlayerEndsWithAnError)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory());
    Download(rig, folder, "loop.mp3", MakeBytes(3 * 32768, 8));
    // A directory with valid checksums whose chain runs 1 -> 2 -> 3 -> 1 -> ...
    DirectoryEntry e = DirectoryEntry::Read(rig.Device().EntrySlot(0));
    ASSERT_EQ(e.firstBlock, 1);
    e.blocks = 9;
    e.size = 9 * 32768;
    e.Write(rig.Device().EntrySlot(0));
    rig.Device().SetBlockLink(3, 1);
    ASSERT_TRUE(rig.Device().WriteDirectory());

    rig.NewDevice();
    CRioDevice& dev = rig.Device();
    ASSERT_TRUE(dev.Detect());
    ASSERT_TRUE(dev.ReadDirectory());
    const uint64_t start = rig.Player().Accesses();
    const std::string target = folder.Path("loop.mp3");
    EXPECT_FALSE(dev.UploadFile(target.c_str(), nullptr));
    EXPECT_EQ(dev.GetErrorCode(), 7);
    EXPECT_FALSE(dev.DeleteFile("loop.mp3"));
    EXPECT_EQ(dev.GetErrorCode(), 7);
    EXPECT_LT(rig.Player().Accesses() - start, 4u * 300000) << "no more than the entry's blocks are read";
}

TEST(DeviceWithPlayer, ReadyNeverComingRetriesThreeTimesWithPauses)
{
    struct SCase {
        EFaultPhase phase;
        bool write;
    };
    const SCase cases[] = {
        {EFaultPhase::Erase, true},
        {EFaultPhase::Program, true},
        {EFaultPhase::ReadAddress, false},
        {EFaultPhase::AfterPage, false},
    };
    const std::vector<uint8_t> block = MakeBytes(32768, 99);
    for (const SCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.phase));
        // Modelled milliseconds of one transfer, with a fault plan of `times` hangs.
        std::vector<uint8_t> buffer(32768);
        auto transfer = [&](CDeviceRig& rig, bool* ok) {
            CRioDevice& dev = rig.Device();
            EXPECT_TRUE(dev.Detect());
            const uint64_t start = rig.Player().Micros();
            *ok = c.write ? dev.SendBlock(block.data(), 5, 0xFFFF, 0xFFFF) : dev.ReceiveBlock(buffer.data(), 0);
            return static_cast<double>(rig.Player().Micros() - start) / 1000.0;
        };
        CDeviceRig clean(QuickPlayer());
        bool cleanOk = false;
        const double cleanMs = transfer(clean, &cleanOk);
        ASSERT_TRUE(cleanOk);
        for (int times : {CFaultPlan::kForever, 1}) {
            CDeviceRig rig(QuickPlayer());
            CRioDevice& dev = rig.Device();
            rig.Player().Faults().AddNeverReady(c.phase, times);
            bool ok = false;
            const double ms = transfer(rig, &ok);
            const size_t strikes = rig.Player().Log().Count(EPlayerEvent::Fault);
            if (times == CFaultPlan::kForever) {
                EXPECT_FALSE(ok);
                EXPECT_EQ(strikes, 3u) << "three attempts";
                // Each attempt waits 1000 ms for ready, then pauses 1000 ms (whole
                // milliseconds of the clock: each wait may end up to 1 ms early).
                EXPECT_GE(ms, 5994.0);
                EXPECT_LT(ms, 6020.0);
                EXPECT_EQ(dev.GetErrorCode(), c.write ? 5 : 6);
                EXPECT_STREQ(dev.GetErrorText(),
                             c.write ? "too many retries for tx block" : "too many retries for rx block");
            } else {
                EXPECT_TRUE(ok);
                EXPECT_EQ(strikes, 1u);
                EXPECT_GE(ms, cleanMs + 1998.0);
                EXPECT_LT(ms, cleanMs + 2010.0);
                EXPECT_EQ(dev.GetErrorCode(), kRioNoError);
                if (c.write)
                    EXPECT_EQ(BlockOfPlayer(rig.Player(), EMemory::Internal, 5), block);
                else
                    EXPECT_EQ(buffer, BlockOfPlayer(rig.Player(), EMemory::Internal, 0));
            }
            EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
        }
    }
}

TEST(DeviceWithPlayer, ReadyTimeoutAndPauseSurviveTheClockWrap)
{
    // The millisecond counter wraps inside the wait for ready, then inside the pause.
    for (int beforeWrap : {500, 1500}) {
        SPlayerOptions o = QuickPlayer();
        o.clockStartMs = 2147483647 - beforeWrap;
        CDeviceRig rig(o);
        ASSERT_TRUE(rig.Device().Detect());
        rig.Player().Faults().AddNeverReady(EFaultPhase::Erase, 1);
        const uint64_t start = rig.Player().Micros();
        const std::vector<uint8_t> block = MakeBytes(32768, 5);
        EXPECT_TRUE(rig.Device().SendBlock(block.data(), 1, 0xFFFF, 0xFFFF));
        // One wait of 1000 ms, one pause of 1000 ms and the block itself (about 110 ms).
        EXPECT_LT(rig.Player().Micros() - start, 2200000u) << beforeWrap;
        EXPECT_GT(rig.Player().Micros() - start, 2000000u) << beforeWrap;
        EXPECT_EQ(rig.Player().Log().Count(EPlayerEvent::Fault), 1u);
    }
}

namespace {

int g_progressCalls = 0;
int g_stopAt = -1;

int CountingProgress(int done, int total)
{
    ++g_progressCalls;
    EXPECT_EQ(total, 64);
    return done == g_stopAt ? 0 : 1;
}

}  // namespace

TEST(DeviceWithPlayer, PatternTestMarksBadAndWornBlocks)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0x64;  // 64 blocks: a test of every block stays quick
    CDeviceRig rig(o);
    rig.Player().Faults().AddBadBlock(EMemory::Card, 5);
    rig.Player().Faults().AddBadPages(EMemory::Card, 40 * 64 + 63, 1);  // one page is enough
    rig.Player().Faults().AddWeakUnit(EMemory::Card, 50 * 64 + 32, 1);  // holds 0xAA, not 0x55
    CRioDevice& dev = rig.Device();
    dev.SetMemory(1);  // no Detect: the card's size is established by the format itself
    g_progressCalls = 0;
    g_stopAt = -1;
    ASSERT_TRUE(dev.Format(1, CountingProgress)) << dev.GetErrorText();
    EXPECT_EQ(g_progressCalls, 63);
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(h.total, 64);
    EXPECT_EQ(h.bad, 3);
    EXPECT_EQ(h.used, 3);
    EXPECT_EQ(h.free, 61);
    for (int b = 0; b < 64; ++b) {
        const bool bad = b == 5 || b == 40 || b == 50;
        EXPECT_EQ(dev.GetBlockState(b), bad ? kRioBlockBad : kRioBlockFree) << "block " << b;
    }
    EXPECT_EQ(rig.Player().Page(EMemory::Card, 7 * 64)[0], 0x55) << "a good block keeps the second pattern";
    ASSERT_TRUE(dev.WriteDirectory());

    rig.NewDevice();
    rig.Device().SetMemory(1);
    ASSERT_TRUE(rig.Device().Detect());
    ASSERT_TRUE(rig.Device().ReadDirectory());
    EXPECT_EQ(rig.Device().GetBlockState(40), kRioBlockBad);
    EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
}

TEST(DeviceWithPlayer, ProgressCallbackStopsThePatternTest)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = 0x64;
    CDeviceRig rig(o);
    CRioDevice& dev = rig.Device();
    dev.SetMemory(1);
    ASSERT_TRUE(dev.Detect());
    ASSERT_TRUE(dev.ReadDirectory());
    const DirectoryHeader before = dev.GetHeader();

    g_stopAt = 1;
    EXPECT_FALSE(dev.CheckBadBlocks(CountingProgress));
    EXPECT_EQ(dev.GetErrorCode(), 16);
    EXPECT_STREQ(dev.GetErrorText(), "operation interrupted");
    EXPECT_EQ(rig.Player().Chip(4).Erases(), 0u) << "stopped before writing anything";

    g_stopAt = 3;
    EXPECT_FALSE(dev.CheckBadBlocks(CountingProgress));
    EXPECT_EQ(rig.Player().Chip(4).Erases(), 2u * 2 * 2) << "blocks 1 and 2, two patterns, two units";
    EXPECT_EQ(dev.GetBlockState(1), kRioBlockFree);
    EXPECT_EQ(dev.GetBlockState(2), kRioBlockFree);
    EXPECT_EQ(dev.GetHeader().used, before.used);
    EXPECT_EQ(dev.GetHeader().bad, before.bad);
    g_stopAt = -1;
}
