// Verified downloads against a virtual player whose cable flips a bit of a page
// program: what a plain download lets through, what the read-back catches, the
// one new sending, and the register traffic of each.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

namespace {

enum class EWire { Sound, OneShot, Persistent };

uint64_t Traffic(CVirtualPlayer& player) { return player.Writes() + player.Reads(); }

std::vector<std::string> StoredNames(CDeviceRig& rig)
{
    rig.NewDevice();
    std::vector<std::string> names;
    if (!rig.Device().Detect() || !rig.Device().ReadDirectory())
        return {"<unreadable>"};
    for (int i = 0; i < rig.Device().EntryCount(); ++i) {
        char name[kRioNameSize + 1];
        DirectoryEntry::Read(rig.Device().EntrySlot(i)).GetName(name);
        names.push_back(name);
    }
    return names;
}

}  // namespace

TEST(VerifiedDownload, ReadBackCatchesACorruptWireAndSendsOnceMore)
{
    struct SCase {
        bool verify;
        EWire wire;
        bool ok;
        bool intact;    // the player holds the PC file's bytes
        int sends;      // passes over the file's 3 blocks
        int reads;      // blocks read back (a difference stops the comparison)
        int checks;     // "is the player still there" checks, each with its release
        int releases;   // other releases of the link
    };
    const SCase cases[] = {
        {false, EWire::Sound, true, true, 1, 0, 1, 0},
        {false, EWire::Persistent, true, false, 1, 0, 1, 0},
        {true, EWire::Sound, true, true, 1, 3, 1, 1},
        {true, EWire::OneShot, true, true, 2, 1 + 3, 2, 1},
        {true, EWire::Persistent, false, false, 2, 1 + 1, 2, 0},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string(c.verify ? "verified" : "plain") + ", wire " + std::to_string(int(c.wire)));
        CDeviceRig rig(QuickPlayer());
        CTempFolder folder;
        CVirtualPlayer& player = rig.Player();
        CRioDevice& dev = rig.Device();
        ASSERT_TRUE(dev.Detect());
        ASSERT_TRUE(dev.ReadDirectory());

        // Unit costs on this player: one block each way, a release, and the
        // fixed tail of a plain download beyond its block and its release.
        std::vector<uint8_t> scratch(kRioBlockSize, 0x5A);
        player.ResetCounters();
        ASSERT_TRUE(dev.TxBlock(scratch.data(), 900, kRioNoBlock, kRioNoBlock));
        const uint64_t tx = Traffic(player);
        player.ResetCounters();
        ASSERT_TRUE(dev.RxBlock(scratch.data(), 900));
        const uint64_t rx = Traffic(player);
        player.ResetCounters();
        dev.ReleaseLink();
        const uint64_t release = Traffic(player);
        const std::string first = folder.Path("first.mp3");
        ASSERT_TRUE(WriteFile(first, MakeBytes(1000, 1)));
        player.ResetCounters();
        ASSERT_TRUE(dev.DownloadFile(first.c_str(), nullptr));
        const uint64_t check = Traffic(player) - tx - release;
        ASSERT_TRUE(dev.WriteDirectory());

        // The song's first block is block 2: its first page is 128.
        if (c.wire != EWire::Sound)
            player.Faults().AddWireFlip(EMemory::Internal, 128, 100, 0x10,
                                        c.wire == EWire::OneShot ? 1 : CFaultPlan::kForever);
        const std::vector<uint8_t> song = MakeBytes(70000, 2);
        const std::string path = folder.Path("song.mp3");
        ASSERT_TRUE(WriteFile(path, song));
        std::vector<uint8_t> before(dev.Directory(), dev.Directory() + kRioBlockSize);
        dev.SetVerifyDownloads(c.verify);
        player.ResetCounters();
        EXPECT_EQ(dev.DownloadFile(path.c_str(), nullptr), c.ok) << dev.GetErrorText();
        EXPECT_EQ(Traffic(player), c.sends * 3 * tx + c.reads * rx + c.checks * (check + release) +
                                       c.releases * release);
        EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();

        if (!c.ok) {
            EXPECT_EQ(dev.GetErrorCode(), kRioErrVerify);
            EXPECT_EQ(dev.GetErrorText(), "verify failed, data on device differs from '" + path + "'");
            EXPECT_EQ(std::memcmp(dev.Directory(), before.data(), kRioBlockSize), 0) << "the image as before";
            EXPECT_EQ(StoredNames(rig), std::vector<std::string>{"first.mp3"});
            continue;
        }
        ASSERT_TRUE(dev.WriteDirectory());
        ASSERT_EQ(StoredNames(rig), (std::vector<std::string>{"first.mp3", "song.mp3"}));
        const std::string back = folder.Path("up");
        std::filesystem::create_directories(back);
        ASSERT_TRUE(rig.Device().UploadFile((back + "/song.mp3").c_str(), nullptr));
        EXPECT_EQ(ReadFile(back + "/song.mp3") == song, c.intact);
    }
}
