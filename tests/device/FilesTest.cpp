// SPDX-License-Identifier: GPL-3.0-or-later
// DownloadFile and UploadFile with temporary PC files against the fake port.
#include <gtest/gtest.h>

#include "tests/device/DeviceTestSupport.h"
#include "tests/playlist/FailingPcFiles.h"

namespace {

std::vector<uint8_t> Pattern(size_t n, unsigned seed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        v[i] = uint8_t(seed >> 16);
    }
    return v;
}

std::vector<int> g_calls;
int Record(int done, int total)
{
    g_calls.push_back(done * 1000 + total);
    return 1;
}

struct FilesTest : CQuietDeviceTest {
    void SetUp() override
    {
        CQuietDeviceTest::SetUp();
        ASSERT_TRUE(dev.Format(0, nullptr));
        g_calls.clear();
    }
    DirectoryEntry Entry(int slot) const { return DirectoryEntry::Read(dev.EntrySlot(slot)); }
    std::vector<uint8_t> Spare(int block, int page = 0) const
    {
        const std::vector<uint8_t> p = port.Page(0, block * 64 + page);
        return std::vector<uint8_t>(p.begin() + 512, p.end());
    }
    uint32_t HeaderOf(const std::vector<uint8_t>& bytes)
    {
        CTempFile f("quavel_dev_head.mp3");
        f.Write(bytes);
        EXPECT_TRUE(dev.Format(0, nullptr));
        EXPECT_TRUE(dev.DownloadFile(f.path.c_str(), nullptr));
        return Entry(0).frameHeader;
    }
};

TEST_F(FilesTest, FirstDownloadIntoAnEmptyMemoryAndBack)
{
    CTempFile f("quavel_dev_three.mp3");
    const std::vector<uint8_t> data = Pattern(65636, 7);   // 3 blocks, 100 in the last
    f.Write(data);
    const uint32_t before = uint32_t(time(nullptr));
    port.logging = true;
    ASSERT_TRUE(dev.DownloadFile(f.path.c_str(), Record));
    EXPECT_EQ(1, CountReleases(port.log));
    EXPECT_EQ((std::vector<int>{3, 1003, 2003}), g_calls);

    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(1, h.count); EXPECT_EQ(4, h.used); EXPECT_EQ(1020, h.free); EXPECT_EQ(1024, h.total);
    for (int b = 0; b < 4; ++b)
        EXPECT_EQ(0x00, dev.GetBlockState(b)) << b;
    EXPECT_EQ(0xFF, dev.GetBlockState(4));
    EXPECT_EQ(0, dev.GetBlockLink(0));
    EXPECT_EQ(2, dev.GetBlockLink(1));
    EXPECT_EQ(3, dev.GetBlockLink(2));
    EXPECT_EQ(0, dev.GetBlockLink(3));
    const DirectoryEntry e = Entry(0);
    EXPECT_EQ(1, e.firstBlock); EXPECT_EQ(3, e.blocks); EXPECT_EQ(100, e.lastBytes);
    EXPECT_EQ(65636u, e.size);
    EXPECT_GE(e.time, before);
    EXPECT_LE(e.time, uint32_t(time(nullptr)));
    char name[101];
    e.GetName(name);
    EXPECT_STREQ("quavel_dev_three.mp3", name);

    // The chain is in the spare areas too; the last block is padded with zeros.
    const std::vector<uint8_t> s1 = Spare(1), s2 = Spare(2, 9), s3 = Spare(3);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
              std::vector<uint8_t>(s1.begin(), s1.begin() + 12));
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00}),
              std::vector<uint8_t>(s2.begin(), s2.begin() + 12));
    EXPECT_EQ(0x01, s2[15]);
    EXPECT_EQ(std::vector<uint8_t>(6, 0xFF), std::vector<uint8_t>(s3.begin(), s3.begin() + 6));
    EXPECT_EQ(0x00, port.Page(0, 3 * 64)[100]);
    EXPECT_EQ(data[65536 + 99], port.Page(0, 3 * 64)[99]);

    std::remove(f.path.c_str());
    port.log.clear();
    g_calls.clear();
    ASSERT_TRUE(dev.UploadFile(f.path.c_str(), Record));
    EXPECT_EQ(data, f.Read());
    EXPECT_EQ((std::vector<int>{3, 1003, 2003}), g_calls);
    EXPECT_EQ(1, CountReleases(port.log));
}

// A successful download moves its blocks exactly as before; after its last block
// it identifies the chip once on the open link (a vanished player answers nothing), then releases.
TEST_F(FilesTest, SuccessfulTransfersAreTheirBlocksThenOneIdentification)
{
    CTempFile f("quavel_dev_traffic.mp3");
    const std::vector<uint8_t> data = Pattern(40000, 9);    // blocks 1 and 2
    f.Write(data);
    port.logging = true;
    ASSERT_TRUE(dev.DownloadFile(f.path.c_str(), nullptr));
    ASSERT_TRUE(dev.WriteDirectory());
    const std::vector<PortAccess> actual = port.log;

    CFakePort other(888);
    CRioDevice expected(other);
    expected.SetPort(888);
    expected.SetIODelayInit(0);
    expected.SetIODelayTx(0);
    expected.SetIODelayRx(0);
    auto identify = [&] { // Detect without its wake-up (23 writes at these delays)
        const long at = long(other.log.size());
        ASSERT_TRUE(expected.Detect());
        other.log.erase(other.log.begin() + at, other.log.begin() + at + 23);
    };
    std::vector<uint8_t> block(data.begin(), data.begin() + 32768);
    ASSERT_TRUE(expected.SendBlock(block.data(), 1, 0xFFFF, 2));
    block.assign(32768, 0);
    std::copy(data.begin() + 32768, data.end(), block.begin());
    ASSERT_TRUE(expected.SendBlock(block.data(), 2, 1, 0xFFFF));
    identify();
    expected.ReleaseLink();
    ASSERT_TRUE(expected.SendBlock(dev.Directory(), 0, 0, 0));
    identify();
    expected.ReleaseLink();
    EXPECT_TRACE(other.log, actual);
}

TEST_F(FilesTest, FullLastBlockAndSecondDownload)
{
    CTempFile a("quavel_dev_full.mp3"), b("quavel_dev_small.mp3");
    const std::vector<uint8_t> full = Pattern(32768, 1), small = Pattern(5, 2);
    a.Write(full);
    b.Write(small);
    ASSERT_TRUE(dev.DownloadFile(a.path.c_str(), nullptr));
    ASSERT_TRUE(dev.DownloadFile(b.path.c_str(), nullptr));
    EXPECT_EQ(1, Entry(0).blocks);
    EXPECT_EQ(0, Entry(0).lastBytes);
    EXPECT_EQ(2, Entry(1).firstBlock);
    EXPECT_EQ(5, Entry(1).lastBytes);
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(2, h.count); EXPECT_EQ(3, h.used); EXPECT_EQ(1021, h.free);
    std::remove(a.path.c_str());
    std::remove(b.path.c_str());
    ASSERT_TRUE(dev.UploadFile(a.path.c_str(), nullptr));
    ASSERT_TRUE(dev.UploadFile(b.path.c_str(), nullptr));
    EXPECT_EQ(full, a.Read());
    EXPECT_EQ(small, b.Read());
}

// The directory block is counted once: deleting the last file leaves it marked
// used, and the next first file does not count it again. And a file that fits
// only without the directory block is refused before anything is sent.
TEST_F(FilesTest, TheDirectoryBlockIsCountedOnce)
{
    CTempFile a("quavel_dev_once.mp3");
    a.Write(Pattern(40000, 5));
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(dev.DownloadFile(a.path.c_str(), nullptr)) << dev.GetErrorText();
        const DirectoryHeader h = dev.GetHeader();
        EXPECT_EQ(3, h.used) << round;
        EXPECT_EQ(h.free, dev.CountFreeBlocks()) << round;
        ASSERT_TRUE(dev.DeleteFile("quavel_dev_once.mp3"));
        EXPECT_EQ(1, dev.GetHeader().used);
        EXPECT_EQ(dev.GetHeader().free, dev.CountFreeBlocks());
    }

    dev.SetMemory(1);
    port.device[4] = 0x64;      // a card of 64 blocks
    ASSERT_TRUE(dev.Format(0, nullptr));
    CTempFile whole("quavel_dev_whole.mp3");
    whole.Write(std::vector<uint8_t>(64 * 32768, 0x11));
    port.logging = true;
    port.log.clear();
    EXPECT_FALSE(dev.DownloadFile(whole.path.c_str(), nullptr));
    EXPECT_EQ(11, dev.GetErrorCode());
    EXPECT_TRUE(port.log.empty());
    // One block less fills the memory exactly.
    port.logging = false;
    whole.Write(std::vector<uint8_t>(63 * 32768, 0x11));
    ASSERT_TRUE(dev.DownloadFile(whole.path.c_str(), nullptr)) << dev.GetErrorText();
    EXPECT_EQ(0, dev.GetHeader().free);
}

TEST_F(FilesTest, FrameHeaderCapture)
{
    std::vector<uint8_t> v(100, 0x00);
    v[10] = 0xFF; v[11] = 0x12;                     // not a sync pair
    v[20] = 0xFF; v[21] = 0xFB; v[22] = 0x90; v[23] = 0x64;
    EXPECT_EQ(0xFFFB9064u, HeaderOf(v));
    EXPECT_EQ(0u, HeaderOf(std::vector<uint8_t>(100, 0x41)));
    EXPECT_EQ(0xFFE00000u, HeaderOf({0xFF, 0xE0, 0x00, 0x00}));

    // Bytes past the data read are never taken: a sync pair among the last
    // three bytes read is skipped.
    EXPECT_EQ(0u, HeaderOf({0x00, 0xFF, 0xFB, 0x90}));
    std::vector<uint8_t> big(8192, 0x00);
    big[4094] = 0xFF; big[4095] = 0xFB; big[4096] = 0x90; big[4097] = 0x64;
    EXPECT_EQ(0u, HeaderOf(big));
    big[4092] = 0xFF; big[4093] = 0xF3;
    EXPECT_EQ(0xFFF3FFFBu, HeaderOf(big));
}

TEST_F(FilesTest, DownloadRefusalsLeaveTheImageAlone)
{
    CTempFile empty("quavel_dev_empty.mp3"), two("quavel_dev_two.mp3");
    empty.Write({});
    two.Write(Pattern(40000, 3));
    const std::vector<uint8_t> before = Image();

    EXPECT_FALSE(dev.DownloadFile(empty.path.c_str(), nullptr));
    EXPECT_EQ(14, dev.GetErrorCode());
    EXPECT_EQ("error reading from file '" + empty.path + "'", dev.GetErrorText());
    EXPECT_EQ(before, Image());

    // A device reads forever but has no size: it would be stored as a file
    // of no blocks that nothing can delete again.
#ifdef _WIN32
    const std::string device = "NUL";
#else
    const std::string device = "/dev/zero";
#endif
    port.logging = true;
    EXPECT_FALSE(dev.DownloadFile(device.c_str(), nullptr));
    EXPECT_EQ(13, dev.GetErrorCode());
    EXPECT_EQ("'" + device + "' is not a file", dev.GetErrorText());
    EXPECT_EQ(before, Image());
    EXPECT_TRUE(port.log.empty());
    port.logging = false;

    const std::string missing = empty.path + ".none";
    EXPECT_FALSE(dev.DownloadFile(missing.c_str(), nullptr));
    EXPECT_EQ(12, dev.GetErrorCode());
    EXPECT_EQ("unable to open '" + missing + "' for read", dev.GetErrorText());

    DirectoryHeader h = dev.GetHeader();
    h.free = 1;
    dev.SetHeader(h);
    const std::vector<uint8_t> lowFree = Image();
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), nullptr));
    EXPECT_EQ(11, dev.GetErrorCode());
    EXPECT_EQ("not enough memory on device to download '" + two.path + "'", dev.GetErrorText());
    EXPECT_EQ(lowFree, Image());

    h.count = 60;     // full directory: refused before the file is opened
    dev.SetHeader(h);
    EXPECT_FALSE(dev.DownloadFile(missing.c_str(), nullptr));
    EXPECT_EQ(10, dev.GetErrorCode());
    EXPECT_STREQ("max number of directory entries (60) already in use", dev.GetErrorText());
    h.count = 64;
    dev.SetHeader(h);
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), nullptr));
    EXPECT_EQ(10, dev.GetErrorCode());
}

TEST_F(FilesTest, DownloadFailuresLeaveTheImageAsItWas)
{
    CTempFile two("quavel_dev_two.mp3");
    two.Write(Pattern(40000, 3));

    // A header promising more free blocks than the table holds is refused
    // before anything is sent.
    std::memset(dev.Directory() + 0x2000, 0x00, 8192);
    dev.SetBlockState(700, 0xFF);                           // room for the first block only
    std::vector<uint8_t> before = Image();
    port.logging = true;
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), nullptr));
    EXPECT_EQ(7, dev.GetErrorCode());
    EXPECT_STREQ("invalid free block count, initialization recommended", dev.GetErrorText());
    EXPECT_EQ(before, Image());
    EXPECT_TRUE(port.log.empty());
    port.logging = false;

    // Stopped after its first block, failed on its second block or on a file
    // read: the image is as before, the blocks already sent stay free.
    ASSERT_TRUE(dev.Format(0, nullptr));
    before = Image();
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), [](int done, int) { return done == 0 ? 1 : 0; }));
    EXPECT_EQ(16, dev.GetErrorCode());
    EXPECT_STREQ("operation interrupted", dev.GetErrorText());
    EXPECT_EQ(before, Image());
    EXPECT_NE(std::vector<uint8_t>(528, 0xFF), port.Page(0, 64));   // block 1 was programmed

    port.stuck = [](BusyPhase p, int n) { return p == BusyPhase::Erase && n >= 4; };
    port.logging = true;
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), nullptr));
    EXPECT_EQ(5, dev.GetErrorCode());
    EXPECT_EQ(1, CountReleases(port.log));
    EXPECT_EQ(before, Image());
    port.stuck = nullptr;

    // A player that vanishes takes every block (its status reads 0x7F, ready
    // set); it no longer answers its identification afterwards.
    static CFakePort* s_port;
    s_port = &port;
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), [](int done, int) {
        if (done == 1)
            s_port->attached = false;
        return 1;
    }));
    EXPECT_EQ(3, dev.GetErrorCode());
    EXPECT_STREQ("device not found", dev.GetErrorText());
    EXPECT_EQ(before, Image());
    port.attached = true;

    // Unread or unsound images are never changed or written.
    dev.SetMemory(0);
    EXPECT_FALSE(dev.DownloadFile(two.path.c_str(), nullptr));
    EXPECT_EQ(17, dev.GetErrorCode());
    EXPECT_STREQ("directory not read from device", dev.GetErrorText());
    EXPECT_FALSE(dev.DeleteFile("x"));
    EXPECT_EQ(17, dev.GetErrorCode());
    EXPECT_FALSE(dev.ReorderFiles(nullptr, 0));
    EXPECT_EQ(17, dev.GetErrorCode());
    EXPECT_FALSE(dev.WriteDirectory());
    EXPECT_EQ(17, dev.GetErrorCode());
    EXPECT_EQ(before, Image());
}

TEST_F(FilesTest, ErrorTextsStayWithinTheirStorage)
{
    const std::string longPath = std::string(CTempFile::TempDir()) + std::string(1500, 'p');
    EXPECT_FALSE(dev.DownloadFile(longPath.c_str(), nullptr));
    EXPECT_EQ(12, dev.GetErrorCode());
    const std::string text = dev.GetErrorText();
    EXPECT_EQ(kRioErrorTextSize - 1, text.size());
    EXPECT_EQ(("unable to open '" + longPath).substr(0, text.size()), text);
}

TEST_F(FilesTest, UploadRefusals)
{
    PutEntry(dev, 0, "loop.mp3", 1, 5);
    PutChain(dev, {1, 2});
    dev.SetBlockLink(2, 1);                 // 1 -> 2 -> 1 -> ...
    PutEntry(dev, 1, "short.mp3", 3, 3);
    PutChain(dev, {3, 4});                  // ends after two of three blocks
    DirectoryHeader h = dev.GetHeader();
    h.count = 2;
    dev.SetHeader(h);

    CTempFile loop("loop.mp3"), shortFile("short.mp3"), absent("absent.mp3");
    for (const auto& c : {std::make_pair(&loop, "loop.mp3"), std::make_pair(&shortFile, "short.mp3")}) {
        EXPECT_FALSE(dev.UploadFile(c.first->path.c_str(), nullptr));
        EXPECT_EQ(7, dev.GetErrorCode());
        EXPECT_EQ(std::string("invalid block chain of file '") + c.second + "', initialization recommended",
                  dev.GetErrorText());
        EXPECT_FALSE(c.first->Exists());
    }
    EXPECT_FALSE(dev.UploadFile(absent.path.c_str(), nullptr));
    EXPECT_EQ(8, dev.GetErrorCode());
    EXPECT_STREQ("file 'absent.mp3' not present on device", dev.GetErrorText());

    PutEntry(dev, 1, "short.mp3", 3, 2);
    const std::string noDir = std::string(CTempFile::TempDir()) + "quavel-no-such-dir/short.mp3";
    EXPECT_FALSE(dev.UploadFile(noDir.c_str(), nullptr));
    EXPECT_EQ(12, dev.GetErrorCode());
    EXPECT_EQ("unable to open '" + noDir + "' for write", dev.GetErrorText());

    EXPECT_FALSE(dev.UploadFile(shortFile.path.c_str(), [](int, int) { return 0; }));
    EXPECT_EQ(16, dev.GetErrorCode());
    EXPECT_STREQ("operation interrupted", dev.GetErrorText());

    // A read that fails on the second block leaves the first one on disk
    // (where no file stood before).
    std::remove(shortFile.path.c_str());
    port.stuck = [](BusyPhase p, int n) { return p == BusyPhase::ReadAddress && n >= 64; };
    EXPECT_FALSE(dev.UploadFile(shortFile.path.c_str(), nullptr));
    EXPECT_EQ(6, dev.GetErrorCode());
    EXPECT_EQ(32768u, shortFile.Read().size());
}

// A PC file that an upload would replace stays as it was when the upload
// fails, and nothing is left beside it; a file under the name it is kept
// under while the upload runs is somebody's, and is not touched.
TEST_F(FilesTest, AFailedUploadLeavesTheOldPcFileAsItWas)
{
    CTempFile f("quavel_dev_old.mp3");
    f.Write(Pattern(40000, 4));
    ASSERT_TRUE(dev.DownloadFile(f.path.c_str(), nullptr));
    const std::vector<uint8_t> onPlayer = f.Read();
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    f.Write(old);
    CTempFile aside("quavel_dev_old.mp3.quavel-old"), aside1("quavel_dev_old.mp3.quavel-old1");

    EXPECT_FALSE(dev.UploadFile(f.path.c_str(), [](int done, int) { return done == 1 ? 0 : 1; }));
    EXPECT_EQ(16, dev.GetErrorCode());
    EXPECT_EQ(old, f.Read());
    EXPECT_FALSE(aside.Exists());

    port.stuck = [](BusyPhase p, int n) { return p == BusyPhase::ReadAddress && n >= 64; };
    EXPECT_FALSE(dev.UploadFile(f.path.c_str(), nullptr));
    EXPECT_EQ(6, dev.GetErrorCode());
    EXPECT_EQ(old, f.Read());
    EXPECT_FALSE(aside.Exists());

    // The player vanishes after the last page of the last block was read.
    static CFakePort* s_port;
    s_port = &port;
    port.phaseCount[int(BusyPhase::PageRead)] = 0;
    port.stuck = [](BusyPhase p, int n) {
        if (p == BusyPhase::PageRead && n == 2 * 64 - 1)
            s_port->attached = false;
        return false;
    };
    EXPECT_FALSE(dev.UploadFile(f.path.c_str(), nullptr));
    EXPECT_EQ(3, dev.GetErrorCode());
    EXPECT_EQ(old, f.Read());
    EXPECT_FALSE(aside.Exists());
    port.attached = true;
    port.stuck = nullptr;

    const std::vector<uint8_t> theirs = {'m', 'i', 'n', 'e'};
    aside.Write(theirs);
    EXPECT_FALSE(dev.UploadFile(f.path.c_str(), [](int done, int) { return done == 1 ? 0 : 1; }));
    EXPECT_EQ(old, f.Read());
    EXPECT_EQ(theirs, aside.Read());
    EXPECT_FALSE(aside1.Exists());

    // A successful upload replaces the file and leaves nothing beside it.
    ASSERT_TRUE(dev.UploadFile(f.path.c_str(), nullptr)) << dev.GetErrorText();
    EXPECT_EQ(onPlayer, f.Read());
    EXPECT_EQ(theirs, aside.Read());
    EXPECT_FALSE(aside1.Exists());
}

// Whichever PC file call of an upload fails, the upload says so and the old
// file is as it was (one that cannot be moved aside is refused before anything
// is written); an old file that cannot be removed after a complete upload
// stays beside it, and the upload says so.
TEST_F(FilesTest, EachFailingPcFileCallOfAnUploadKeepsTheOldFile)
{
    CTempFile f("quavel_dev_calls.mp3"), aside("quavel_dev_calls.mp3.quavel-old");
    f.Write(Pattern(40000, 6));
    ASSERT_TRUE(dev.DownloadFile(f.path.c_str(), nullptr));
    const std::vector<uint8_t> onPlayer = f.Read(), old = {'o', 'l', 'd'};
    CFailingPcFiles files;
    dev.SetPcFiles(files);
    f.Write(old);
    ASSERT_TRUE(dev.UploadFile(f.path.c_str(), nullptr)) << dev.GetErrorText();
    ASSERT_EQ(files.calls, (std::vector<std::string>{"replace", "open", "write", "write", "flush", "close", "remove"}));
    const bool ok[] = {false, false, false, false, false, false, true};
    for (int i = 0; i < 7; ++i) {
        f.Write(old);
        files.FailCall(i);
        EXPECT_EQ(ok[i], dev.UploadFile(f.path.c_str(), nullptr)) << i;
        EXPECT_TRUE(ok[i] || dev.GetErrorCode() == (i <= 1 ? 12 : 15)) << i << ": " << dev.GetErrorText();
        EXPECT_EQ(ok[i] ? onPlayer : old, f.Read()) << i;
        EXPECT_EQ(i == 6, aside.Exists()) << i;
        EXPECT_EQ(i == 6 ? "the old file could not be removed: '" + aside.path + "'" : "", dev.GetNotice()) << i;
        EXPECT_TRUE(i != 0 || files.calls == std::vector<std::string>{"replace"}); // nothing written
    }
}

TEST_F(FilesTest, UploadWithACorruptLastCountStaysInTheBuffer)
{
    DirectoryEntry e;
    e.firstBlock = 1; e.blocks = 1; e.lastBytes = 40000; e.size = 40000;
    e.SetName("odd.mp3");
    e.Write(dev.EntrySlot(0));
    PutChain(dev, {1});
    DirectoryHeader h = dev.GetHeader();
    h.count = 1;
    dev.SetHeader(h);
    CTempFile f("odd.mp3");
    EXPECT_TRUE(dev.UploadFile(f.path.c_str(), nullptr));
    EXPECT_EQ(32768u, f.Read().size());
}

#ifdef __linux__
TEST_F(FilesTest, UploadReportsAFailedWrite)
{
    PutEntry(dev, 0, "full", 1, 1);
    PutChain(dev, {1});
    DirectoryHeader h = dev.GetHeader();
    h.count = 1;
    dev.SetHeader(h);
    EXPECT_FALSE(dev.UploadFile("/dev/full", nullptr));
    EXPECT_EQ(15, dev.GetErrorCode());
    EXPECT_STREQ("error writing to file '/dev/full'", dev.GetErrorText());
}
#endif

} // namespace
