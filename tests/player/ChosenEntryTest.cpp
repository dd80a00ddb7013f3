// SPDX-License-Identifier: GPL-3.0-or-later
// Operations on the entry the user chose when two entries hold one name, and
// the state every device operation leaves the player in.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

namespace {

struct ChosenEntry : ::testing::Test {
    CDeviceRig rig{QuickPlayer()};
    CTempFolder folder;
    CRioDevice& dev = rig.Device();
    std::vector<uint8_t> first = MakeBytes(40000, 1), second = MakeBytes(5000, 2);

    void SetUp() override
    {
        ASSERT_TRUE(dev.Detect() && dev.ReadDirectory());
        // Two files of one name, as the player allows: slots 0 and 1.
        ASSERT_TRUE(WriteFile(folder.Path("a"), first) && WriteFile(folder.Path("b"), second));
        ASSERT_TRUE(dev.DownloadFile(folder.Path("a").c_str(), nullptr, "song.mp3"));
        ASSERT_TRUE(dev.DownloadFile(folder.Path("b").c_str(), nullptr, "song.mp3"));
        ASSERT_TRUE(dev.WriteDirectory());
    }
    std::vector<uint8_t> Fetch(int slot)
    {
        const std::string path = folder.Path("out" + std::to_string(slot));
        EXPECT_TRUE(dev.UploadEntry(slot, path.c_str(), nullptr)) << dev.GetErrorText();
        return ReadFile(path);
    }
};

} // namespace

TEST_F(ChosenEntry, UploadAndDeleteActOnTheSlotNotTheFirstOfTheName)
{
    EXPECT_EQ(Fetch(1), second);
    EXPECT_EQ(Fetch(0), first);
    ASSERT_TRUE(dev.DeleteEntry(0));
    ASSERT_TRUE(dev.WriteDirectory());
    rig.NewDevice();
    CRioDevice& fresh = rig.Device();
    ASSERT_TRUE(fresh.ReadDirectory());
    EXPECT_EQ(fresh.EntryCount(), 1);
    EXPECT_EQ(DirectoryEntry::Read(fresh.EntrySlot(0)).size, second.size());

    EXPECT_FALSE(fresh.DeleteEntry(1));
    EXPECT_EQ(fresh.GetErrorCode(), kRioErrNoFile);
    EXPECT_FALSE(fresh.UploadEntry(-1, folder.Path("x").c_str(), nullptr));
    EXPECT_EQ(fresh.GetErrorCode(), kRioErrNoFile);
}

TEST_F(ChosenEntry, ANameTheCutMakesEqualToAnEntryGetsASuffix)
{
    const std::string x97(97, 'x');
    const std::string names[] = {x97 + " - 1. Allegro.mp3", x97 + " - 2. Adagio.mp3", x97 + " - 3. Presto.mp3"};
    const std::string stored[] = {std::string(96, 'x') + ".mp3", std::string(94, 'x') + "~2.mp3",
                                  std::string(94, 'x') + "~3.mp3"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dev.DownloadName(names[i].c_str()), stored[i]);
        ASSERT_TRUE(dev.DownloadFile(folder.Path("a").c_str(), nullptr, names[i].c_str()));
        char name[kRioNameSize + 1];
        DirectoryEntry::Read(dev.EntrySlot(2 + i)).GetName(name);
        EXPECT_EQ(name, stored[i]);
    }
    EXPECT_EQ(dev.DownloadName("song.mp3"), "song.mp3");   // not cut: a second entry of the name
}
