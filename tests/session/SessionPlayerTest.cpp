// SPDX-License-Identifier: GPL-3.0-or-later
// The session against a virtual player: finding it, the stored settings, the
// list rows, and the message of every user-level failure.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "player/VirtualPlayer.h"
#include "playlist/FileEntry.h"
#include "tests/playlist/FailingPcFiles.h"
#include "tests/session/SessionTestSupport.h"

namespace {

const char kDownloadHeading[] = "Download file failed!\r\n\r\n";
const char kUpdateHeading[] = "Update directory failed!\r\n\r\n";

struct WithPlayer : testing::Test {
    CMemorySettings settings;
    CRecordingSink sink;
    std::unique_ptr<CVirtualPlayer> player;
    std::unique_ptr<CFixedPortProvider> provider;
    std::unique_ptr<CTestSession> session;
    std::string folder;   // this test's own, so that parallel tests never share a file

    void SetUp() override {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = testing::TempDir() + "quavel-session-" + std::to_string(getpid()) + "-" +
                 info->name() + "/";
        std::filesystem::create_directories(folder);
    }

    void Attach(uint16_t base) {
        SPlayerOptions options;
        options.base = base;
        options.readyAtOnce = true;
        player = std::make_unique<CVirtualPlayer>(options);
        provider = std::make_unique<CFixedPortProvider>(player.get());
        session = std::make_unique<CTestSession>(settings, sink, *provider);
    }

    void AttachAndConnect() {
        Attach(888);
        ASSERT_TRUE(session->Connect()) << player->Log().Dump();
    }

    // A PC file in the temporary folder: the four header bytes (none when
    // empty) after `lead` zero bytes, padded with 0x11 to `size` bytes.
    std::string MakeFile(const char* name, size_t size, std::vector<uint8_t> header = {},
                         size_t lead = 0) {
        std::string path = folder + name;
        std::vector<uint8_t> bytes(size, 0x11);
        for (size_t i = 0; i < lead && i < size; ++i)
            bytes[i] = 0;
        for (size_t i = 0; i < header.size() && lead + i < size; ++i)
            bytes[lead + i] = header[i];
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            if (!bytes.empty())
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }

    std::unique_ptr<CFileEntry> Row(int index) {
        std::unique_ptr<CFileEntry> row;
        EXPECT_TRUE(session->GetEntryRow(index, row)) << index;
        return row;
    }

    uint8_t* Slot(int i) { return session->GetDevice()->EntrySlot(i); }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        if (player) {
            EXPECT_EQ(player->ProtocolErrors(), 0u) << player->Log().Dump();
        }
    }
};

// Makes a test's time zone one hour east of Greenwich and restores the old one.
struct UtcPlusOne {
    std::string old;
    bool had;
    UtcPlusOne() {
        const char* tz = std::getenv("TZ");
        had = tz != nullptr;
        if (had)
            old = tz;
        setenv("TZ", "UTC-1", 1);
        tzset();
    }
    ~UtcPlusOne() {
        if (had)
            setenv("TZ", old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

int StopAtOnce(int, int) { return 0; }

// "dd/mm/yy hh:mm:ss"
bool LooksLikeDateTime(const std::string& s) {
    const char pattern[] = "00/00/00 00:00:00";
    if (s.size() != sizeof pattern - 1)
        return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (pattern[i] == '0' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != pattern[i])
            return false;
    return true;
}

}  // namespace

// ---- Finding the player ----------------------------------------------------------

TEST_F(WithPlayer, PlayerOnlyOnPort2SwapsTheStoredPorts) {
    Attach(632);
    ASSERT_TRUE(session->Connect()) << player->Log().Dump();
    EXPECT_EQ(session->GetPortInUse(), 632);
    EXPECT_EQ(session->GetDevice()->GetPort(), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "Port2", 0), 888);

    // The next connection finds it on the first try, reuses the device object
    // and swaps nothing back.
    const uint64_t writesBefore = player->Writes();
    EXPECT_TRUE(session->Connect());
    EXPECT_EQ(session->devicesCreated, 1);
    EXPECT_EQ(session->GetPortInUse(), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), 632);
    EXPECT_EQ(settings.ReadInt("Settings", "Port2", 0), 888);
    EXPECT_GT(player->Writes(), writesBefore);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(WithPlayer, PlayerOnPort1IsFoundWithoutTouchingPort2) {
    Attach(888);
    settings.WriteInt("Settings", "Port2", 0x3BC);
    EXPECT_TRUE(session->Connect());
    EXPECT_EQ(session->GetPortInUse(), 888);
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), 888);
    EXPECT_EQ(settings.ReadInt("Settings", "Port2", 0), 0x3BC);
}

TEST_F(WithPlayer, PowerCutAfterConnectDropsTheDeviceOnReconnect) {
    AttachAndConnect();
    player->CutPower();
    EXPECT_FALSE(session->Connect());
    EXPECT_FALSE(session->IsConnected());
    std::unique_ptr<CFileEntry> row;
    EXPECT_FALSE(session->GetEntryRow(0, row));
    EXPECT_EQ(settings.ReadInt("Settings", "Port1", 0), 888);   // not swapped
    player->Reconnect();
    EXPECT_TRUE(session->Connect());
    EXPECT_EQ(session->devicesCreated, 2);
}

TEST_F(WithPlayer, StoredDelaysAndMemorySelectionAtConnect) {
    Attach(888);
    settings.WriteInt("Settings", "IODelayInit", 25000);
    settings.WriteInt("Settings", "IODelayTx", 0);
    settings.WriteInt("Settings", "IODelayRx", 3);
    ASSERT_TRUE(session->Connect());
    CRioDevice* device = session->GetDevice();
    EXPECT_EQ(device->GetIODelayInit(), 25000);
    EXPECT_EQ(device->GetIODelayTx(), 100);   // 0 is rewritten as the default
    EXPECT_EQ(device->GetIODelayRx(), 3);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayTx", 0), 100);

    // Negative stored values leave the device's own values in place.
    device->SetIODelayTx(77);
    device->SetIODelayRx(1);
    settings.WriteInt("Settings", "IODelayTx", -1);
    settings.WriteInt("Settings", "IODelayRx", -100);
    EXPECT_TRUE(session->SelectMemory(1));
    EXPECT_EQ(device->GetMemory(), 1);
    ASSERT_TRUE(session->Connect());
    ASSERT_EQ(session->GetDevice(), device);
    EXPECT_EQ(device->GetIODelayInit(), 25000);
    EXPECT_EQ(device->GetIODelayTx(), 77);
    EXPECT_EQ(device->GetIODelayRx(), 1);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayTx", 0), -1);
    EXPECT_EQ(device->GetMemory(), 0);   // every connection starts on the internal memory
}

TEST_F(WithPlayer, DelaySettersReachDeviceAndSettings) {
    AttachAndConnect();
    session->SetIODelayInit(15000);
    session->SetIODelayTx(10);
    session->SetIODelayRx(1);
    CRioDevice* device = session->GetDevice();
    EXPECT_EQ(device->GetIODelayInit(), 15000);
    EXPECT_EQ(device->GetIODelayTx(), 10);
    EXPECT_EQ(device->GetIODelayRx(), 1);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayInit", 0), 15000);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayTx", 0), 10);
    EXPECT_EQ(settings.ReadInt("Settings", "IODelayRx", 0), 1);
    // And they are what the next connection applies.
    ASSERT_TRUE(session->Connect());
    EXPECT_EQ(device->GetIODelayTx(), 10);
}

// ---- Directory and rows -------------------------------------------------------

TEST_F(WithPlayer, RowsAndMemoryFiguresOfDownloadedFiles) {
    AttachAndConnect();
    session->Initialize(0, nullptr);
    ASSERT_TRUE(session->ReadDirectory());
    int total = 0, used = -1, freeKb = 0;
    EXPECT_TRUE(session->GetTotalMemory(total));
    EXPECT_TRUE(session->GetUsedMemory(used));
    EXPECT_TRUE(session->GetFreeMemory(freeKb));
    EXPECT_EQ(total, 32768);   // 1024 blocks of 32 KB
    EXPECT_EQ(used, 0);
    EXPECT_EQ(freeKb, 32768);
    std::unique_ptr<CFileEntry> none;
    EXPECT_FALSE(session->GetEntryRow(0, none));   // count 0

    ASSERT_TRUE(session->DownloadFile(MakeFile("LIVE.MP3", 70000, {0xFF, 0xFB, 0x90, 0x64}).c_str(), nullptr));
    ASSERT_TRUE(session->DownloadFile(MakeFile("talk.mp3", 100, {0xFF, 0xF3, 0x40, 0xC0}, 7).c_str(), nullptr));
    ASSERT_TRUE(session->DownloadFile(MakeFile("NOTES.TXT", 32768).c_str(), nullptr));
    ASSERT_TRUE(session->ReadDirectory());   // what the player now holds
    EXPECT_TRUE(sink.messages.empty());

    auto live = Row(0);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->GetNumber(), 1);
    EXPECT_EQ(live->GetNumberText(), " 1");
    EXPECT_EQ(live->GetSizeText(), "70000");
    EXPECT_EQ(live->GetSizeValue(), 70000);
    EXPECT_EQ(live->GetNameText(), "LIVE.MP3");
    EXPECT_EQ(live->GetShownBitrate(), "128");
    const uint32_t stamp = DirectoryEntry::Read(Slot(0)).time;
    EXPECT_EQ(live->GetDateTimeText(), CRioSession::FormatDateTime(stamp));
    EXPECT_TRUE(LooksLikeDateTime(live->GetDateTimeText())) << live->GetDateTimeText();

    auto talk = Row(1);
    ASSERT_TRUE(talk);
    EXPECT_EQ(talk->GetNumber(), 2);
    EXPECT_EQ(talk->GetSizeText(), "100");
    EXPECT_EQ(talk->GetShownBitrate(), "32 ");   // "%-3d" keeps its blank

    auto notes = Row(2);
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->GetSizeText(), "32768");
    EXPECT_EQ(notes->GetShownBitrate(), "  -");
    notes->SetNameText("NOTES.MP3");
    EXPECT_EQ(notes->GetShownBitrate(), "0  ");   // no frame header found

    EXPECT_FALSE(session->GetEntryRow(3, none));
    EXPECT_FALSE(session->GetEntryRow(-1, none));
    EXPECT_EQ(none, nullptr);

    // Directory block, 3 + 1 + 1 file blocks.
    EXPECT_TRUE(session->GetUsedMemory(used));
    EXPECT_TRUE(session->GetFreeMemory(freeKb));
    EXPECT_EQ(used, 6 * 32);
    EXPECT_EQ(freeKb, 32768 - 6 * 32);
    uint8_t header[kRioHeaderSize];
    ASSERT_TRUE(session->GetDirectoryHeader(header));
    EXPECT_EQ(std::memcmp(header, session->GetDevice()->Directory(), kRioHeaderSize), 0);
    EXPECT_EQ(header[0], 3);
}

TEST_F(WithPlayer, RowTextsOfUnusualEntries) {
    UtcPlusOne zone;
    AttachAndConnect();
    ASSERT_TRUE(session->ReadDirectory());   // a sound directory, changed below
    uint8_t* image = session->GetDevice()->Directory();
    RioPut16(image, 2);   // count

    // A name filling all 100 bytes, directly followed by the next slot's bytes.
    std::memset(Slot(0), 0, 2 * kRioEntrySize);
    std::memset(Slot(0) + 0x1C, 'A', kRioNameSize);
    std::memset(Slot(1), 'B', 0x1C);
    RioPut32(Slot(0) + 0x06, 12345678);
    RioPut32(Slot(0) + 0x0F, 946684800);   // 2000-01-01 00:00 UTC
    auto full = Row(0);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->GetNameText(), std::string(kRioNameSize, 'A'));
    EXPECT_EQ(full->GetSizeText(), "12345678");
    EXPECT_EQ(full->GetDateTimeText(), "01/01/00 01:00:00");

    // Trailing blanks of a stored name go; a time with the top bit set is invalid.
    std::memcpy(Slot(1) + 0x1C, "SONG.MP3   ", 11);
    RioPut32(Slot(1) + 0x0F, 0x80000000u);
    RioPut32(Slot(1) + 0x13, 0xFFFB9064u);   // header FF FB 90 64 in file order
    RioPut32(Slot(1) + 0x06, 5);
    auto odd = Row(1);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->GetNameText(), "SONG.MP3");
    EXPECT_EQ(odd->GetSizeText(), "5");
    EXPECT_EQ(odd->GetDateTimeText(), "INVALID DATE/TIME");
    EXPECT_EQ(odd->GetShownBitrate(), "128");

    // A count beyond the 60 slots lists the 60 slots only.
    RioPut16(image, 200);
    std::unique_ptr<CFileEntry> row;
    EXPECT_TRUE(session->GetEntryRow(59, row));
    EXPECT_EQ(row->GetNumberText(), "60");
    row.reset();
    EXPECT_FALSE(session->GetEntryRow(60, row));
    EXPECT_EQ(row, nullptr);
}

TEST_F(WithPlayer, ChecksumFaultIsReportedListsNothingAndOnlyInitializeWrites) {
    AttachAndConnect();
    ASSERT_TRUE(session->ReadDirectory());
    // Store a block 0 whose directory checksums no longer match (the block
    // transfer itself is sound).
    CRioDevice* device = session->GetDevice();
    std::vector<uint8_t> block(device->Directory(), device->Directory() + kRioBlockSize);
    RioPut16(block.data(), 1);
    RioPut16(block.data() + 6, 0xFFFF);   // a free count of 2 GB
    std::memcpy(block.data() + kRioEntriesOffset + 0x1C, "KEPT.MP3", 8);
    ASSERT_TRUE(device->SendBlock(block.data(), 0, 0, 0));
    device->ReleaseLink();
    const std::string invalid = "invalid directory checksum, initialization recommended";

    EXPECT_FALSE(session->ReadDirectory());
    EXPECT_EQ(device->GetErrorCode(), kRioErrDirectory);
    EXPECT_FALSE(session->HasDirectory());
    std::unique_ptr<CFileEntry> row;
    EXPECT_FALSE(session->GetEntryRow(0, row));
    int kb = -1;
    EXPECT_FALSE(session->GetFreeMemory(kb));
    EXPECT_EQ(kb, 0);

    // Nothing writes that block back with fresh checksums.
    EXPECT_FALSE(session->DownloadFile(MakeFile("NEW.MP3", 1000).c_str(), nullptr));
    EXPECT_FALSE(session->DeleteFile("KEPT.MP3"));
    const uint32_t order[] = {0};
    EXPECT_TRUE(session->ReorderFiles(order, 1));
    const std::vector<std::string> expected = {
        "Download directory failed!\r\n\r\n" + invalid,
        kDownloadHeading + invalid,
        "Delete file failed!\r\n\r\n" + invalid,
        kDownloadHeading + invalid,
    };
    EXPECT_EQ(sink.messages, expected);
    std::vector<uint8_t> stored(kRioBlockSize);
    ASSERT_TRUE(device->ReceiveBlock(stored.data(), 0));
    device->ReleaseLink();
    EXPECT_EQ(stored, block);

    // Initializing still works and gives a sound, empty directory.
    sink.messages.clear();
    session->Initialize(0, nullptr);
    EXPECT_TRUE(sink.messages.empty());
    ASSERT_TRUE(session->ReadDirectory());
    EXPECT_TRUE(session->HasDirectory());
    EXPECT_FALSE(session->GetEntryRow(0, row));
    EXPECT_TRUE(session->GetTotalMemory(kb));
    EXPECT_EQ(kb, 32768);
}

TEST_F(WithPlayer, PlayerVanishingDuringADownloadIsReported) {
    AttachAndConnect();
    session->Initialize(0, nullptr);
    ASSERT_TRUE(session->ReadDirectory());
    ASSERT_TRUE(session->DownloadFile(MakeFile("OLD.MP3", 5000).c_str(), nullptr));
    const std::string big = MakeFile("BIG.MP3", 3 * 32768);
    // Power fails in the middle of the second block; status then reads 0x7F,
    // whose ready bit is set, so every block still seems to go through.
    player->Faults().CutPowerAfter(player->Accesses() + 300000, ECutMode::BetweenOperations);
    EXPECT_FALSE(session->DownloadFile(big.c_str(), nullptr));
    EXPECT_EQ(sink.messages, std::vector<std::string>{kDownloadHeading + std::string("device not found")});
    // Only the old file is listed, before and after reconnecting.
    auto row = Row(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->GetNameText(), "OLD.MP3");
    std::unique_ptr<CFileEntry> none;
    EXPECT_FALSE(session->GetEntryRow(1, none));
    player->Reconnect();
    ASSERT_TRUE(session->Connect());
    ASSERT_TRUE(session->ReadDirectory());
    EXPECT_FALSE(session->GetEntryRow(1, none));
}

// ---- Failures and their messages ----------------------------------------------

TEST_F(WithPlayer, FailedOperationsShowHeadingAndDeviceText) {
    AttachAndConnect();
    session->Initialize(0, nullptr);
    ASSERT_TRUE(session->ReadDirectory());
    const std::string live = MakeFile("LIVE.MP3", 1000, {0xFF, 0xFB, 0x90, 0x64});
    ASSERT_TRUE(session->DownloadFile(live.c_str(), nullptr));
    ASSERT_TRUE(sink.messages.empty());

    const std::string missing = folder + "no-such-file.mp3";
    EXPECT_FALSE(session->DownloadFile(missing.c_str(), nullptr));
    EXPECT_FALSE(session->DeleteFile("GONE.MP3"));
    session->UploadFile("/tmp/ALSO-GONE.MP3", nullptr);
    session->UploadFile("/no-such-folder/LIVE.MP3", nullptr);
    const uint32_t badOrder[] = {3};
    EXPECT_TRUE(session->ReorderFiles(badOrder, 1));   // true even when it failed
    const std::string empty = MakeFile("EMPTY.MP3", 0);
    EXPECT_FALSE(session->DownloadFile(empty.c_str(), nullptr));

    const std::vector<std::string> expected = {
        kDownloadHeading + ("unable to open '" + missing + "' for read"),
        "Delete file failed!\r\n\r\nfile 'GONE.MP3' not present on device",
        "Upload file failed!\r\n\r\nfile 'ALSO-GONE.MP3' not present on device",
        "Upload file failed!\r\n\r\nunable to open '/no-such-folder/LIVE.MP3' for write",
        std::string(kDownloadHeading) + "invalid file position",
        kDownloadHeading + ("error reading from file '" + empty + "'"),
    };
    EXPECT_EQ(sink.messages, expected);

    // None of them wrote to the player: the file is still its only entry.
    ASSERT_TRUE(session->ReadDirectory());
    auto row = Row(0);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->GetNameText(), "LIVE.MP3");
    std::unique_ptr<CFileEntry> none;
    EXPECT_FALSE(session->GetEntryRow(1, none));
}

TEST_F(WithPlayer, InterruptedFormatShowsItsHeadingAlone) {
    AttachAndConnect();
    session->Initialize(1, StopAtOnce);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Initialize (format) failed!\r\n\r\n");
    EXPECT_EQ(session->GetDevice()->GetErrorCode(), kRioErrInterrupted);
}

TEST_F(WithPlayer, FailedDirectoryWritesShowTheUpdateHeading) {
    AttachAndConnect();
    session->Initialize(0, nullptr);
    ASSERT_TRUE(session->ReadDirectory());
    const std::string a = MakeFile("A.MP3", 500, {0xFF, 0xFB, 0x90, 0x64});
    ASSERT_TRUE(session->DownloadFile(a.c_str(), nullptr));
    ASSERT_TRUE(session->DownloadFile(MakeFile("B.MP3", 500).c_str(), nullptr));
    ASSERT_TRUE(sink.messages.empty());

    // From now on the chip hangs on every erase: the operations that change only
    // the image succeed, and each directory write fails.
    // A new file's one block (four erase units of 16 pages) still erases.
    player->Faults().AddNeverReady(EFaultPhase::Erase, CFaultPlan::kForever, /*skip=*/4);
    const std::string c = MakeFile("C.MP3", 500);
    EXPECT_FALSE(session->DownloadFile(c.c_str(), nullptr));
    player->Faults().Clear();
    player->Faults().AddNeverReady(EFaultPhase::Erase);
    EXPECT_FALSE(session->DeleteFile("A.MP3"));
    const uint32_t order[] = {1, 0};
    EXPECT_TRUE(session->ReorderFiles(order, 2));
    session->Initialize(0, nullptr);

    const std::string update = std::string(kUpdateHeading) + "too many retries for tx block";
    EXPECT_EQ(sink.messages, std::vector<std::string>(4, update));
}

TEST_F(WithPlayer, FailedDirectoryReadShowsTheDownloadDirectoryHeading) {
    AttachAndConnect();
    player->Faults().AddNeverReady(EFaultPhase::ReadAddress);
    EXPECT_FALSE(session->ReadDirectory());
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], "Download directory failed!\r\n\r\ntoo many retries for rx block");
}

TEST_F(WithPlayer, UploadWritesTheFileWithoutMessage) {
    AttachAndConnect();
    session->Initialize(0, nullptr);
    ASSERT_TRUE(session->ReadDirectory());
    ASSERT_TRUE(session->DownloadFile(MakeFile("UP.MP3", 40000, {0xFF, 0xFB, 0x90, 0x64}).c_str(), nullptr));
    std::filesystem::create_directories(folder + "up");
    const std::string target = folder + "up/UP.MP3";
    session->UploadFile(target.c_str(), nullptr);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(FileSize(target.c_str()), 40000);

    // Again over that file, whose old copy then cannot be removed: said, though the upload is good.
    CFailingPcFiles files;
    files.FailCall(6);
    session->GetDevice()->SetPcFiles(files);
    session->UploadFile(target.c_str(), nullptr);
    EXPECT_EQ(sink.messages, std::vector<std::string>{"Upload file done, but:\r\n\r\nthe old file could not be removed: '" +
                                                      target + ".quavel-old'"});
}
