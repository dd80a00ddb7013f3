// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncPlan.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "sync/SyncSources.h"

namespace {

// Register accesses of the block protocol, counted from its strobes: the
// wake-up of the link (four pauses of delayInit reads and 23 accesses); per
// erase unit the address (21), the confirmation (6) and a status strobe (11 +
// 2 delayTx); per page the address with its column byte (24), the write
// command (3), 528 streamed bytes (3 each), the confirmation (6) and a status
// strobe; per page read the address, the read command, 528 bytes of 4 + 2
// delayRx accesses each and two ready polls.
constexpr double kWakeAccesses = 23;
constexpr double kEraseAccesses = 21 + 6 + 11;
constexpr double kPageAccesses = 24 + 3 + 528 * 3 + 6 + 11;
constexpr double kReadPageAccesses = 24 + 3 + 2;
constexpr double kReadByteAccesses = 4;
constexpr int kPageBytes = kRioPageSize + kRioSpareSize;
// The chips' busy times in microseconds (small-block NAND datasheets), during
// which the ready line is polled at one access per microsecond.
constexpr double kEraseBusyMicros = 2000;
constexpr double kProgramBusyMicros = 200;
constexpr double kReadBusyMicros = 10;
constexpr double kMicrosPerAccess = 1;

int BlocksOf(uint64_t bytes) { return static_cast<int>((bytes + kRioBlockSize - 1) / kRioBlockSize); }

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

} // namespace

bool SSyncFile::Matches(const std::string& storedName, uint64_t bytes) const
{
    if (storedName != name)
        return false;
    for (uint64_t other : otherSizes)
        if (bytes == other)
            return true;
    return bytes == size;
}

bool PrepareSyncFiles(const std::vector<std::string>& paths, const PlayerNameOf& nameOf, std::vector<SSyncFile>& files,
                      std::vector<std::string>& problems, const SyncFormOf& formOf)
{
    files.clear();
    std::map<std::string, std::string> firstOfName;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        SSyncFile f;
        f.source = path;
        std::string problem = SourceFileProblem(path), base = BaseName(path.c_str()), name, error;
        struct stat st;
        if (problem.empty() && stat(path.c_str(), &st) == 0)
            f.size = static_cast<uint64_t>(st.st_size);
        // A conversion stores the file under another name and size: what is
        // compared with the player is what would be sent.
        if (problem.empty() && formOf && !formOf(i, base, f, error))
            problem = error;
        if (problem.empty() && f.size > UINT32_MAX)
            problem = Quoted(path) + " is larger than the player's 4 GB file limit";
        if (problem.empty() && !nameOf(base, name, error))
            problem = Quoted(path) + ": " + error;
        if (!problem.empty()) {
            problems.push_back(problem);
            continue;
        }
        f.name = StoredName(name);
        const auto [it, added] = firstOfName.emplace(f.name, path);
        if (!added)
            problems.push_back(Quoted(path) + " and " + Quoted(it->second) + " would both be stored as " +
                               Quoted(f.name));
        files.push_back(f);
    }
    return problems.empty();
}

SSyncPlan MakeSyncPlan(const CRioDevice& image, const std::vector<SSyncFile>& list, const std::vector<bool>& differs)
{
    SSyncPlan plan;
    const int count = image.EntryCount();
    std::vector<bool> claimed(static_cast<size_t>(count), false);
    std::vector<DirectoryEntry> entries;
    for (int slot = 0; slot < count; ++slot)
        entries.push_back(DirectoryEntry::Read(image.EntrySlot(slot)));

    // Each list entry claims the first unclaimed player entry of its name and a size of it.
    for (size_t i = 0; i < list.size(); ++i) {
        int kept = -1;
        for (int slot = 0; slot < count && kept < 0; ++slot) {
            char name[kRioNameSize + 1];
            entries[size_t(slot)].GetName(name);
            const bool differing = size_t(slot) < differs.size() && differs[size_t(slot)];
            if (!claimed[size_t(slot)] && !differing && list[i].Matches(name, entries[size_t(slot)].size))
                kept = slot;
        }
        plan.keptSlot.push_back(kept);
        if (kept >= 0) {
            claimed[size_t(kept)] = true;
        } else {
            plan.sends.push_back(i);
            plan.sendBytes += list[i].size;
            plan.sendBlocks += BlocksOf(list[i].size);
        }
    }
    int freed = 0;
    for (int slot = 0; slot < count; ++slot)
        if (!claimed[size_t(slot)]) {
            plan.deletes.push_back(slot);
            freed += entries[size_t(slot)].blocks;
        }

    // After the sends the kept entries stand in their old order, the sent ones
    // after them in list order: one reorder is due unless that is the list's.
    std::vector<size_t> after;
    for (int slot = 0; slot < count; ++slot)
        for (size_t i = 0; i < list.size(); ++i)
            if (plan.keptSlot[i] == slot)
                after.push_back(i);
    after.insert(after.end(), plan.sends.begin(), plan.sends.end());
    for (size_t j = 0; j < after.size(); ++j)
        plan.reorder = plan.reorder || after[j] != j;

    // The first file of an empty directory also takes the directory block,
    // unless a file held it before (a download counts it the same way).
    const DirectoryHeader h = image.GetHeader();
    if (!plan.sends.empty() && plan.Keeps() == 0 && image.GetBlockState(0) != kRioBlockUsed)
        plan.sendBlocks += 1;
    plan.freeBlocks = h.free + freed;
    char text[200];
    if (list.size() > size_t(kRioMaxEntries)) {
        std::snprintf(text, sizeof text, "the list has %d files; the player holds at most %d",
                      static_cast<int>(list.size()), kRioMaxEntries);
        plan.refusal = text;
    } else if (plan.sendBlocks > plan.freeBlocks) {
        std::snprintf(text, sizeof text,
                      "the list does not fit: the files to send need %d blocks of 32 KB, %d are free once the "
                      "deletes are done",
                      plan.sendBlocks, plan.freeBlocks);
        plan.refusal = text;
    }
    return plan;
}

double ModelledBlockMicros(int delayInit, int delayTx, int delayRx, bool card, bool read)
{
    const double wake = 4.0 * delayInit + kWakeAccesses;
    const int pages = kRioPagesPerBlock;
    if (read)
        return kMicrosPerAccess *
                   (wake + pages * (kReadPageAccesses + kPageBytes * (kReadByteAccesses + 2.0 * delayRx))) +
               pages * kReadBusyMicros;
    const int units = kRioPagesPerBlock / (card ? 32 : 16);
    return kMicrosPerAccess *
               (wake + units * (kEraseAccesses + 2.0 * delayTx) + pages * (kPageAccesses + 2.0 * delayTx)) +
           units * kEraseBusyMicros + pages * kProgramBusyMicros;
}

double ModelledPlanSeconds(const SSyncPlan& plan, const CRioDevice& device, bool verify)
{
    const bool card = device.GetMemory() != 0;
    const int init = device.GetIODelayInit(), tx = device.GetIODelayTx(), rx = device.GetIODelayRx();
    const int directoryWrites =
        (plan.deletes.empty() ? 0 : 1) + static_cast<int>(plan.sends.size()) + (plan.reorder ? 1 : 0);
    double micros = (plan.sendBlocks + directoryWrites) * ModelledBlockMicros(init, tx, rx, card, false);
    if (verify)
        micros += plan.sendBlocks * ModelledBlockMicros(init, tx, rx, card, true);
    return micros / 1e6;
}

std::string SyncPlanLine(const SSyncPlan& plan, double seconds)
{
    const long total = std::lround(seconds);
    char time[64];
    if (total >= 3600)
        std::snprintf(time, sizeof time, "%ld h %ld min", total / 3600, total % 3600 / 60);
    else if (total >= 60)
        std::snprintf(time, sizeof time, "%ld min %ld s", total / 60, total % 60);
    else
        std::snprintf(time, sizeof time, "%ld s", total);
    char line[200];
    std::snprintf(line, sizeof line, "keep %d, delete %d, send %d (%.1f MB, about %s at the chosen speed)",
                  plan.Keeps(), static_cast<int>(plan.deletes.size()), static_cast<int>(plan.sends.size()),
                  double(plan.sendBytes) / (1024.0 * 1024.0), time);
    return line;
}
