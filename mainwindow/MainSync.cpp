// SPDX-License-Identifier: GPL-3.0-or-later
// "Sync with playlist..." of the main window's system menu: a playlist file
// chosen, the plan shown in one question box, then the player made to hold
// exactly the playlist, in its order, as a batch of downloads (progress,
// counter, Esc and CLOSE stop it).
#include "mainwindow/MainDlg.h"

#include "app/Settings.h"
#include "device/RioSession.h"
#include "res/resource.h"
#include "sync/SyncPlan.h"
#include "sync/SyncRun.h"
#include "sync/SyncSources.h"
#include "win/FileDialog.h"

#include <commdlg.h>

namespace {

constexpr const char kSyncFilter[] = "Playlist Files (*.pst;*.m3u;*.m3u8)\0*.pst;*.m3u;*.m3u8\0All Files(*.*)\0*.*\0";
constexpr const char* kSyncTitle = "Sync with playlist";
constexpr const char* kSyncExtension = "pst";
constexpr DWORD kSyncPathBuffer = 1024;
constexpr const char* kSyncRefused = "Sync refused, nothing was changed!\r\n\r\n";
constexpr const char* kSyncQuestion = "Make the player hold exactly this playlist, in its order?\r\n\r\n";

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

} // namespace

void CMainDlg::OnSyncPlaylist()
{
    if (IsOperationRunning()) {
        ::MessageBeep(MB_OK);
        return;
    }
    CommitOrder();
    const SFileDialogResult choice =
        RunFileDialog(m_hWnd, false, kSyncTitle, kSyncFilter, kSyncExtension,
                      ReadStringSetting(AppSettings(), SettingLastPLPath), 0, kSyncPathBuffer);
    if (!choice.chosen || choice.paths.empty())
        return;
    if (!m_connected || !m_session->HasDirectory()) {
        RefreshDirectory();
        if (!m_connected || !m_session->HasDirectory())
            return;
    }

    // Everything that can refuse the sync is found before the player changes.
    const SSyncSources sources = ReadSyncSources({choice.paths[0]}, false);
    std::vector<SSyncFile> list;
    std::vector<std::string> problems = sources.problems;
    const PlayerNameOf nameOf = [](const std::string& base, std::string& name, std::string&) {
        name = base; // the window's paths are in the code page the player stores
        return true;
    };
    if (problems.empty())
        PrepareSyncFiles(sources.paths, nameOf, list, problems);
    CRioDevice& device = *m_session->GetDevice();
    const SSyncPlan plan = problems.empty() ? MakeSyncPlan(device, list) : SSyncPlan();
    if (problems.empty() && !plan.refusal.empty())
        problems.push_back(plan.refusal);
    if (!problems.empty()) {
        AppMessageBox(m_hWnd, (kSyncRefused + Lines(problems)).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string line = SyncPlanLine(plan, ModelledPlanSeconds(plan, device, m_session->GetVerifyDownloads()));
    if (AppMessageBox(m_hWnd, (kSyncQuestion + line).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    CTransferScope transfer(*this, ETransfer::Download, static_cast<int>(plan.sends.size()));
    SBatch batch;
    batch.toSend = static_cast<int>(plan.sends.size());
    SSyncHooks hooks;
    hooks.progress = OnProgress;
    hooks.quietStop = true;
    hooks.beforeSend = [this, &batch](size_t, const SSyncFile& file) {
        if (m_stopRequested) {
            ClearFileCounter();
            batch.stopped = true;
            return false;
        }
        EnableButtons(false);
        ShowTransferStatus(ETransfer::Download, file.source);
        ShowTransferLamp(ETransfer::Download);
        SetProgressTarget();
        return true;
    };
    hooks.afterSend = [this, &batch](const SSyncFile&, bool ok) {
        if (ok) {
            ++batch.sent;
            CountDownFile();
            return;
        }
        ClearFileCounter();
        (m_stopRequested ? batch.stopped : batch.failed) = true;
    };
    const SSyncOutcome outcome = RunSyncPlan(*m_session, list, plan, hooks);
    SetStatusText(std::string());
    // After a failure the image may hold what the player does not: read it again.
    transfer.End(outcome.done || batch.stopped ? EAfterTransfer::FillList : EAfterTransfer::RefreshDirectory);
    if (batch.stopped)
        ShowStopped(batch);
}
