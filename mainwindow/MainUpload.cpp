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
#include <string>

// ---- PLAYLST: the playlist window, then its rows sent to the player ------------------

void CMainDlg::OnPlaylist()
{
    CPlaylistDlg playlist(m_free, m_connected, m_hWnd);
    playlist.SetFileDialogOwner(m_hWnd);
    if (playlist.DoModal() != IDOK)
        return;

    // The lamps and the bar come on with the first file actually sent.
    BeginTransfer(ETransfer::Download, playlist.GetEntryCount(), false);
    std::string path;
    for (int i = 0; playlist.GetPlaylistLine(i, path); ++i) {
        if (!path.empty()) {
            ShowTransferStatus(ETransfer::Download, path);
            ShowTransferLamp(ETransfer::Download);
            SetProgressTarget();
            if (!m_session->DownloadFile(path.c_str(), OnProgress)) {
                ClearFileCounter();
                break;
            }
        }
        CountDownFile();
    }
    SetStatusText(std::string());
    EndTransfer(ETransfer::Download, EAfterTransfer::RefreshDirectory);
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
    // and a click in it must not change what is fetched or overwritten.
    std::vector<std::string> names;
    uint64_t needed = 0;
    for (int i = 0; i < m_list.GetRowCount(); ++i) {
        if (!m_list.IsSelected(i))
            continue;
        std::string name;
        m_list.GetEntryName(i, name);
        names.push_back(name);
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

    BeginTransfer(ETransfer::Upload, static_cast<int>(names.size()), false);
    for (const std::string& name : names) {
        ShowTransferStatus(ETransfer::Upload, name);
        ShowTransferLamp(ETransfer::Upload);
        SetProgressTarget();
        // A name from the player must not lead out of the folder or to a
        // device: such a file is refused like a failed one, and the rest go on.
        if (IsSafePcFileName(name))
            m_session->UploadFile((folder + name).c_str(), OnProgress);
        else
            m_messages.ShowError(UnsafeNameErrorText(name).c_str());
        CountDownFile();
    }
    EndTransfer(ETransfer::Upload, EAfterTransfer::ShowMemory);
}
