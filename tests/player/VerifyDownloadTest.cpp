// SPDX-License-Identifier: GPL-3.0-or-later
// Verified downloads against a virtual player whose cable flips a bit of a page
// program: what a plain download lets through, what the read-back catches, the
// one new sending, and the register traffic of each.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

TEST(VerifiedDownload, ReadBackCatchesACorruptWireAndSendsOnceMore)
{
    enum class EWire { Sound, OneShot, Persistent };
    struct SCase {
        bool verify;
        EWire wire;
        bool ok;
        bool intact;    // the player holds the PC file's bytes
        int sends;      // passes over the file's 3 blocks
        int reads;      // blocks read back (a difference stops the comparison)
        int checks;     // "is the player still there" checks, each with its release
        uint32_t column = 100;  // the flipped byte of the page: data, or from 512 on its spare area
    };
    const SCase cases[] = {
        {false, EWire::Sound, true, true, 1, 0, 1},
        {false, EWire::Persistent, true, false, 1, 0, 1},
        {true, EWire::Sound, true, true, 1, 3, 1},
        {true, EWire::OneShot, true, true, 2, 1 + 3, 2},
        {true, EWire::Persistent, false, false, 2, 1 + 1, 2},
        {true, EWire::Persistent, false, false, 2, 1 + 1, 2, 512},     // a link to the next block
        {true, EWire::Persistent, false, false, 2, 1 + 1, 2, 524},     // the page checksum
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(std::string(c.verify ? "verified" : "plain") + ", wire " + std::to_string(int(c.wire)) +
                     ", column " + std::to_string(c.column));
        CDeviceRig rig(QuickPlayer());
        CTempFolder folder;
        CVirtualPlayer& player = rig.Player();
        CRioDevice& dev = rig.Device();
        ASSERT_TRUE(dev.Detect() && dev.ReadDirectory());

        // Unit costs: a block each way, a release, a plain download's tail beyond them.
        auto traffic = [&player](const std::function<void()>& run) {
            player.ResetCounters();
            run();
            return player.Writes() + player.Reads();
        };
        std::vector<uint8_t> scratch(kRioBlockSize, 0x5A);
        const uint64_t tx = traffic([&] { ASSERT_TRUE(dev.TxBlock(scratch.data(), 900, kRioNoBlock, kRioNoBlock)); });
        const uint64_t rx = traffic([&] { ASSERT_TRUE(dev.RxBlock(scratch.data(), 900)); });
        const uint64_t release = traffic([&] { dev.ReleaseLink(); });
        const std::string first = folder.Path("first.mp3");
        ASSERT_TRUE(WriteFile(first, MakeBytes(1000, 1)));
        const uint64_t check = traffic([&] { ASSERT_TRUE(dev.DownloadFile(first.c_str(), nullptr)); }) - tx - release;
        ASSERT_TRUE(dev.WriteDirectory());

        // The song's first block is block 2: its first page is 128.
        if (c.wire != EWire::Sound)
            player.Faults().AddWireFlip(EMemory::Internal, 128, c.column, 0x10,
                                        c.wire == EWire::OneShot ? 1 : CFaultPlan::kForever);
        const std::vector<uint8_t> song = MakeBytes(70000, 2);
        const std::string path = folder.Path("song.mp3");
        ASSERT_TRUE(WriteFile(path, song));
        std::vector<uint8_t> before(dev.Directory(), dev.Directory() + kRioBlockSize);
        dev.SetVerifyDownloads(c.verify);
        static std::vector<int> s_done;
        s_done.clear();
        const ProgressCallback record = [](int done, int) { return s_done.push_back(done), 1; };
        EXPECT_EQ(traffic([&] { EXPECT_EQ(dev.DownloadFile(path.c_str(), record), c.ok) << dev.GetErrorText(); }),
                  c.sends * 3 * tx + c.reads * rx + c.checks * (check + release));
        for (size_t i = 1; i < s_done.size(); ++i)
            EXPECT_LT(s_done[i - 1], s_done[i]) << "the progress runs on over every pass";
        EXPECT_EQ(player.ProtocolErrors(), 0u) << player.Log().Dump();
        if (!c.ok) {
            EXPECT_EQ(dev.GetErrorCode(), kRioErrVerify);
            EXPECT_EQ(dev.GetErrorText(), "verify failed, data on device differs from '" + path + "'");
            EXPECT_EQ(std::memcmp(dev.Directory(), before.data(), kRioBlockSize), 0) << "the image as before";
            continue;
        }
        EXPECT_EQ(dev.FindEntry("song.mp3"), 1);
        std::filesystem::create_directories(folder.Path("up"));
        const std::string back = folder.Path("up") + "/song.mp3";
        ASSERT_TRUE(dev.UploadFile(back.c_str(), nullptr));
        EXPECT_EQ(ReadFile(back) == song, c.intact);
    }
}
