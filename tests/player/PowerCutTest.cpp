// SPDX-License-Identifier: GPL-3.0-or-later
// Power cuts anywhere in every operation that writes (download into a player
// that holds files, delete, reorder, initialize with and without the pattern
// test, repair of a damaged directory), on the internal memory and on a card,
// in every cut mode of the player. After reconnecting: the directory fails its
// checksum only when the cut fell inside a directory write (and then the rules
// see a half-written block 0, which no repair takes for a directory), else it
// is exactly the old or the new one (or, for the checked initialization, the
// empty one stored before the test); every
// file a valid directory lists reads back byte for byte; the counts agree with
// the state table; no block is in two chains; and an operation the cut struck
// never reports success.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/DirectoryCheck.h"
#include "tests/player/DeviceRig.h"

namespace {

enum class EOp { Download, Delete, Reorder, Initialize, InitializeChecked, Repair };

struct SScenario {
    const char* name;
    EOp op;
    bool card;
    int spreadCuts;       // cuts spread over the whole operation
    int windowCuts;       // extra cuts inside each directory write
    bool headOnly;        // cut only in the first directory write and the first blocks after it
};

// A 2 MB card: the checked initialization tests all of its 63 blocks.
constexpr uint8_t kCardCode = 0x64;
// A block that fails the pattern test, far from the files.
constexpr uint32_t kBadBlock = 40;

const SScenario kScenarios[] = {
    {"DownloadInternal", EOp::Download, false, 240, 24, false},
    {"DownloadCard", EOp::Download, true, 90, 16, false},
    {"DeleteInternal", EOp::Delete, false, 24, 24, false},
    {"DeleteCard", EOp::Delete, true, 16, 16, false},
    {"ReorderInternal", EOp::Reorder, false, 24, 24, false},
    {"ReorderCard", EOp::Reorder, true, 16, 16, false},
    {"InitializeInternal", EOp::Initialize, false, 24, 24, false},
    {"InitializeCard", EOp::Initialize, true, 16, 16, false},
    // The pattern test of the whole internal memory is 1023 blocks long: cut in
    // its first directory write and first blocks; its end is the card's.
    {"InitializeCheckedInternal", EOp::InitializeChecked, false, 30, 16, true},
    {"InitializeCheckedCard", EOp::InitializeChecked, true, 10, 8, false},
    {"RepairInternal", EOp::Repair, false, 24, 24, false},
    {"RepairCard", EOp::Repair, true, 16, 16, false},
};

EMemory MemoryOf(const SScenario& s) { return s.card ? EMemory::Card : EMemory::Internal; }

SPlayerOptions PlayerOf(const SScenario&)
{
    SPlayerOptions o = QuickPlayer();
    o.cardCode = kCardCode;
    return o;
}

// Connects a (new) device to the scenario's memory and reads its directory.
void Attach(CDeviceRig& rig, const SScenario& s)
{
    rig.NewDevice();
    rig.Device().SetMemory(s.card ? 1 : 0);
    ASSERT_TRUE(rig.Device().Detect()) << rig.Device().GetErrorText();
}

// What the session runs for the operation: the image change, then the write.
bool RunOperation(CRioDevice& dev, const SScenario& s, const std::string& newPath)
{
    static const uint32_t swap[2] = {1, 0};
    switch (s.op) {
    case EOp::Download: return dev.DownloadFile(newPath.c_str(), nullptr) && dev.WriteDirectory();
    case EOp::Delete: return dev.DeleteFile("old1.mp3") && dev.WriteDirectory();
    case EOp::Reorder: return dev.ReorderFiles(swap, 2) && dev.WriteDirectory();
    case EOp::Initialize: return dev.Format(0, nullptr) && dev.WriteDirectory();
    case EOp::InitializeChecked: return dev.Format(1, nullptr) && dev.WriteDirectory();
    case EOp::Repair: return dev.ReplaceDirectory(PlanRepair(dev.Directory(), dev.TotalBlocks()).image.data());
    }
    return false;
}

// The directory compared without the parts that change between runs of one
// scenario: the header's time and checksums, and the entries' download times.
std::vector<uint8_t> Comparable(const uint8_t* block)
{
    std::vector<uint8_t> v(block, block + kRioBlockSize);
    std::fill(v.begin() + 0x0A, v.begin() + 0x12, 0);
    for (int slot = 0; slot < kRioMaxEntries; ++slot) {
        const size_t time = kRioEntriesOffset + slot * kRioEntrySize + 0x0F;
        std::fill(v.begin() + time, v.begin() + time + 4, 0);
    }
    return v;
}

// The file behind a directory entry, straight from the player's pages.
std::vector<uint8_t> StoredFile(CVirtualPlayer& player, EMemory memory, const CRioDevice& dev,
                                const DirectoryEntry& e)
{
    std::vector<uint8_t> bytes;
    uint16_t b = e.firstBlock;
    for (int i = 0; i < e.blocks; ++i) {
        for (uint32_t p = 0; p < 64; ++p) {
            const uint8_t* page = player.Page(memory, b * 64u + p);
            bytes.insert(bytes.end(), page, page + 512);
        }
        b = dev.GetBlockLink(b);
    }
    bytes.resize(std::min<size_t>(bytes.size(), e.size));
    return bytes;
}

// Counts and chains of a directory: used + free = total, the free count is the
// number of free places, every chain lies in the memory, is marked used, has the
// entry's length and ends with link 0, and no block is in two chains.
void ExpectConsistent(const CRioDevice& dev)
{
    const DirectoryHeader h = dev.GetHeader();
    EXPECT_EQ(h.total, dev.TotalBlocks());
    EXPECT_EQ(h.used + h.free, h.total);
    EXPECT_EQ(h.free, dev.CountFreeBlocks());
    EXPECT_LE(h.count, kRioMaxEntries);
    std::vector<int> owner(kRioTableBlocks, -1);
    for (int slot = 0; slot < dev.EntryCount(); ++slot) {
        const DirectoryEntry e = DirectoryEntry::Read(dev.EntrySlot(slot));
        int b = e.firstBlock;
        for (int i = 0; i < e.blocks; ++i) {
            ASSERT_TRUE(b > 0 && b < dev.TotalBlocks()) << "slot " << slot << " block " << b;
            EXPECT_EQ(dev.GetBlockState(b), kRioBlockUsed) << "block " << b;
            EXPECT_EQ(owner[b], -1) << "block " << b << " in the chains of slots " << owner[b] << " and " << slot;
            owner[b] = slot;
            b = dev.GetBlockLink(b);
        }
        EXPECT_EQ(b, 0) << "slot " << slot << ": chain longer than its entry";
    }
}

struct SOutcome {
    int cuts = 0;
    int oldDirectories = 0;
    int emptyDirectories = 0;
    int newDirectories = 0;
    int checksumFailures = 0;
    int untouched = 0;    // a torn-mode cut that no program or erase followed
};

class PowerCut : public testing::TestWithParam<SScenario> {
protected:
    void SetUp() override
    {
        const SScenario& s = GetParam();
        // The player before the scenario: three files downloaded, the second
        // deleted again, so that the next file fills its hole first.
        CDeviceRig base(PlayerOf(s));
        Attach(base, s);
        CRioDevice& dev = base.Device();
        ASSERT_TRUE(dev.ReadDirectory()) << dev.GetErrorText();
        for (const auto& f : {std::make_pair("old1.mp3", size_t(40000)), std::make_pair("old2.mp3", size_t(5000)),
                              std::make_pair("old3.mp3", size_t(70000))}) {
            ASSERT_TRUE(dev.DownloadFile(Put(f.first, f.second, 1).c_str(), nullptr)) << dev.GetErrorText();
            ASSERT_TRUE(dev.WriteDirectory()) << dev.GetErrorText();
        }
        ASSERT_TRUE(dev.DeleteFile("old2.mp3"));
        ASSERT_TRUE(dev.WriteDirectory());
        if (s.op == EOp::Repair) {
            // old1's last link is no end (a repair drops it), a block of old3 is
            // marked free (a repair marks it used again and keeps the file).
            const int second = dev.GetBlockLink(DirectoryEntry::Read(dev.EntrySlot(0)).firstBlock);
            dev.SetBlockLink(second, kRioNoBlock);
            dev.SetBlockState(DirectoryEntry::Read(dev.EntrySlot(1)).firstBlock, kRioBlockFree);
            ASSERT_TRUE(dev.WriteDirectory());
        }
        m_before = base.Player().TakeSnapshot(MemoryOf(s));
        m_old = Comparable(dev.Directory());
        m_newPath = Put("new.mp3", 70000, 2);

        // One directory write: its length is the same for every image.
        const uint64_t start = base.Player().Accesses();
        ASSERT_TRUE(dev.WriteDirectory());
        m_write = base.Player().Accesses() - start;
    }

    std::string Put(const std::string& name, size_t size, uint32_t seed)
    {
        m_contents[name] = MakeBytes(size, seed);
        EXPECT_TRUE(WriteFile(m_folder.Path(name), m_contents[name]));
        return m_folder.Path(name);
    }

    // A rig on a player holding the state before the scenario, directory read.
    void Prepare(CDeviceRig& rig)
    {
        const SScenario& s = GetParam();
        if (s.op == EOp::InitializeChecked)
            rig.Player().Faults().AddBadBlock(MemoryOf(s), kBadBlock);
        ASSERT_TRUE(rig.Player().Restore(MemoryOf(s), m_before));
        Attach(rig, s);
        ASSERT_TRUE(rig.Device().ReadDirectory()) << rig.Device().GetErrorText();
    }

    CTempFolder m_folder;
    std::map<std::string, std::vector<uint8_t>> m_contents;
    CFlashImage::Snapshot m_before;
    std::vector<uint8_t> m_old;
    std::string m_newPath;
    uint64_t m_write = 0;
};

TEST_P(PowerCut, DirectoryIsOldNewOrInvalidAndListedFilesAreIntact)
{
    const SScenario& s = GetParam();
    const EMemory memory = MemoryOf(s);

    // The reference run: its length and the directory it leaves.
    uint64_t length = 0;
    std::vector<uint8_t> newDirectory;
    {
        CDeviceRig reference(PlayerOf(s));
        Prepare(reference);
        const uint64_t begin = reference.Player().Accesses();
        if (s.headOnly) {
            length = m_write + 5000000;     // the empty directory and the first blocks of the test
        } else {
            reference.Player().ClearWritten();
            ASSERT_TRUE(RunOperation(reference.Device(), s, m_newPath)) << reference.Device().GetErrorText();
            length = reference.Player().Accesses() - begin;
            if (s.op == EOp::Repair) {
                EXPECT_EQ(reference.Player().Written(memory), std::set<uint32_t>{0}) << "a repair writes block 0 only";
            }
            newDirectory = Comparable(reference.Device().Directory());
            ASSERT_NE(newDirectory, m_old);
        }
    }
    std::vector<uint8_t> emptyDirectory;
    if (s.op == EOp::InitializeChecked) {
        CDeviceRig empty(PlayerOf(s));
        Prepare(empty);
        ASSERT_TRUE(empty.Device().Format(0, nullptr));
        emptyDirectory = Comparable(empty.Device().Directory());
    }
    // Directory writes, as access ranges from the start of the operation: the
    // last one, and the empty directory stored before the pattern test.
    std::vector<std::pair<uint64_t, uint64_t>> writes;
    if (s.op == EOp::InitializeChecked)
        writes.push_back({0, m_write});
    if (!s.headOnly)
        writes.push_back({length - m_write, length});
    auto inWrite = [&](uint64_t at) {
        for (const auto& w : writes)
            if (at >= w.first && at < w.second)
                return true;
        return false;
    };
    const uint64_t firstWriteEnd = writes.front().second;
    const uint64_t lastWriteStart = writes.back().first;

    std::vector<uint64_t> cuts;
    const uint64_t step = std::max<uint64_t>(1, length / uint64_t(s.spreadCuts));
    for (uint64_t cut = step / 2; cut < length; cut += step)
        cuts.push_back(cut);
    for (const auto& w : writes) {
        const uint64_t wStep = std::max<uint64_t>(1, (w.second - w.first) / uint64_t(s.windowCuts));
        for (uint64_t cut = w.first + wStep / 3; cut < w.second; cut += wStep)
            cuts.push_back(cut);
    }
    if (!s.headOnly) {
        for (uint64_t fromEnd : {1, 5, 12, 200})    // the release, the identification after the write
            cuts.push_back(length - fromEnd);
    }
    for (uint64_t early : {1, 2, 3, 10, 20, 30})    // in the first wake-up, before any erase
        cuts.push_back(early);

    const ECutMode modes[] = {ECutMode::BetweenOperations, ECutMode::TornProgram, ECutMode::TornErase};
    SOutcome outcome;
    for (const uint64_t cut : cuts) {
        const ECutMode mode = modes[outcome.cuts % 3];
        ++outcome.cuts;
        SCOPED_TRACE(std::string(s.name) + ": cut after " + std::to_string(cut) + " of " +
                     std::to_string(length) + " accesses, mode " + std::to_string(int(mode)));
        CDeviceRig rig(PlayerOf(s));
        Prepare(rig);
        const uint64_t start = rig.Player().Accesses();
        rig.Player().Faults().CutPowerAfter(start + cut, mode);
        const bool reported = RunOperation(rig.Device(), s, m_newPath);
        const int code = rig.Device().GetErrorCode();
        const SPlayerEvent* cutEvent = rig.Player().Log().Find(EPlayerEvent::Power, "power cut");
        const uint64_t cutAt = cutEvent ? cutEvent->access - start : UINT64_MAX;
        rig.Player().Faults().CancelPowerCut();
        EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
        if (s.op == EOp::Repair && !reported) {
            EXPECT_EQ(Comparable(rig.Device().Directory()), m_old) << "a failed repair keeps the image as it was";
        }
        rig.Player().Reconnect();

        // A player that lost its power in the operation is not a success: only
        // a cut in the final release may leave it reporting one.
        if (cutEvent && cutAt + 7 < length) {
            EXPECT_FALSE(reported) << "cut at " << cutAt;
            EXPECT_EQ(code, kRioErrNotFound) << rig.Device().GetErrorText();
        }
        if (!cutEvent && !s.headOnly) {
            EXPECT_TRUE(reported) << rig.Device().GetErrorText();
        }

        Attach(rig, s);
        CRioDevice& dev = rig.Device();
        if (!dev.ReadDirectory()) {
            EXPECT_EQ(dev.GetErrorCode(), kRioErrDirectory) << dev.GetErrorText();
            EXPECT_TRUE(inWrite(cutAt)) << "only a cut in a directory write may spoil the directory; cut at "
                                        << cutAt;
            EXPECT_FALSE(reported);
            // A torn block 0 is told from a damaged directory: nothing repairs it.
            EXPECT_FALSE(CDirectoryCheck(dev.Directory(), dev.TotalBlocks()).Repairable());
            ++outcome.checksumFailures;
            continue;
        }
        const std::vector<uint8_t> found = Comparable(dev.Directory());
        const bool isOld = found == m_old;
        const bool isNew = !newDirectory.empty() && found == newDirectory;
        const bool isEmpty = !emptyDirectory.empty() && found == emptyDirectory;
        ASSERT_TRUE(isOld || isNew || isEmpty) << "a valid directory that is none of the expected ones";
        if (cutAt < writes.front().first) {
            EXPECT_TRUE(isOld) << "cut at " << cutAt << " before any directory write";
        }
        if (isOld) {
            EXPECT_LT(cutAt, firstWriteEnd) << "the old directory after its replacement was stored";
        }
        if (isNew && !isEmpty) {
            EXPECT_GE(cutAt, lastWriteStart);
        }
        if (reported) {
            EXPECT_TRUE(isNew) << "a reported success must leave the new directory";
        }
        if (!cutEvent)
            ++outcome.untouched;
        else if (isOld)
            ++outcome.oldDirectories;
        else if (isNew)
            ++outcome.newDirectories;
        else
            ++outcome.emptyDirectories;

        if (!(isOld && s.op == EOp::Repair))
            ExpectConsistent(dev);
        for (int slot = 0; slot < dev.EntryCount(); ++slot) {
            const DirectoryEntry e = DirectoryEntry::Read(dev.EntrySlot(slot));
            char name[kRioNameSize + 1];
            e.GetName(name);
            ASSERT_EQ(m_contents.count(name), 1u) << name;
            EXPECT_EQ(StoredFile(rig.Player(), memory, dev, e), m_contents[name]) << name;
            // Through the whole link as well, on a sample of the runs.
            if (outcome.cuts % 16 == 0) {
                const std::string back = m_folder.Path("back-" + std::to_string(outcome.cuts));
                std::filesystem::create_directories(back);
                const std::string target = back + "/" + name;
                ASSERT_TRUE(dev.UploadFile(target.c_str(), nullptr)) << dev.GetErrorText();
                EXPECT_EQ(ReadFile(target), m_contents[name]) << name;
            }
        }
        EXPECT_EQ(rig.Player().ProtocolErrors(), 0u) << rig.Player().Log().Dump();
    }
    std::printf("%s: %d cuts: %d old, %d empty, %d new, %d invalid directories, %d without effect\n", s.name,
                outcome.cuts, outcome.oldDirectories, outcome.emptyDirectories, outcome.newDirectories,
                outcome.checksumFailures, outcome.untouched);
    // The cuts reached every outcome the scenario has.
    EXPECT_GT(outcome.oldDirectories, 0);
    EXPECT_GT(outcome.checksumFailures, 0);
    if (!s.headOnly) {
        EXPECT_GT(outcome.newDirectories, 0);
    }
    if (s.op == EOp::InitializeChecked) {
        EXPECT_GT(outcome.emptyDirectories, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWritingOperation, PowerCut, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<SScenario>& info) { return std::string(info.param.name); });

}  // namespace
