// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli sync: the selected memory ends up holding exactly the list, in
// list order, with the least traffic. Everything that can refuse the sync
// (a source that cannot be read, two files of one stored name, a list that
// cannot fit) is found before the player changes.
#include <nlohmann/json.hpp>

#include <sstream>

#include "audio/Mp3Fit.h"
#include "cli/CliCommands.h"
#include "cli/CliConvert.h"
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
    // Each file as put sends it: music in another format under its MP3 name,
    // at the size its conversion will have, so that a converted file already
    // there is kept without converting it. With --fit, a conversion at any
    // lower bitrate counts as there too: a fitted sync run again sends nothing.
    std::ostringstream quiet; // --json prints only the JSON
    CCliConvert convert(m_options, sources.paths, m_options.json ? quiet : m_io.out);
    std::vector<int> rates{m_options.bitrate};
    for (int kbps : kMp3Bitrates)
        if (m_options.fit && kbps < m_options.bitrate)
            rates.push_back(kbps);
    const SyncFormOf formOf = [&](size_t i, std::string& base, SSyncFile& file, std::string& error) {
        if (!convert.Probe(i, error))
            return false;
        base = convert.PlayerName(i);
        file.size = static_cast<uint64_t>(convert.Bytes(i, rates[0]));
        for (size_t r = 1; r < rates.size(); ++r)
            file.otherSizes.push_back(static_cast<uint64_t>(convert.Bytes(i, rates[r])));
        return true;
    };
    if (!PrepareSyncFiles(sources.paths, nameOf, list, problems, formOf))
        return refuse(problems);
    // The bitrate at which list file i has this many bytes.
    auto kbpsOf = [&](size_t i, uint64_t bytes) {
        for (int kbps : rates)
            if (static_cast<uint64_t>(convert.Bytes(i, kbps)) == bytes)
                return kbps;
        return rates[0];
    };

    CRioDevice& d = Device();
    SSyncPlan plan = MakeSyncPlan(d, list);
    const size_t count = static_cast<size_t>(d.EntryCount());
    std::vector<bool> differs(count, false);
    if (m_options.verify) {
        // Entries that match by name and size are read back and compared with
        // what would be sent (a kept conversion made again, into a temporary
        // file); one that differs is deleted and sent again. A new plan may
        // keep another entry of that name and size instead: it is read back in turn.
        std::vector<bool> compared(count, false);
        for (bool replan = true; replan;) {
            replan = false;
            for (size_t i = 0; i < list.size(); ++i) {
                const int slot = plan.keptSlot[i];
                if (slot < 0 || compared[size_t(slot)])
                    continue;
                std::string path, error;
                const uint64_t bytes = DirectoryEntry::Read(d.EntrySlot(slot)).size;
                if (!convert.Prepare(i, m_progress, path, error, kbpsOf(i, bytes))) {
                    Fail(std::string(kSyncFailed) + error);
                    return kExitFailed;
                }
                bool same = false;
                m_progress.Begin("compare " + m_names.Show(list[i].name));
                const bool ok = d.CompareFile(slot, path.c_str(), CCliProgress::Callback(), same);
                m_progress.End(ok);
                convert.Release();
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
    if (m_options.fit && !plan.sends.empty() && list.size() <= size_t(kRioMaxEntries)) {
        // The highest bitrate at which what must be sent fits into what is
        // free once the deletes are done (the directory's block included).
        int fileBlocks = 0;
        for (size_t i : plan.sends)
            fileBlocks += static_cast<int>((list[i].size + kRioBlockSize - 1) / kRioBlockSize);
        std::string error;
        if (!convert.Fit(plan.sends, plan.freeBlocks - (plan.sendBlocks - fileBlocks), kRioMaxEntries - plan.Keeps(),
                         error))
            return refuse({error});
        for (size_t i : plan.sends)
            list[i].size = static_cast<uint64_t>(convert.Bytes(i, convert.Kbps()));
        plan = MakeSyncPlan(d, list, differs);
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
        {"kbps", convert.Kbps()},
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
    hooks.beforeSend = [this](size_t, const SSyncFile&) {
        if (InterruptRequested()) {
            Fail(std::string(kSyncFailed) + "operation interrupted");
            return false;
        }
        return true;
    };
    hooks.sendPath = [&](size_t i, const SSyncFile& file, std::string& pcPath) {
        std::string error;
        if (!convert.Prepare(i, m_progress, pcPath, error)) {
            Fail(std::string(kSyncFailed) + error);
            return false;
        }
        m_progress.Begin("send " + m_names.Show(file.name));
        return true;
    };
    hooks.afterSend = [&](const SSyncFile&, bool ok) {
        m_progress.End(ok);
        convert.Release();
    };
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
