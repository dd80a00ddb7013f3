// SPDX-License-Identifier: GPL-3.0-or-later
// Directory block layout, checksums, names and block allocation.
#include <gtest/gtest.h>

#include <utility>

#include "tests/device/DeviceTestSupport.h"

namespace {

TEST(StorageTest, HeaderFieldsSitAtTheirOffsets)
{
    std::vector<uint8_t> image(32768, 0xEE);
    DirectoryHeader h;
    h.count = 0x0102; h.total = 0x0304; h.used = 0x0506; h.free = 0x0708; h.bad = 0x090A;
    h.time = 0x0B0C0D0E; h.headerChecksum = 0x1112; h.bodyChecksum = 0x1314; h.formatMark = 0x0100;
    h.Write(image.data());
    const uint8_t want[0x16] = {0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0x08, 0x07, 0x0A, 0x09, 0x0E,
                                0x0D, 0x0C, 0x0B, 0x12, 0x11, 0x14, 0x13, 0xEE, 0xEE, 0x00, 0x01};
    EXPECT_EQ(std::vector<uint8_t>(want, want + 0x16), std::vector<uint8_t>(image.begin(), image.begin() + 0x16));
    EXPECT_EQ(0xEE, image[0x16]);       // reserved bytes are left alone
    const DirectoryHeader r = DirectoryHeader::Read(image.data());
    EXPECT_EQ(h.count, r.count); EXPECT_EQ(h.total, r.total); EXPECT_EQ(h.used, r.used);
    EXPECT_EQ(h.free, r.free); EXPECT_EQ(h.bad, r.bad); EXPECT_EQ(h.time, r.time);
    EXPECT_EQ(h.headerChecksum, r.headerChecksum); EXPECT_EQ(h.bodyChecksum, r.bodyChecksum);
    EXPECT_EQ(h.formatMark, r.formatMark);
}

TEST(StorageTest, EntryFieldsSitAtTheirOffsets)
{
    uint8_t slot[128];
    std::memset(slot, 0xEE, sizeof slot);
    DirectoryEntry e;
    e.firstBlock = 0x0201; e.blocks = 3; e.lastBytes = 1; e.size = 65537;
    e.time = 0x44332211; e.frameHeader = 0xFFFB9064;
    e.SetName("LIVE.MP3");
    e.Write(slot);
    const uint8_t want[0x1C] = {0x01, 0x02, 0x03, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00,
                                0, 0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x64, 0x90, 0xFB, 0xFF,
                                0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(want, want + 0x1C), std::vector<uint8_t>(slot, slot + 0x1C));
    EXPECT_EQ(0, std::memcmp(slot + 0x1C, "LIVE.MP3\0\0", 10));
    EXPECT_EQ(std::vector<uint8_t>(92, 0), std::vector<uint8_t>(slot + 0x24, slot + 128));
    uint8_t h[4];
    DirectoryEntry::Read(slot).GetFrameBytes(h);
    EXPECT_EQ(0xFF, h[0]); EXPECT_EQ(0xFB, h[1]); EXPECT_EQ(0x90, h[2]); EXPECT_EQ(0x64, h[3]);

    // A name of 100 bytes or more fills the field without a terminator and
    // reads back as exactly 100 bytes; a longer one keeps its extension.
    const std::string n96(96, 'n'), n100(100, 'n');
    const std::pair<std::string, std::string> names[] = {
        {std::string(130, 'n'), n100},
        {n100, n100},
        {std::string(150, 'n') + ".mp3", n96 + ".mp3"},
        {n100 + ".mp3", n96 + ".mp3"},
        {std::string(94, 'n') + ". " + n100 + ".mp3", std::string(94, 'n') + ".mp3"}, // no "n. .mp3"
        {n100 + ".no type at all", n100},                                             // a blank: a title
        {n100 + ".a-very-long-type", n100},                                           // 16 bytes after the dot
        {"." + n100, "." + std::string(99, 'n')},
        // No dot or blank left at the end of a cut: the name could not be fetched.
        {std::string(99, 'A') + ". Part two, the long one", std::string(99, 'A')},
        {std::string(99, 'A') + ".averyveryverylongextension", std::string(99, 'A')},
    };
    for (const auto& name : names) {
        e.SetName(name.first.c_str());
        e.Write(slot);
        EXPECT_EQ(name.second.size() == 100 ? name.second.back() : '\0', static_cast<char>(slot[127]));
        char stored[kRioNameSize + 1];
        DirectoryEntry::Read(slot).GetName(stored);
        EXPECT_EQ(name.second, stored);
        EXPECT_EQ(name.second, StoredName(name.first));
    }
}

TEST(StorageTest, ChecksumsOfZeroAndOfAFreshDirectory)
{
    std::vector<uint8_t> image(32768, 0);
    EXPECT_EQ(0, BodyChecksum(image.data()));
    EXPECT_EQ(0, HeaderChecksum(image.data()));

    DirectoryHeader h;
    h.total = 1024; h.free = 1024; h.formatMark = 0x0100; h.time = 0x5F5E1000;
    h.Write(image.data());
    std::memset(&image[0x2000], 0xFF, 8192);
    h.bodyChecksum = BodyChecksum(image.data());
    EXPECT_EQ(uint16_t(0 - 4096 * 0xFFFF), h.bodyChecksum);
    h.Write(image.data());
    h.headerChecksum = HeaderChecksum(image.data());
    h.Write(image.data());
    unsigned sum = 0;
    for (int i = 0; i < 512; i += 2)
        sum += RioGet16(&image[size_t(i)]);
    EXPECT_EQ(0u, sum & 0xFFFF);
    // The stored header checksum does not enter its own computation.
    EXPECT_EQ(h.headerChecksum, HeaderChecksum(image.data()));
    // Every body word counts, the last one too.
    image[0x7FFE] = 1;
    EXPECT_EQ(uint16_t(h.bodyChecksum - 1), BodyChecksum(image.data()));
}

TEST(StorageTest, BaseNameTakesTheLastComponent)
{
    EXPECT_STREQ("a.mp3", BaseName("C:\\music\\a.mp3"));
    EXPECT_STREQ("b.mp3", BaseName("/home/u/b.mp3"));
    EXPECT_STREQ("c.mp3", BaseName("D:c.mp3"));
    EXPECT_STREQ("d.mp3", BaseName("x/y\\d.mp3"));
    EXPECT_STREQ("plain.mp3", BaseName("plain.mp3"));
    EXPECT_STREQ("", BaseName("dir\\"));
}

TEST(StorageTest, FindEntryMatchesWholeNamesInUseOnly)
{
    CFakePort port;
    CRioDevice dev(port);
    PutEntry(dev, 0, "song.mp3", 1, 1);
    PutEntry(dev, 1, "Song.mp3", 2, 1);
    PutEntry(dev, 2, "song.mp3", 3, 1);
    PutEntry(dev, 3, std::string(100, 'x').c_str(), 4, 1);
    PutEntry(dev, 4, "late.mp3", 5, 1);
    DirectoryHeader h;
    h.count = 4;
    dev.SetHeader(h);
    EXPECT_EQ(0, dev.FindEntry("song.mp3"));     // first of two wins
    EXPECT_EQ(1, dev.FindEntry("Song.mp3"));
    EXPECT_EQ(-1, dev.FindEntry("song.mp"));
    EXPECT_EQ(-1, dev.FindEntry("song.mp3x"));
    EXPECT_EQ(3, dev.FindEntry(std::string(100, 'x').c_str()));
    EXPECT_EQ(-1, dev.FindEntry(std::string(101, 'x').c_str()));
    EXPECT_EQ(-1, dev.FindEntry("late.mp3"));    // beyond the count

    // A count above 60 never reaches past slot 59: slot 60 would be the
    // block state table.
    h.count = 61;
    dev.SetHeader(h);
    EXPECT_EQ(60, dev.EntryCount());
    DirectoryEntry ghost;
    ghost.SetName("ghost");
    ghost.Write(dev.Directory() + 0x2000);
    EXPECT_EQ(-1, dev.FindEntry("ghost"));
}

TEST(StorageTest, FindFreeBlockStaysInsideTheMemory)
{
    CFakePort port;
    CRioDevice dev(port);
    std::memset(dev.Directory() + 0x2000, 0x00, 8192);
    EXPECT_EQ(-1, dev.FindFreeBlock());
    // Places at and above the memory's size are free in every formatted
    // directory: on the internal memory 1024 and up would be the card.
    dev.SetBlockState(8191, 0xFF);
    dev.SetBlockState(1024, 0xFF);
    EXPECT_EQ(-1, dev.FindFreeBlock());
    EXPECT_EQ(0, dev.CountFreeBlocks());
    dev.SetBlockState(1023, 0xFF);
    EXPECT_EQ(1023, dev.FindFreeBlock());
    dev.SetBlockState(5, 0x0F);     // bad is not free
    dev.SetBlockState(6, 0xFF);
    EXPECT_EQ(6, dev.FindFreeBlock());
    // Block 0 is the directory's, even when a hostile table calls it free.
    dev.SetBlockState(0, 0xFF);
    EXPECT_EQ(6, dev.FindFreeBlock());
    EXPECT_EQ(3, dev.CountFreeBlocks());
    dev.SetLargeChip(1);
    EXPECT_EQ(6, dev.FindFreeBlock());
    EXPECT_EQ(4, dev.CountFreeBlocks());
    dev.SetMemory(1);
    dev.SetExternalBlocks(6);       // a card of 6 blocks: 0 to 5
    EXPECT_EQ(-1, dev.FindFreeBlock());
    EXPECT_EQ(1, dev.CountFreeBlocks());
}

} // namespace

TEST(StorageTest, CutsKeepDoubleByteCharactersWholeAndTakeASuffix)
{
    const LeadBytePredicate lead = [](uint8_t b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; };
    std::string wide = "a";
    for (int i = 0; i < 60; ++i)
        wide += "\x82\xA0";
    EXPECT_EQ(StoredName(wide + ".mp3", lead), wide.substr(0, 95) + ".mp3");
    EXPECT_EQ(StoredName(wide, lead), wide.substr(0, 99));
    EXPECT_EQ(StoredName(std::string(100, 'n') + ".mp3", "~2", nullptr), std::string(94, 'n') + "~2.mp3");
}
