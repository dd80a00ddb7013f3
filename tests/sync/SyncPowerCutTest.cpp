// SPDX-License-Identifier: GPL-3.0-or-later
// Power cuts all through a sync that deletes, sends and reorders: the card's
// directory afterwards is one that a finished step wrote (with every file it
// lists complete), or, for a cut inside a directory write, one that fails its
// checksum; from any readable state a second sync finishes the job.
#include "tests/sync/SyncSupport.h"

#include <algorithm>

namespace {

const std::vector<SSyncFileSpec> kList = {{"a.mp3", 70000, 1}, {"b.mp3", 33000, 2}, {"c.mp3", 5000, 3}};

TEST_F(CSyncTest, PowerCutLeavesAStepsDirectoryAndASecondRunFinishes)
{
    // Deletes x and the old b, sends a and b, then reorders c after them.
    Start({{"x.mp3", 90000, 5}, {"b.mp3", 20000, 6}, {"c.mp3", 5000, 3}});
    const std::string list = List(kList);
    const std::vector<uint8_t> before = CardImage();
    const auto start = Expected("start", {{"x.mp3", 90000, 5}, {"b.mp3", 20000, 6}, {"c.mp3", 5000, 3}});
    const auto wanted = Expected("list", kList);
    // What each finished step leaves, in order.
    const std::vector<std::vector<std::pair<std::string, std::vector<uint8_t>>>> steps = {
        start, {wanted[2]}, {wanted[2], wanted[0]}, {wanted[2], wanted[0], wanted[1]}, wanted};

    constexpr uint64_t kEvery = 15013;
    const ECutMode modes[] = {ECutMode::BetweenOperations, ECutMode::TornProgram, ECutMode::TornErase};
    std::vector<int> reached(steps.size(), 0);
    int torn = 0, cuts = 0;
    bool finished = false;
    for (uint64_t at = kEvery; !finished; at += kEvery) {
        ASSERT_TRUE(WriteFile(PlayerDir() + "/card.img", before));
        const ECutMode mode = modes[(at / kEvery) % 3];
        m_playerFaults = [at, mode](CVirtualPlayer& p) { p.Faults().CutPowerAfter(at, mode); };
        const SCliRun cut = Sync(list);
        m_playerFaults = nullptr;
        finished = cut.code == kExitDone;
        ++cuts;

        std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
        if (!CardFiles(files)) {
            ++torn;
            continue;
        }
        const auto step = std::find(steps.begin(), steps.end(), files);
        ASSERT_NE(step, steps.end()) << "cut at " << at << ": a directory no step leaves";
        ++reached[size_t(step - steps.begin())];
        const SCliRun again = Sync(list);
        ASSERT_EQ(again.code, kExitDone) << "after the cut at " << at << ": " << again.err;
        ASSERT_TRUE(CardFiles(files));
        ASSERT_TRUE(files == wanted) << "after the cut at " << at;
    }
    // Each step but the fourth was left by some cut: between the last send's
    // directory write and the reorder's lie only a few register accesses.
    for (size_t s : {0, 1, 2, 4})
        EXPECT_GT(reached[s], 0) << "step " << s << " (" << torn << " torn directories in " << cuts << " cuts)";
}

} // namespace
