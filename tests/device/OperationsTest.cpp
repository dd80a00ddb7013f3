// SPDX-License-Identifier: GPL-3.0-or-later
// Directory read and write, format, the bad-block check, delete and reorder.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>

#include "tests/device/DeviceTestSupport.h"

namespace {

struct OperationsTest : CQuietDeviceTest {
    // Data bytes of block 0 as the fake stores them (internal memory, chip 0).
    std::vector<uint8_t> StoredBlock0() const
    {
        std::vector<uint8_t> out;
        for (int p = 0; p < 64; ++p) {
            const std::vector<uint8_t> page = port.Page(0, p);
            out.insert(out.end(), page.begin(), page.begin() + 512);
        }
        return out;
    }
    // Three files: a.mp3 in blocks 1-2, b.mp3 in 3, c.mp3 in 4-6.
    void ThreeFiles()
    {
        ASSERT_TRUE(dev.Format(0, nullptr));
        PutEntry(dev, 0, "a.mp3", 1, 2);
        PutEntry(dev, 1, "b.mp3", 3, 1);
        PutEntry(dev, 2, "c.mp3", 4, 3);
        PutChain(dev, {0});
        PutChain(dev, {1, 2});
        PutChain(dev, {3});
        PutChain(dev, {4, 5, 6});
        DirectoryHeader h = dev.GetHeader();
        h.count = 3; h.used = 7; h.free = 1017;
        dev.SetHeader(h);
    }
};

TEST_F(OperationsTest, WriteDirectoryStampsChecksumsAndStoresBlockZero)
{
    ASSERT_TRUE(dev.Format(0, nullptr));
    PutEntry(dev, 0, "x.mp3", 1, 1);
    const uint32_t before = uint32_t(time(nullptr));
    port.logging = true;
    ASSERT_TRUE(dev.WriteDirectory());
    const uint32_t after = uint32_t(time(nullptr));

    const DirectoryHeader h = dev.GetHeader();
    EXPECT_GE(h.time, before);
    EXPECT_LE(h.time, after);
    EXPECT_EQ(BodyChecksum(dev.Directory()), h.bodyChecksum);
    EXPECT_EQ(HeaderChecksum(dev.Directory()), h.headerChecksum);
    EXPECT_EQ(Image(), StoredBlock0());
    // Links prev = next = 0 in every spare area; the link is released.
    const std::vector<uint8_t> page = port.Page(0, 5);
    EXPECT_EQ(std::vector<uint8_t>(12, 0), std::vector<uint8_t>(page.begin() + 512, page.begin() + 524));
    EXPECT_EQ(std::vector<uint8_t>(2, 0), std::vector<uint8_t>(page.begin() + 526, page.end()));
    CTrace release;
    release.Release();
    EXPECT_TRACE(release.v, std::vector<PortAccess>(port.log.end() - long(release.v.size()), port.log.end()));
    EXPECT_EQ(1, CountReleases(port.log));

    CRioDevice reader(port);
    reader.SetPort(888);
    EXPECT_TRUE(reader.ReadDirectory());
    EXPECT_EQ(0, std::memcmp(reader.Directory(), dev.Directory(), 32768));
    EXPECT_EQ(kRioNoError, reader.GetErrorCode());
}

TEST_F(OperationsTest, ReadDirectoryWithABadChecksumKeepsTheBlock)
{
    ASSERT_TRUE(dev.Format(0, nullptr));
    ASSERT_TRUE(dev.WriteDirectory());
    port.pages[CFakePort::Key(0, 40)][100] ^= 0x01;     // one body bit
    CRioDevice reader(port);
    reader.SetPort(888);
    EXPECT_FALSE(reader.ReadDirectory());
    EXPECT_EQ(7, reader.GetErrorCode());
    EXPECT_STREQ("invalid directory checksum, initialization recommended", reader.GetErrorText());
    EXPECT_EQ(StoredBlock0(), std::vector<uint8_t>(reader.Directory(), reader.Directory() + 32768));

    port.pages[CFakePort::Key(0, 40)][100] ^= 0x01;
    port.pages[CFakePort::Key(0, 0)][0x14] ^= 0x02;     // one header bit
    EXPECT_FALSE(reader.ReadDirectory());
    EXPECT_EQ(7, reader.GetErrorCode());
}

TEST_F(OperationsTest, ReadDirectoryFromAVanishedPlayerIsNotFoundNotCorrupt)
{
    ASSERT_TRUE(dev.Format(0, nullptr));
    ASSERT_TRUE(dev.WriteDirectory());
    port.attached = false;      // status 0x7F: ready, and every byte reads 0xFF
    port.logging = true;
    EXPECT_FALSE(dev.ReadDirectory());
    EXPECT_EQ(3, dev.GetErrorCode());
    EXPECT_STREQ("device not found", dev.GetErrorText());
    EXPECT_EQ(CRioDevice::kDirectoryNotRead, dev.GetDirectoryState());
    EXPECT_EQ(1, CountReleases(port.log));
}

TEST_F(OperationsTest, ReadDirectoryThatCannotReadStillReleases)
{
    port.stuck = [](BusyPhase p, int) { return p == BusyPhase::ReadAddress; };
    port.logging = true;
    EXPECT_FALSE(dev.ReadDirectory());
    EXPECT_EQ(6, dev.GetErrorCode());
    EXPECT_STREQ("too many retries for rx block", dev.GetErrorText());
    EXPECT_EQ(1, CountReleases(port.log));
}

TEST_F(OperationsTest, FormatResetsTheImageOnly)
{
    std::memset(dev.Directory(), 0x3C, 32768);
    port.logging = true;
    ASSERT_TRUE(dev.Format(0, nullptr));
    EXPECT_TRUE(port.log.empty());
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(0, h.count); EXPECT_EQ(1024, h.total); EXPECT_EQ(0, h.used);
    EXPECT_EQ(1024, h.free); EXPECT_EQ(0, h.bad); EXPECT_EQ(0x0100, h.formatMark);
    std::vector<uint8_t> want(32768, 0);
    std::memset(&want[0x2000], 0xFF, 8192);
    RioPut16(&want[2], 1024);
    RioPut16(&want[6], 1024);
    RioPut16(&want[0x14], 0x0100);
    EXPECT_EQ(want, Image());

    dev.SetLargeChip(1);
    ASSERT_TRUE(dev.Format(0, nullptr));
    EXPECT_EQ(2048, dev.GetHeader().total);
    EXPECT_EQ(2048, dev.GetHeader().free);
}

TEST_F(OperationsTest, FormatOfTheCardAsksItsSizeEveryTime)
{
    std::memset(dev.Directory(), 0x3C, 32768);
    const std::vector<uint8_t> before = Image();
    dev.SetMemory(1);
    EXPECT_FALSE(dev.Format(0, nullptr));            // no card
    EXPECT_EQ(3, dev.GetErrorCode());
    EXPECT_STREQ("device not found", dev.GetErrorText());
    EXPECT_EQ(before, Image());
    EXPECT_FALSE(dev.CheckBadBlocks(nullptr));
    EXPECT_EQ(before, Image());

    port.device[4] = 0xE3;
    EXPECT_TRUE(dev.Format(0, nullptr));
    EXPECT_EQ(128, dev.GetExternalBlocks());
    EXPECT_EQ(128, dev.GetHeader().total);
    EXPECT_EQ(128, dev.GetHeader().free);
    // Swapped for a card of another size: asked again, the figures follow it.
    port.device[4] = 0x75;
    EXPECT_TRUE(dev.Format(0, nullptr));
    EXPECT_EQ(1024, dev.GetExternalBlocks());
    EXPECT_EQ(1024, dev.GetHeader().total);
    EXPECT_EQ(1024, dev.GetHeader().free);
}

TEST_F(OperationsTest, BadBlockCheckMarksBlocksThatLoseAPattern)
{
    dev.SetMemory(1);
    port.device[4] = 0x64;     // 64 blocks
    int programsOfBlock9 = 0;
    port.programFilter = [&](int chip, int page, int index, uint8_t v) -> uint8_t {
        const int block = page / 64;
        if (chip == 4 && block == 9 && index == 0)
            ++programsOfBlock9;
        if (chip == 4 && block == 5 && page % 64 == 10 && index == 3)
            return v & 0xFE;    // bit 0 stuck low: 0xAA holds, 0x55 does not
        if (chip == 4 && block == 9 && page % 64 == 63 && index == 511)
            return v & 0x7F;    // bit 7 stuck low: 0xAA already fails
        return v;
    };
    std::vector<int> calls;
    static std::vector<int>* s_calls;
    s_calls = &calls;
    ASSERT_TRUE(dev.Format(1, [](int done, int total) { s_calls->push_back(done * 1000 + total); return 1; }));
    ASSERT_EQ(63u, calls.size());
    EXPECT_EQ(1 * 1000 + 64, calls.front());
    EXPECT_EQ(63 * 1000 + 64, calls.back());

    for (int b = 0; b < 64; ++b)
        EXPECT_EQ(b == 5 || b == 9 ? 0x0F : 0xFF, dev.GetBlockState(b)) << b;
    EXPECT_EQ(0xFF, dev.GetBlockState(64));
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(64, h.total); EXPECT_EQ(2, h.bad); EXPECT_EQ(2, h.used); EXPECT_EQ(62, h.free);
    EXPECT_EQ(64, programsOfBlock9);    // one pattern only
    EXPECT_EQ(0x55, port.Page(4, 63 * 64 + 63)[511]);   // a good block keeps 0x55
    // Block 0 is not tested: before the test it received the empty directory.
    CRioDevice reader(port);
    reader.SetPort(888);
    reader.SetMemory(1);
    ASSERT_TRUE(reader.ReadDirectory()) << reader.GetErrorText();
    EXPECT_EQ(0, reader.GetHeader().count);
    EXPECT_EQ(64, reader.GetHeader().free);
    EXPECT_EQ(0, reader.GetHeader().bad);
}

TEST_F(OperationsTest, CheckedFormatStoresTheEmptyDirectoryBeforeTheTest)
{
    ThreeFiles();
    ASSERT_TRUE(dev.WriteDirectory());
    // The test stops at its first block: the player already holds the empty
    // directory, and so does the image, so that no old entry can come back
    // over blocks the test has overwritten.
    EXPECT_FALSE(dev.Format(1, [](int, int) { return 0; }));
    EXPECT_EQ(16, dev.GetErrorCode());
    EXPECT_TRUE(dev.HasValidDirectory());
    EXPECT_EQ(0, dev.GetHeader().count);
    EXPECT_EQ(1024, dev.GetHeader().free);
    CRioDevice reader(port);
    reader.SetPort(888);
    ASSERT_TRUE(reader.ReadDirectory());
    EXPECT_EQ(0, std::memcmp(reader.Directory(), dev.Directory(), 32768));

    // When the empty directory cannot be stored, the old image stays.
    ThreeFiles();
    const std::vector<uint8_t> before = Image();
    port.stuck = [](BusyPhase p, int) { return p == BusyPhase::Erase; };
    EXPECT_FALSE(dev.Format(1, nullptr));
    EXPECT_EQ(5, dev.GetErrorCode());
    EXPECT_EQ(before, Image());
}

TEST_F(OperationsTest, BadBlockCheckStoppedByTheCallbackOrAFault)
{
    ASSERT_TRUE(dev.Format(0, nullptr));
    port.logging = true;
    EXPECT_FALSE(dev.CheckBadBlocks([](int, int) { return 0; }));
    EXPECT_EQ(16, dev.GetErrorCode());
    EXPECT_STREQ("operation interrupted", dev.GetErrorText());
    EXPECT_TRUE(port.log.empty());      // nothing written

    // Stopped part-way, the image is as it was: no block marked, no counter moved.
    port.logging = false;
    const std::vector<uint8_t> before = Image();
    port.programFilter = [](int, int page, int, uint8_t v) -> uint8_t { return page / 64 == 2 ? 0 : v; };
    EXPECT_FALSE(dev.CheckBadBlocks([](int done, int) { return done < 4 ? 1 : 0; }));
    EXPECT_EQ(before, Image());

    port.stuck = [](BusyPhase p, int) { return p == BusyPhase::Program; };
    EXPECT_FALSE(dev.Format(1, nullptr));
    EXPECT_EQ(5, dev.GetErrorCode());
}

TEST_F(OperationsTest, DeleteFreesTheChainAndMovesLaterEntriesDown)
{
    ThreeFiles();
    const std::vector<uint8_t> slotB(dev.EntrySlot(1), dev.EntrySlot(1) + 128);
    const std::vector<uint8_t> slotC(dev.EntrySlot(2), dev.EntrySlot(2) + 128);
    ASSERT_TRUE(dev.DeleteFile("a.mp3"));
    EXPECT_EQ(slotB, std::vector<uint8_t>(dev.EntrySlot(0), dev.EntrySlot(0) + 128));
    EXPECT_EQ(slotC, std::vector<uint8_t>(dev.EntrySlot(1), dev.EntrySlot(1) + 128));
    EXPECT_EQ(slotC, std::vector<uint8_t>(dev.EntrySlot(2), dev.EntrySlot(2) + 128));   // stale copy
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(2, h.count); EXPECT_EQ(5, h.used); EXPECT_EQ(1019, h.free);
    for (int b : {1, 2}) {
        EXPECT_EQ(0xFF, dev.GetBlockState(b));
        EXPECT_EQ(0, dev.GetBlockLink(b));
    }
    EXPECT_EQ(0x00, dev.GetBlockState(0));     // the directory stays counted
    EXPECT_EQ(5, dev.GetBlockLink(4));

    ASSERT_TRUE(dev.DeleteFile("c.mp3"));      // the last entry: its slot is cleared
    EXPECT_EQ(std::vector<uint8_t>(128, 0), std::vector<uint8_t>(dev.EntrySlot(1), dev.EntrySlot(1) + 128));

    EXPECT_FALSE(dev.DeleteFile("zz.mp3"));
    EXPECT_EQ(8, dev.GetErrorCode());
    EXPECT_STREQ("file 'zz.mp3' not present on device", dev.GetErrorText());
}

TEST_F(OperationsTest, DeleteRefusesABrokenChain)
{
    ThreeFiles();
    dev.SetBlockLink(6, 4);        // c.mp3: 4 -> 5 -> 6 -> 4 ...
    std::vector<uint8_t> before = Image();
    EXPECT_FALSE(dev.DeleteFile("c.mp3"));
    EXPECT_EQ(7, dev.GetErrorCode());
    EXPECT_STREQ("invalid block chain of file 'c.mp3', initialization recommended", dev.GetErrorText());
    EXPECT_EQ(before, Image());

    dev.SetBlockLink(6, 9000);     // beyond the tables
    before = Image();
    EXPECT_FALSE(dev.DeleteFile("c.mp3"));
    EXPECT_EQ(7, dev.GetErrorCode());
    EXPECT_EQ(before, Image());
    PutEntry(dev, 1, "b.mp3", 0xFFFF, 1);
    EXPECT_FALSE(dev.DeleteFile("b.mp3"));
    EXPECT_EQ(7, dev.GetErrorCode());

    // Several at once: the sound c.mp3 stays too; slots not in use or named twice are refused.
    dev.SetBlockLink(6, 0);
    before = Image();
    const int withBroken[] = {1, 2}, twice[] = {0, 0}, beyond[] = {3};
    EXPECT_FALSE(dev.DeleteEntries(withBroken, 2));
    EXPECT_FALSE(dev.DeleteEntries(twice, 2));
    EXPECT_FALSE(dev.DeleteEntries(beyond, 1));
    EXPECT_EQ(kRioErrPosition, dev.GetErrorCode());
    EXPECT_EQ(before, Image());
}

// Chains that share a block or run through a block marked free: a delete or a
// download would destroy the other file. Both are refused, naming the file whose
// chain is at fault, before any change or register access.
TEST_F(OperationsTest, SharedOrFreeMarkedChainBlocksStopDeleteAndDownload)
{
    CTempFile next("quavel_dev_next.mp3");
    next.Write(std::vector<uint8_t>(100, 0x33));
    struct SCase {
        const char *shape, *deleted, *named;
        uint16_t bFirst, bBlocks; // where b.mp3 (block 3) is made to lie
        int count, freeMarked;    // count 4 exposes the stale copy of c.mp3 in slot 3
    };
    const SCase cases[] = {
        {"shared tail", "a.mp3", "b.mp3", 2, 1, 3, 0},
        {"a file inside another", "b.mp3", "c.mp3", 5, 2, 3, 0},
        {"a stale slot exposed by the count", "c.mp3", "c.mp3", 3, 1, 4, 0},
        {"a block marked free inside a chain", "a.mp3", "c.mp3", 3, 1, 3, 5},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.shape);
        ThreeFiles();
        PutEntry(dev, 1, "b.mp3", c.bFirst, c.bBlocks);
        PutEntry(dev, 3, "c.mp3", 4, 3);
        RioPut16(dev.Directory(), uint16_t(c.count));
        dev.SetBlockState(c.freeMarked, c.freeMarked ? kRioBlockFree : kRioBlockUsed);
        const std::vector<uint8_t> before = Image();
        port.logging = true;
        const std::string text =
            std::string("invalid block chain of file '") + c.named + "', initialization recommended";
        EXPECT_FALSE(dev.DeleteFile(c.deleted));
        EXPECT_EQ(text, dev.GetErrorText());
        EXPECT_FALSE(dev.DownloadFile(next.path.c_str(), nullptr));
        EXPECT_EQ(text, dev.GetErrorText());
        EXPECT_EQ(7, dev.GetErrorCode());
        EXPECT_EQ(before, Image());
        EXPECT_TRUE(port.log.empty());
    }

    // Sixty sound entries still delete and download: the next file takes the freed block.
    port.logging = false;
    ASSERT_TRUE(dev.Format(0, nullptr));
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(dev.DownloadFile(next.path.c_str(), nullptr)) << i;
    ASSERT_TRUE(dev.DeleteFile("quavel_dev_next.mp3")) << dev.GetErrorText();
    ASSERT_TRUE(dev.DownloadFile(next.path.c_str(), nullptr)) << dev.GetErrorText();
    EXPECT_EQ(1, DirectoryEntry::Read(dev.EntrySlot(59)).firstBlock);
}

TEST_F(OperationsTest, DeleteWithAnOversizedCountStaysInTheSlots)
{
    ThreeFiles();
    for (int s = 3; s < 60; ++s)
        PutEntry(dev, s, "pad", 0, 0);
    DirectoryHeader h = dev.GetHeader();
    h.count = 75;
    dev.SetHeader(h);
    const std::vector<uint8_t> states(dev.Directory() + 0x2000, dev.Directory() + 0x2000 + 8192);
    ASSERT_TRUE(dev.DeleteFile("b.mp3"));
    EXPECT_EQ(59, dev.GetHeader().count);
    std::vector<uint8_t> after(dev.Directory() + 0x2000, dev.Directory() + 0x2000 + 8192);
    after[3] = 0x00;     // the freed block of b.mp3
    EXPECT_EQ(states, after);
}

TEST_F(OperationsTest, ReorderTakesEachEntryOnce)
{
    ThreeFiles();
    std::vector<std::vector<uint8_t>> slot;
    for (int s = 0; s < 4; ++s)
        slot.emplace_back(dev.EntrySlot(s), dev.EntrySlot(s) + 128);
    const uint32_t order[3] = {2, 0, 1};
    ASSERT_TRUE(dev.ReorderFiles(order, 3));
    EXPECT_EQ(slot[2], std::vector<uint8_t>(dev.EntrySlot(0), dev.EntrySlot(0) + 128));
    EXPECT_EQ(slot[0], std::vector<uint8_t>(dev.EntrySlot(1), dev.EntrySlot(1) + 128));
    EXPECT_EQ(slot[1], std::vector<uint8_t>(dev.EntrySlot(2), dev.EntrySlot(2) + 128));
    EXPECT_EQ(slot[3], std::vector<uint8_t>(dev.EntrySlot(3), dev.EntrySlot(3) + 128));

    const uint32_t swap[2] = {1, 0};    // a partial list that is still a permutation
    ASSERT_TRUE(dev.ReorderFiles(swap, 2));
    EXPECT_EQ(slot[0], std::vector<uint8_t>(dev.EntrySlot(0), dev.EntrySlot(0) + 128));

    const std::vector<uint8_t> before = Image();
    const uint32_t outOfRange[3] = {0, 1, 3}, twice[3] = {0, 0, 1}, partial[1] = {2};
    const uint32_t tooMany[4] = {0, 1, 2, 0};
    for (const auto& bad : {std::make_pair(outOfRange, 3), std::make_pair(twice, 3),
                            std::make_pair(partial, 1), std::make_pair(tooMany, 4)}) {
        EXPECT_FALSE(dev.ReorderFiles(bad.first, bad.second));
        EXPECT_EQ(9, dev.GetErrorCode());
        EXPECT_STREQ("invalid file position", dev.GetErrorText());
        EXPECT_EQ(before, Image());
    }

    DirectoryHeader h = dev.GetHeader();    // oversized count: 60 slots at most
    h.count = 70;
    dev.SetHeader(h);
    std::vector<uint32_t> all(61);
    for (uint32_t i = 0; i < 61; ++i)
        all[i] = 60 - i;
    const std::vector<uint8_t> before70 = Image();
    EXPECT_FALSE(dev.ReorderFiles(all.data(), 61));
    EXPECT_EQ(before70, Image());
}

class FailingAllocDevice : public CRioDevice {
public:
    using CRioDevice::CRioDevice;
protected:
    std::unique_ptr<uint8_t[]> AllocateBuffer(size_t) override { return nullptr; }
};

TEST_F(OperationsTest, EveryWorkBufferFailureIsReported)
{
    FailingAllocDevice failing(port);
    failing.SetPort(888);
    const uint32_t order[1] = {0};
    const std::function<bool()> ops[] = {
        [&] { return failing.ReadDirectory(); },
        [&] { return failing.WriteDirectory(); },
        [&] { return failing.CheckBadBlocks(nullptr); },
        [&] { return failing.ReorderFiles(order, 1); },
    };
    for (const auto& op : ops) {
        ASSERT_TRUE(failing.Format(0, nullptr));    // an image that may be written
        EXPECT_FALSE(failing.DeleteFile("none"));   // some other error first
        EXPECT_FALSE(op());
        EXPECT_EQ(0, failing.GetErrorCode());
        EXPECT_STREQ("new failed", failing.GetErrorText());
    }
}

} // namespace
