// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli sync: the selected memory ends up holding exactly the list, in
// list order, with the least traffic. Everything that can refuse the sync
// (a source that cannot be read, two files of one stored name, a list that
// cannot fit) is found before the player changes.
#include <nlohmann/json.hpp>

#include "cli/CliCommands.h"
#include "cli/CliInterrupt.h"
#include "cli/CliText.h"
#include "device/RioSession.h"
#include "sync/SyncPlan.h"
#include "sync/SyncRun.h"
#include "sync/SyncSources.h"

namespace {

const char kSyncRefused[] = "Sync refused, nothing was changed!\r\n\r\n";
const char kSyncFailed[] = "Sync failed!\r\n\r\n";

nlohmann::ordered_json Names(const std::vector<std::string>& names)
{
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const std::string& name : names)
        a.push_back(PlayerNameToUtf8(name));
    return a;
}

} // namespace

int CCliCommands::Sync()
{
    nlohmann::ordered_json report;
    auto refuse = [&](const std::vector<std::string>& reasons) {
        std::string text = kSyncRefused;
        for (const std::string& reason : reasons)
            text += reason + "\r\n";
        Fail(text);
        if (m_options.json) {
            nlohmann::ordered_json j = {{"refused", nlohmann::ordered_json::array()}};
            for (const std::string& reason : reasons)
                j["refused"].push_back(PcTextToUtf8(reason));
            m_io.out << j.dump(2) << '\n';
        }
        return kExitFailed;
    };

    const SSyncSources sources = ReadSyncSources(m_options.paths, m_options.recursive);
    if (!sources.problems.empty())
        return refuse(sources.problems);
    std::vector<SSyncFile> list;
    std::vector<std::string> problems;
    const PlayerNameOf nameOf = [this](const std::string& base, std::string& name, std::string& error) {
        return m_names.ToPlayer(base, false, name, error);
    };
    if (!PrepareSyncFiles(sources.paths, nameOf, list, problems))
        return refuse(problems);

    CRioDevice& d = Device();
    SSyncPlan plan = MakeSyncPlan(d, list);
    if (m_options.verify) {
        // Entries that match by name and size are read back; one that differs
        // is deleted and sent again. A new plan may keep another entry of that
        // name and size instead: it is read back in turn.
        const size_t count = static_cast<size_t>(d.EntryCount());
        std::vector<bool> differs(count, false), compared(count, false);
        for (bool replan = true; replan;) {
            replan = false;
            for (size_t i = 0; i < list.size(); ++i) {
                const int slot = plan.keptSlot[i];
                if (slot < 0 || compared[size_t(slot)])
                    continue;
                bool same = false;
                m_progress.Begin("compare " + m_names.Show(list[i].name));
                const bool ok = d.CompareFile(slot, list[i].pcPath.c_str(), CCliProgress::Callback(), same);
                m_progress.End(ok);
                if (!ok) {
                    Fail(std::string(kSyncFailed) + d.GetErrorText());
                    return kExitFailed;
                }
                compared[size_t(slot)] = true;
                differs[size_t(slot)] = !same;
                replan = replan || !same;
            }
            plan = MakeSyncPlan(d, list, differs);
        }
    }
    if (!plan.refusal.empty())
        return refuse({plan.refusal});

    const std::string line = SyncPlanLine(plan, ModelledPlanSeconds(plan, d, m_options.verify));
    std::vector<std::string> kept, deleted, sent;
    for (size_t i = 0; i < list.size(); ++i)
        (plan.keptSlot[i] >= 0 ? kept : sent).push_back(list[i].name);
    for (int slot : plan.deletes) {
        char name[kRioNameSize + 1];
        DirectoryEntry::Read(d.EntrySlot(slot)).GetName(name);
        deleted.push_back(name);
    }
    report["plan"] = {
        {"line", line},
        {"keep", Names(kept)},
        {"delete", Names(deleted)},
        {"send", Names(sent)},
        {"reorder", plan.reorder},
        {"send_bytes", plan.sendBytes},
        {"send_blocks", plan.sendBlocks},
        {"free_blocks", plan.freeBlocks},
    };
    if (!m_options.json)
        m_io.out << line << '\n';
    if (m_options.dryRun) {
        if (m_options.json)
            m_io.out << report.dump(2) << '\n';
        return kExitDone;
    }

    SSyncHooks hooks;
    hooks.progress = CCliProgress::Callback();
    hooks.beforeSend = [this](size_t, const SSyncFile& file) {
        if (InterruptRequested()) {
            Fail(std::string(kSyncFailed) + "operation interrupted");
            return false;
        }
        m_progress.Begin("send " + m_names.Show(file.name));
        return true;
    };
    hooks.afterSend = [this](const SSyncFile&, bool ok) { m_progress.End(ok); };
    if (InterruptRequested()) {
        Fail(std::string(kSyncFailed) + "operation interrupted");
        return kExitFailed;
    }
    const SSyncOutcome outcome = RunSyncPlan(*m_session, list, plan, hooks);
    report["outcome"] = {
        {"done", outcome.done},
        {"deleted", outcome.deleted},
        {"sent", outcome.sent},
        {"reordered", outcome.reordered},
    };
    if (m_options.json)
        m_io.out << report.dump(2) << '\n';
    else if (outcome.done)
        m_io.out << "the player holds the list: " << list.size() << " files in list order\n";
    return outcome.done ? kExitDone : kExitFailed;
}
