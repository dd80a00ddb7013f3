// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's other two transfers: sending the rows of a playlist to the
// player (PLAYLST) and fetching the selected rows into a folder of the PC
// (UPLOAD), after a check of the destination drive's free space.
#include "mainwindow/MainDlg.h"

#include "app/Settings.h"
#include "device/RioSession.h"
#include "folderdialog/FolderDlg.h"
#include "playlist/PcFiles.h"
#include "playlist/PlaylistDlg.h"
#include "playlist/UploadChecks.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string SkippedRowsText(int skipped)
{
    char text[128];
    if (skipped == 1)
        std::snprintf(text, sizeof text, "1 file of the playlist was not sent: it is missing or empty.");
    else
        std::snprintf(text, sizeof text, "%d files of the playlist were not sent: they are missing or empty.", skipped);
    return text;
}

}  // namespace

// ---- PLAYLST: the playlist window, then its rows sent to the player ------------------

void CMainDlg::OnPlaylist()
{
    CPlaylistDlg playlist(m_free, m_connected, m_hWnd);
    playlist.SetFileDialogOwner(m_hWnd);
    if (playlist.DoModal() != IDOK)
        return;

    std::vector<std::string> paths;
    std::string path;
    for (int i = 0; playlist.GetPlaylistLine(i, path); ++i)
        paths.push_back(path);

    // The lamps and the bar come on with the first file actually sent.
    CTransferScope transfer(*this, ETransfer::Download, playlist.GetEntryCount(), false);
    const SBatch batch = DownloadFiles(paths, true);
    SetStatusText(std::string());
    transfer.End(EAfterTransfer::RefreshDirectory);
    if (batch.stopped) {
        ShowStopped(batch);
    } else if (batch.skipped > 0) {
        // Rows of files that are missing (or empty) are not sent: say so rather than leave them out silently.
        AppMessageBox(m_hWnd, SkippedRowsText(batch.skipped).c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
}

// ---- UPLOAD: the selected rows into a folder of the PC --------------------------------

void CMainDlg::OnUpload()
{
    CommitOrder();

    CFolderDlg folderDialog(m_hWnd);
    if (folderDialog.DoModal() != IDOK)
        return;
    const std::string folder = UploadFolder(folderDialog.selectedPath);
    const std::string drive = folder.substr(0, 3);
    WriteStringSetting(AppSettings(), SettingLastDriveUpload, drive.c_str());

    const int check = ReadIntSetting(AppSettings(), SettingCheckHDSpace);
    WriteIntSetting(AppSettings(), SettingCheckHDSpace, check);   // so that the value shows in the store
    // The chosen rows are taken once: the list stays usable while files move,
    // and a click in it must not change what is fetched or overwritten. Row i
    // shows the entry in slot i: its file is fetched, not the first of its name.
    struct SChosen {
        int slot;
        std::string name;
    };
    std::vector<SChosen> chosen;
    uint64_t needed = 0;
    for (int i = 0; i < m_list.GetRowCount(); ++i) {
        if (!m_list.IsSelected(i))
            continue;
        std::string name;
        m_list.GetEntryName(i, name);
        chosen.push_back({i, name});
        int32_t size = 0;
        if (m_list.GetEntrySize(i, size) && size > 0)
            needed += static_cast<uint64_t>(size);
    }
    if (check == 1) {
        // The space left to this user (quotas included); 0 when the system cannot tell.
        const uint64_t free = SystemPcFiles().FreeSpace(drive);
        if (free < needed) {
            AppMessageBox(m_hWnd, FreeSpaceMessage(free, needed).c_str(), MB_OK | MB_ICONSTOP);
            return;
        }
    }

    CTransferScope transfer(*this, ETransfer::Upload, static_cast<int>(chosen.size()), false);
    for (const SChosen& row : chosen) {
        ShowTransferStatus(ETransfer::Upload, row.name);
        ShowTransferLamp(ETransfer::Upload);
        SetProgressTarget();
        // A name from the player must not lead out of the folder or to a
        // device: such a file is refused like a failed one, and the rest go on.
        if (IsSafePcFileName(row.name))
            m_session->UploadEntry(row.slot, (folder + row.name).c_str(), OnProgress);
        else
            m_messages.ShowError(UnsafeNameErrorText(row.name).c_str());
        CountDownFile();
    }
    transfer.End(EAfterTransfer::ShowMemory);
}
