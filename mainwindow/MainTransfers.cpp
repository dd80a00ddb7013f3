// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's transfers: the progress callback, the display shared by
// every transfer (lamps, file counter, progress bar, status line, buttons), the
// batch of downloads that the user can stop, and the downloads of files chosen
// in the file dialog or dropped from the shell.
#include "mainwindow/MainDlg.h"

#include "app/Settings.h"
#include "device/RioSession.h"
#include "res/resource.h"
#include "win/BusyCursor.h"
#include "win/FileDialog.h"

#include <commdlg.h>

#include <cstdio>
#include <vector>

namespace {
constexpr int kMessagesPerProgress = 4;

// The file dialog's result buffer holds any choice it can return: the player's
// directory takes at most 60 files, and 64 KB is far more than 60 long paths.
constexpr DWORD kChoiceBufferSize = 64 * 1024;

constexpr const char kDownloadFilter[] = "MP3 Files (*.mp3)\0*.mp3\0All Files(*.*)\0*.*\0";
// While downloads convert: every kind of file the conversion reads first, then the filters above.
constexpr const char kConvertFilter[] =
    "Music Files\0*.mp3;*.mp2;*.flac;*.ogg;*.oga;*.opus;*.m4a;*.mp4;*.aac;*.wav;*.aif;*.aiff;*.mka\0"
    "MP3 Files (*.mp3)\0*.mp3\0All Files(*.*)\0*.*\0";
constexpr const char* kDownloadTitle = "Select files for download to Rio";
constexpr const char* kDownloadExtension = "mp3";

constexpr const char* kDownloadingPrefix = "Downloading :  ";
constexpr const char* kUploadingPrefix = "Uploading :  ";
constexpr const char* kStoppedFormat = "Stopped: %d of %d files sent.";

int LampOf(CMainDlg::ETransfer kind)
{
    return kind == CMainDlg::ETransfer::Download ? IDC_MAIN_LAMP_DOWNLOAD : IDC_MAIN_LAMP_UPLOAD;
}
}  // namespace

// ---- Progress -------------------------------------------------------------------

void CMainDlg::SetProgressTarget()
{
    s_progressTarget = GetDlgItem(IDC_MAIN_PROGRESS);
}

int CMainDlg::OnProgress(int position, int total)
{
    if (s_progressTarget != nullptr) {
        ::SendMessageA(s_progressTarget, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(total & 0xFFFF)));
        ::SendMessageA(s_progressTarget, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    for (int i = 0; i < kMessagesPerProgress; ++i) {
        MSG msg;
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            break;
        if (msg.message == WM_QUIT) {
            // Not ours to take: put it back for the loop that waits for it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        CMainDlg* window = s_transferWindow;
        if (window != nullptr && window->IsEscapeFor(msg)) {
            // Not dispatched: the list would hand it to the dialog manager.
            if (window->IsBatchRunning())
                window->m_stopRequested = true;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    // Read after the dispatch: a stop that just arrived cuts the file in flight.
    const CMainDlg* window = s_transferWindow;
    return window != nullptr && window->m_stopRequested ? 0 : 1;
}

// ---- The transfer display -------------------------------------------------------

void CMainDlg::BeginTransfer(ETransfer kind, int files, bool showLamps)
{
    BeginOperation();
    s_transferWindow = this;
    m_stopRequested = false;
    if (kind == ETransfer::Download) {
        m_batchRunning = true;
        // Esc reaches the batch through the list, which is never disabled.
        m_list.SetFocus();
        m_counter.SetColour(0, 255, 64);
    } else {
        m_counter.SetColour(255, 0, 64);
    }
    m_counter.SetValue(files);
    InvalidateCounter();
    if (showLamps)
        ShowTransferLamp(kind);
    EnableButtons(false);
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));   // IDC_WAIT
}

void CMainDlg::ShowTransferLamp(ETransfer kind)
{
    Item(IDC_MAIN_PROGRESS).Show(true);
    ShowLamp(IDC_MAIN_LAMP_IDLE, false);
    ShowLamp(LampOf(kind), true);
}

void CMainDlg::ShowTransferStatus(ETransfer kind, const std::string& what)
{
    SetStatusText((kind == ETransfer::Download ? kDownloadingPrefix : kUploadingPrefix) + what);
}

void CMainDlg::CountDownFile()
{
    m_counter.CountDown();
    InvalidateCounter();
}

void CMainDlg::ClearFileCounter()
{
    m_counter.SetValue(0);
    InvalidateCounter();
}

void CMainDlg::EndTransfer(ETransfer kind, EAfterTransfer after)
{
    m_batchRunning = false;
    m_stopRequested = false;
    if (s_transferWindow == this)
        s_transferWindow = nullptr;
    CWindow bar = Item(IDC_MAIN_PROGRESS);
    bar.SendMessage(PBM_SETPOS, 0);
    bar.Show(false);
    // Without a player the offline lamp stays in view.
    if (m_connected)
        ShowLamp(IDC_MAIN_LAMP_IDLE, true);
    ShowLamp(LampOf(kind), false);
    switch (after) {
    case EAfterTransfer::FillList:
        FillList();
        break;
    case EAfterTransfer::RefreshDirectory:
        RefreshDirectory();
        break;
    case EAfterTransfer::ShowMemory:
        ShowMemory();
        break;
    case EAfterTransfer::Nothing: break;
    }
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));   // IDC_ARROW
    EnableButtons(true);
    EndOperation();
}

void CTransferScope::End(CMainDlg::EAfterTransfer after)
{
    m_ended = true;
    m_window.EndTransfer(m_kind, after);
}

CTransferScope::~CTransferScope()
{
    if (m_ended)
        return;
    try {
        m_window.EndTransfer(m_kind, CMainDlg::EAfterTransfer::Nothing);
    } catch (...) {
        // Already unwinding: the window has been given back as far as it went.
    }
}

// ---- A batch of downloads ------------------------------------------------------------

CMainDlg::SBatch CMainDlg::DownloadFiles(const std::vector<std::string>& paths, bool countSkipped)
{
    SBatch batch;
    for (const std::string& path : paths)
        batch.toSend += path.empty() ? 0 : 1;
    SConversionPlan plan;
    if (!PlanConversion(paths, plan)) {
        ClearFileCounter();
        batch.failed = true;
        return batch;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (path.empty()) {
            if (countSkipped) {
                ++batch.skipped;
                CountDownFile();
            }
            continue;
        }
        EnableButtons(false);
        ShowTransferLamp(ETransfer::Download);
        const ESent sent = i < plan.converts.size() && plan.converts[i] ? SendConverted(path, plan.kbps)
                                                                          : SendFile(path, path, nullptr);
        if (sent == ESent::Failed) {
            ClearFileCounter();
            batch.failed = true;
            break;
        }
        if (sent == ESent::Sent) {
            ++batch.sent;
            CountDownFile();
        }
        // Stopped in flight, the player keeps the directory it had before this
        // file; an Esc that came while no block was starting is still queued.
        if (sent == ESent::Stopped || TakeQueuedEscapes() || m_stopRequested) {
            ClearFileCounter();
            batch.stopped = true;
            break;
        }
    }
    return batch;
}

CMainDlg::ESent CMainDlg::SendFile(const std::string& path, const std::string& shown, const char* name)
{
    ShowTransferStatus(ETransfer::Download, shown);
    SetProgressTarget();
    return m_session->DownloadUnlessStopped(path.c_str(), OnProgress, name);
}

void CMainDlg::ShowStopped(const SBatch& batch)
{
    char text[64];
    std::snprintf(text, sizeof text, kStoppedFormat, batch.sent, batch.toSend);
    SetStatusText(text);
}

// ---- DOWNP: files chosen in the file dialog ---------------------------------------

void CMainDlg::OnDownloadChosenFiles()
{
    CommitOrder();

    const char* filter = m_convertKbps > 0 ? kConvertFilter : kDownloadFilter;
    const SFileDialogResult choice =
        RunFileDialog(m_hWnd, false, kDownloadTitle, filter, kDownloadExtension,
                      ReadStringSetting(AppSettings(), SettingLastDLPath), OFN_ALLOWMULTISELECT, kChoiceBufferSize);
    if (!choice.chosen) {
        if (choice.tooLong)
            AppMessageBox(m_hWnd, kChoiceTooLong, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!choice.folder.empty())
        WriteStringSetting(AppSettings(), SettingLastDLPath, choice.folder.c_str());

    CTransferScope transfer(*this, ETransfer::Download, static_cast<int>(choice.paths.size()));
    const SBatch batch = DownloadFiles(choice.paths, false);
    if (batch.failed)
        RefreshDirectory();
    transfer.End(EAfterTransfer::FillList);
    if (batch.stopped)
        ShowStopped(batch);
}

// ---- Files dropped from the shell ----------------------------------------------------

bool CMainDlg::OnDropFiles(HDROP drop)
{
    if (IsOperationRunning()) {
        // The session is at work: a second transfer cannot start. The drop is ignored.
        ::DragFinish(drop);
        return true;
    }
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first: a long path is taken whole, never cut.
        const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
        std::vector<char> path(static_cast<size_t>(length) + 1, '\0');
        const UINT got = ::DragQueryFileA(drop, i, path.data(), length + 1);
        paths.emplace_back(path.data(), got <= length ? got : length);
    }
    ::DragFinish(drop);

    ::SetActiveWindow(m_hWnd);
    ::SetForegroundWindow(m_hWnd);
    CTransferScope transfer(*this, ETransfer::Download, static_cast<int>(count));
    const SBatch batch = DownloadFiles(paths, false);
    SetStatusText(std::string());
    transfer.End(EAfterTransfer::RefreshDirectory);
    if (batch.stopped)
        ShowStopped(batch);
    return true;
}
