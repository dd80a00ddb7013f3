// SPDX-License-Identifier: GPL-3.0-or-later
// Operations on the entry of a slot when two entries share a name, the state
// every operation leaves the player in, and a memory of another size.
#include <gtest/gtest.h>

#include <functional>

#include "tests/player/DeviceRig.h"

TEST(OperationEnd, SlotsAddressTheirOwnFileWhateverItsName)
{
    CDeviceRig rig(QuickPlayer());
    CTempFolder folder;
    CRioDevice& dev = rig.Device();
    const std::vector<uint8_t> first = MakeBytes(40000, 1), second = MakeBytes(5000, 2);
    ASSERT_TRUE(WriteFile(folder.Path("a"), first) && WriteFile(folder.Path("b"), second) && dev.Detect());
    ASSERT_TRUE(dev.ReadDirectory() && dev.DownloadFile(folder.Path("a").c_str(), nullptr, "song.mp3"));
    ASSERT_TRUE(dev.DownloadFile(folder.Path("b").c_str(), nullptr, "song.mp3"));
    ASSERT_TRUE(dev.UploadEntry(1, folder.Path("up").c_str(), nullptr));
    EXPECT_EQ(ReadFile(folder.Path("up")), second);
    ASSERT_TRUE(dev.DeleteEntry(1));
    ASSERT_EQ(dev.EntryCount(), 1);
    EXPECT_EQ(DirectoryEntry::Read(dev.EntrySlot(0)).size, first.size());
}

TEST(OperationEnd, EveryOperationLeavesThePlayerAsleep)
{
    enum EFault { kProgram, kRead, kWire };
    typedef std::function<bool(CRioDevice&, const std::string&)> FRun;
    bool same = false;
    const uint32_t order[] = {0};
    // list, download, verified download, upload, delete, reorder, compare, format
    const std::pair<FRun, EFault> cases[] = {
        {[](CRioDevice& d, const std::string&) { return d.ReadDirectory(); }, kRead},
        {[](CRioDevice& d, const std::string& pc) { return d.DownloadFile(pc.c_str(), nullptr, "b"); }, kProgram},
        {[](CRioDevice& d, const std::string& pc) {
             d.SetVerifyDownloads(true);
             return d.DownloadFile(pc.c_str(), nullptr, "b");
         },
         kWire},
        {[](CRioDevice& d, const std::string& pc) { return d.UploadEntry(0, (pc + ".up").c_str(), nullptr); }, kRead},
        {[](CRioDevice& d, const std::string&) { return d.DeleteEntry(0) && d.WriteDirectory(); }, kProgram},
        {[&](CRioDevice& d, const std::string&) { return d.ReorderFiles(order, 1) && d.WriteDirectory(); }, kProgram},
        {[&](CRioDevice& d, const std::string& pc) { return d.CompareFile(0, pc.c_str(), nullptr, same) && same; },
         kRead},
        {[](CRioDevice& d, const std::string&) { return d.Format(0, nullptr) && d.WriteDirectory(); }, kProgram},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE("operation " + std::to_string(i) + (fails ? ", failing" : ""));
            CDeviceRig rig(QuickPlayer());
            CTempFolder folder;
            CRioDevice& dev = rig.Device();
            const std::string pc = folder.Path("song.mp3");
            ASSERT_TRUE(WriteFile(pc, MakeBytes(40000, 3)) && dev.Detect() && dev.ReadDirectory());
            ASSERT_TRUE(dev.DownloadFile(pc.c_str(), nullptr) && dev.WriteDirectory());
            if (fails && cases[i].second == kWire)
                rig.Player().Faults().AddWireFlip(EMemory::Internal, 3 * 64, 7, 0x01); // the new file's first page
            else if (fails)
                rig.Player().Faults().AddNeverReady(cases[i].second == kRead ? EFaultPhase::ReadAddress
                                                                             : EFaultPhase::Program);
            EXPECT_EQ(cases[i].first(dev, pc), !fails) << dev.GetErrorText();
            EXPECT_FALSE(rig.Player().Awake());
        }
    }
}

TEST(OperationEnd, ACardOfAnotherSizeIsNotTheOneThatWasThere)
{
    SPlayerOptions options = QuickPlayer();
    options.cardCode = 0x75; // 32 MB
    CDeviceRig rig(options);
    CTempFolder folder;
    CRioDevice& dev = rig.Device();
    dev.SetMemory(1);
    ASSERT_TRUE(WriteFile(folder.Path("s"), MakeBytes(1000, 4)) && dev.Detect() && dev.Format(0, nullptr));
    ASSERT_TRUE(dev.DownloadFile(folder.Path("s").c_str(), nullptr));
    dev.SetExternalBlocks(dev.GetExternalBlocks() * 2); // the card seen before this one
    EXPECT_FALSE(dev.DownloadFile(folder.Path("s").c_str(), nullptr));
    EXPECT_EQ(dev.GetErrorCode(), kRioErrNotFound);
}
