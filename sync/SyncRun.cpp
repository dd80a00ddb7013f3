// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncRun.h"

#include <cstdint>

#include "device/RioSession.h"

SSyncOutcome RunSyncPlan(CRioSession& session, const std::vector<SSyncFile>& list, const SSyncPlan& plan,
                         const SSyncHooks& hooks)
{
    SSyncOutcome outcome;
    CRioDevice* device = session.GetDevice();
    if (!device || !plan.refusal.empty())
        return outcome;
    if (!plan.deletes.empty()) {
        if (!session.DeleteEntries(plan.deletes))
            return outcome;
        outcome.deleted = static_cast<int>(plan.deletes.size());
    }
    for (size_t n = 0; n < plan.sends.size(); ++n) {
        const SSyncFile& file = list[plan.sends[n]];
        if (hooks.beforeSend && !hooks.beforeSend(n, file))
            return outcome;
        // A conversion is made only for the files sent, just before each.
        std::string pcPath = file.source;
        if (hooks.sendPath && !hooks.sendPath(plan.sends[n], file, pcPath))
            return outcome;
        const bool ok = hooks.quietStop ? session.DownloadUnlessStopped(pcPath.c_str(), hooks.progress,
                                                                        file.name.c_str()) == CRioSession::EDownloadEnd::Sent
                                        : session.DownloadFile(pcPath.c_str(), hooks.progress, file.name.c_str());
        if (hooks.afterSend)
            hooks.afterSend(file, ok);
        if (!ok)
            return outcome;
        ++outcome.sent;
    }
    if (plan.reorder) {
        // Names are unique on the player now: each list entry has its one slot.
        std::vector<uint32_t> positions;
        for (const SSyncFile& file : list)
            positions.push_back(static_cast<uint32_t>(device->FindEntry(file.name.c_str())));
        if (!session.ApplyOrder(positions.data(), static_cast<int>(positions.size())))
            return outcome;
        outcome.reordered = true;
    }
    outcome.done = ImageHoldsList(*device, list);
    return outcome;
}

bool ImageHoldsList(const CRioDevice& image, const std::vector<SSyncFile>& list)
{
    if (!image.HasValidDirectory() || image.EntryCount() != static_cast<int>(list.size()))
        return false;
    for (size_t i = 0; i < list.size(); ++i) {
        const DirectoryEntry e = DirectoryEntry::Read(image.EntrySlot(static_cast<int>(i)));
        char name[kRioNameSize + 1];
        e.GetName(name);
        if (!list[i].Matches(name, e.size))
            return false;
    }
    return true;
}
