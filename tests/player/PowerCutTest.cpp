// Power cuts anywhere in a download followed by the directory write: after
// reconnecting, the directory is the old one, the new one, or fails its checksum,
// and every file that a valid directory lists is intact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/player/DeviceRig.h"

namespace {

struct SCutOutcome {
    int oldDirectories = 0;
    int newDirectories = 0;
    int checksumFailures = 0;
    int uncut = 0;
};

// The file behind a directory entry, straight from the player's pages.
std::vector<uint8_t> StoredFile(CVirtualPlayer& player, const CRioDevice& dev, const DirectoryEntry& e)
{
    std::vector<uint8_t> bytes;
    uint16_t b = e.firstBlock;
    for (int i = 0; i < e.blocks; ++i) {
        if (b == 0 || b >= dev.TotalBlocks())
            return {};
        for (uint32_t p = 0; p < 64; ++p) {
            const uint8_t* page = player.Page(EMemory::Internal, b * 64u + p);
            bytes.insert(bytes.end(), page, page + 512);
        }
        b = dev.GetBlockLink(b);
    }
    bytes.resize(std::min<size_t>(bytes.size(), e.size));
    return bytes;
}

// Directory blocks compared without the header and without the entries' download
// times, which differ between runs of the same scenario.
bool SameBody(const uint8_t* a, const std::vector<uint8_t>& b)
{
    std::vector<uint8_t> x(a, a + kRioBlockSize), y = b;
    for (int slot = 0; slot < kRioMaxEntries; ++slot) {
        const size_t time = kRioEntriesOffset + slot * kRioEntrySize + 0x0F;
        std::fill(x.begin() + time, x.begin() + time + 4, 0);
        std::fill(y.begin() + time, y.begin() + time + 4, 0);
    }
    return std::equal(x.begin() + kRioHeaderSize, x.end(), y.begin() + kRioHeaderSize);
}

}  // namespace

TEST(DevicePowerCut, DirectoryIsOldNewOrInvalidAndListedFilesAreIntact)
{
    CTempFolder folder;
    std::map<std::string, std::vector<uint8_t>> contents;
    auto put = [&](const std::string& name, size_t size, uint32_t seed) {
        contents[name] = MakeBytes(size, seed);
        EXPECT_TRUE(WriteFile(folder.Path(name), contents[name]));
        return folder.Path(name);
    };

    // The player before the scenario: two files.
    CDeviceRig base(QuickPlayer());
    ASSERT_TRUE(base.Device().Detect());
    ASSERT_TRUE(base.Device().ReadDirectory());
    for (const auto& f : {std::make_pair(std::string("old1.mp3"), size_t(40000)),
                          std::make_pair(std::string("old2.mp3"), size_t(5000))}) {
        ASSERT_TRUE(base.Device().DownloadFile(put(f.first, f.second, 1).c_str(), nullptr));
        ASSERT_TRUE(base.Device().WriteDirectory());
    }
    const CFlashImage::Snapshot before = base.Player().TakeSnapshot(EMemory::Internal);
    const std::vector<uint8_t> oldDirectory(base.Device().Directory(), base.Device().Directory() + kRioBlockSize);
    const std::string newPath = put("new.mp3", 70000, 2);

    // The scenario: what the session does for one download.
    uint64_t directoryStart = 0;
    auto scenario = [&](CDeviceRig& rig) {
        rig.Device().DownloadFile(newPath.c_str(), nullptr);
        directoryStart = rig.Player().Accesses();
        rig.Device().WriteDirectory();
    };
    auto prepare = [&](CDeviceRig& rig) {
        ASSERT_TRUE(rig.Player().Restore(EMemory::Internal, before));
        ASSERT_TRUE(rig.Device().Detect());
        ASSERT_TRUE(rig.Device().ReadDirectory());
    };

    CDeviceRig reference(QuickPlayer());
    prepare(reference);
    const uint64_t begin = reference.Player().Accesses();
    scenario(reference);
    const uint64_t length = reference.Player().Accesses() - begin;
    const uint64_t directoryOffset = directoryStart - begin;
    const std::vector<uint8_t> newDirectory(reference.Device().Directory(),
                                            reference.Device().Directory() + kRioBlockSize);
    ASSERT_FALSE(SameBody(oldDirectory.data(), newDirectory));

    const uint64_t step = std::max<uint64_t>(1, length / 300);
    const ECutMode modes[] = {ECutMode::BetweenOperations, ECutMode::TornProgram, ECutMode::TornErase};
    SCutOutcome outcome;
    std::vector<uint64_t> cuts;
    for (uint64_t cut = step / 2; cut < length + step; cut += step)
        cuts.push_back(cut);
    // Just after the directory's last page: the new directory stands.
    for (uint64_t fromEnd : {1, 5, 12})
        cuts.push_back(length - fromEnd);
    int run = 0;
    for (const uint64_t cut : cuts) {
        ++run;
        SCOPED_TRACE("cut after " + std::to_string(cut) + " accesses, mode " + std::to_string(run % 3));
        CDeviceRig rig(QuickPlayer());
        prepare(rig);
        const uint64_t start = rig.Player().Accesses();
        rig.Player().Faults().CutPowerAfter(start + cut, cut + 12 >= length ? ECutMode::BetweenOperations
                                                                            : modes[run % 3]);
        scenario(rig);
        const SPlayerEvent* cutEvent = rig.Player().Log().Find(EPlayerEvent::Power, "power cut");
        const uint64_t cutAt = cutEvent ? cutEvent->access - start : UINT64_MAX;
        rig.Player().Faults().CancelPowerCut();
        rig.Player().Reconnect();

        rig.NewDevice();
        CRioDevice& dev = rig.Device();
        ASSERT_TRUE(dev.Detect());
        if (!dev.ReadDirectory()) {
            EXPECT_EQ(dev.GetErrorCode(), 7) << dev.GetErrorText();
            EXPECT_GE(cutAt, directoryOffset) << "only a cut in the directory write may spoil the directory";
            ++outcome.checksumFailures;
            continue;
        }
        const bool isOld = SameBody(dev.Directory(), oldDirectory);
        const bool isNew = SameBody(dev.Directory(), newDirectory);
        ASSERT_TRUE(isOld || isNew) << "a valid directory that is neither the old nor the new one";
        if (cutAt < directoryOffset) {
            EXPECT_TRUE(isOld)
                << "cut at " << cutAt << ", directory write from " << directoryOffset;
        }
        if (cutEvent == nullptr)
            ++outcome.uncut;
        else if (isOld)
            ++outcome.oldDirectories;
        else
            ++outcome.newDirectories;

        const DirectoryHeader h = dev.GetHeader();
        EXPECT_EQ(h.used + h.free, h.total);
        EXPECT_EQ(h.count, isOld ? 2 : 3);
        for (int slot = 0; slot < dev.EntryCount(); ++slot) {
            const DirectoryEntry e = DirectoryEntry::Read(dev.EntrySlot(slot));
            char name[kRioNameSize + 1];
            e.GetName(name);
            ASSERT_EQ(contents.count(name), 1u) << name;
            EXPECT_EQ(StoredFile(rig.Player(), dev, e), contents[name]) << name;
            // Through the whole link as well, on a sample of the runs.
            if (run % 16 == 0) {
                const std::string back = folder.Path("back-" + std::string(name));
                std::filesystem::create_directories(back);
                const std::string target = back + "/" + name;
                ASSERT_TRUE(dev.UploadFile(target.c_str(), nullptr)) << dev.GetErrorText();
                EXPECT_EQ(ReadFile(target), contents[name]) << name;
            }
        }
        EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
    }
    std::printf("%d cuts: %d old, %d new, %d invalid directories, %d past the end\n", run,
                outcome.oldDirectories, outcome.newDirectories, outcome.checksumFailures, outcome.uncut);
    // The cuts covered every outcome.
    EXPECT_GE(run, 250);
    EXPECT_GT(outcome.oldDirectories, 100);
    EXPECT_GT(outcome.checksumFailures, 10);
    EXPECT_GT(outcome.newDirectories, 0);
}
