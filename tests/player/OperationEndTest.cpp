// SPDX-License-Identifier: GPL-3.0-or-later
// How every device operation leaves the player: asleep, on success and on
// failure, and a memory of another size taken for a vanished one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

TEST(OperationEnd, EveryOperationLeavesThePlayerAsleep)
{
    enum class EFault { None, Program, Read, Wire };
    struct SCase {
        const char* name;
        std::function<bool(CRioDevice&, const std::string&, const std::string&)> run;
        EFault fault;
    };
    const auto download = [](CRioDevice& d, const std::string& pc, const std::string&) {
        return d.DownloadFile(pc.c_str(), nullptr, "new.mp3");
    };
    const auto verified = [download](CRioDevice& d, const std::string& pc, const std::string& up) {
        d.SetVerifyDownloads(true);
        return download(d, pc, up);
    };
    const auto upload = [](CRioDevice& d, const std::string&, const std::string& up) {
        return d.UploadEntry(0, up.c_str(), nullptr);
    };
    const auto remove = [](CRioDevice& d, const std::string&, const std::string&) {
        return d.DeleteEntry(0) && d.WriteDirectory();
    };
    const auto reorder = [](CRioDevice& d, const std::string&, const std::string&) {
        const uint32_t order[] = {0};
        return d.ReorderFiles(order, 1) && d.WriteDirectory();
    };
    const auto compare = [](CRioDevice& d, const std::string& pc, const std::string&) {
        bool same = false;
        return d.CompareFile(0, pc.c_str(), nullptr, same) && same;
    };
    const auto format = [](CRioDevice& d, const std::string&, const std::string&) {
        return d.Format(0, nullptr) && d.WriteDirectory();
    };
    const SCase cases[] = {
        {"list", [](CRioDevice& d, const std::string&, const std::string&) { return d.ReadDirectory(); }, EFault::Read},
        {"download", download, EFault::Program},
        {"verified download", verified, EFault::Wire},
        {"upload", upload, EFault::Read},
        {"delete", remove, EFault::Program},
        {"reorder", reorder, EFault::Program},
        {"compare", compare, EFault::Read},
        {"format", format, EFault::Program},
    };
    for (const SCase& c : cases) {
        for (const bool fails : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fails ? ", failing" : ""));
            CDeviceRig rig(QuickPlayer());
            CTempFolder folder;
            CRioDevice& dev = rig.Device();
            const std::string pc = folder.Path("song.mp3"), up = folder.Path("up.mp3");
            ASSERT_TRUE(WriteFile(pc, MakeBytes(40000, 3)));
            ASSERT_TRUE(dev.Detect() && dev.ReadDirectory());
            ASSERT_TRUE(dev.DownloadFile(pc.c_str(), nullptr) && dev.WriteDirectory());
            CFaultPlan& faults = rig.Player().Faults();
            if (fails && c.fault == EFault::Program)
                faults.AddNeverReady(EFaultPhase::Program);
            if (fails && c.fault == EFault::Read)
                faults.AddNeverReady(EFaultPhase::ReadAddress);
            if (fails && c.fault == EFault::Wire)
                faults.AddWireFlip(EMemory::Internal, 3 * 64, 7, 0x01);   // the new file's first page
            EXPECT_EQ(c.run(dev, pc, up), !fails) << dev.GetErrorText();
            EXPECT_TRUE(rig.Player().Powered());
            EXPECT_FALSE(rig.Player().Awake());
        }
    }
}

TEST(OperationEnd, ACardOfAnotherSizeIsNotThePlayerThatWasThere)
{
    SPlayerOptions options = QuickPlayer();
    options.cardCode = 0x75;                        // 32 MB
    CDeviceRig rig(options);
    CTempFolder folder;
    CRioDevice& dev = rig.Device();
    const std::string pc = folder.Path("song.mp3");
    ASSERT_TRUE(WriteFile(pc, MakeBytes(1000, 4)));
    dev.SetMemory(1);
    ASSERT_TRUE(dev.Detect() && dev.Format(0, nullptr));
    ASSERT_TRUE(dev.DownloadFile(pc.c_str(), nullptr));
    dev.SetExternalBlocks(dev.GetExternalBlocks() * 2);    // the card seen before this one
    EXPECT_FALSE(dev.DownloadFile(pc.c_str(), nullptr));
    EXPECT_EQ(dev.GetErrorCode(), kRioErrNotFound);
}
