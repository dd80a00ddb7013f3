// SPDX-License-Identifier: GPL-3.0-or-later
// CMainDlg: the program's main window (template 102). It owns the device
// session, looks for the player at start-up, shows the player's directory in a
// list and the selected memory's figures as a bar and a status line, switches
// between internal memory and card, and runs the operations the user starts:
// downloads (file dialog, dropped files), deleting, reordering by dragging a
// row, initializing.
//
// Everything runs on the user-interface thread. A long device operation runs
// inside its handler; between blocks OnProgress dispatches a few waiting
// messages so that the window repaints. While an operation runs, nothing that
// would start a second device operation or end the window is carried out: drops
// are ignored, the speed options and the "Verify downloads" choice are refused,
// and a request to close waits for the end of the operation. A batch of
// downloads is the exception: Esc stops it after the current block, CLOSE stops
// it and then closes. Esc never ends the program in the middle of an operation:
// presses still queued when it ends are taken off the queue, where the dialog
// manager would turn them into its cancel command. The dialogs it opens (speed options, initialize, playlist,
// folder, About) are owned by it, so it is disabled while one is open and no
// second dialog or operation can be started behind it.
//
// The handlers are spread over MainDlg.cpp (set-up, display, connecting,
// painting, closing), MainTransfers.cpp (progress, the transfer display,
// downloads), MainConvert.cpp (conversion to MP3 on the way) and
// MainReorder.cpp (dragging rows, the order, delete, init).
#pragma once

#include "app/MessageBoxWin.h"
#include "device/RioSession.h"
#include "playlist/FileListCtrl.h"
#include "skin/Balken.h"
#include "skin/BitmapButton.h"
#include "skin/Led.h"
#include "skin/SkinColours.h"
#include "win/Dialog.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CMainDlg;
class CPortProvider;

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CPortProvider& ports, HWND parent = nullptr);
    ~CMainDlg() override;

    // Which way files move in a transfer: download is PC to player, upload
    // player to PC. Chooses the lamp, the counter colour and the status text.
    enum class ETransfer { Download, Upload };

    // What the end of a transfer shows afterwards.
    enum class EAfterTransfer {
        FillList,         // rebuild the list from the session (and the memory line)
        RefreshDirectory, // read the directory again, then rebuild
        ShowMemory,       // only the memory line and bar (the player did not change)
        Nothing,          // the display alone (a transfer left by an exception)
    };

    // The last search found a player.
    bool IsConnected() const { return m_connected; }
    // Text of the status line.
    const std::string& GetStatusText() const { return m_statusText; }
    // The list shows rows whose new order has not reached the player yet.
    bool IsOrderChanged() const { return m_orderChanged; }
    // The external memory (card) is selected.
    bool IsExternalMemory() const { return m_externalMemory; }
    // A device operation (or the search for the player) is running.
    bool IsOperationRunning() const { return m_operationDepth > 0; }
    // A request to close arrived while an operation ran; the window closes at its end.
    bool IsClosePending() const { return m_closePending; }
    // A batch of downloads runs, which Esc and CLOSE stop.
    bool IsBatchRunning() const { return m_batchRunning; }

    CRioSession* Session() const { return m_session.get(); }
    CFileListCtrl& List() { return m_list; }
    const CLed& FileCounter() const { return m_counter; }
    const WBalken& MemoryBar() const { return m_bar; }
    int GetTotalKB() const { return m_total; }
    int GetUsedKB() const { return m_used; }
    int GetFreeKB() const { return m_free; }

    // ---- Routines shared by the operations ---------------------------------

    // Searches for the player until found or given up (Retry/Cancel); sets the
    // connected flag, refreshes the list and shows the idle or offline lamp.
    void ConnectPlayer();
    // Connects if needed, sends a pending order, reads the directory and rebuilds the list.
    void RefreshDirectory();
    // Rebuilds every row from the session, then the memory bar and line.
    void FillList();
    // Reads the memory figures; updates the bar and the status line.
    void ShowMemory();
    // Off: the nine operation buttons disabled. On: enabled, DELETE and UPLOAD
    // only while a row is selected. HELP, ABOUT, KESTRY and the list stay usable.
    void EnableButtons(bool on);
    // Sends a changed list order to the player and rebuilds the list; true when it did.
    bool CommitOrder();
    // The progress callback of every long session operation: moves the progress
    // bar, dispatches up to four waiting messages and answers "continue".
    // Answers "stop" once the user has stopped the running batch of downloads.
    // Esc for the window of a running transfer is taken here: it stops a batch
    // of downloads and is ignored during an upload.
    static int OnProgress(int position, int total);

    // Makes the progress bar the target of OnProgress; call just before each
    // session operation that takes the callback.
    void SetProgressTarget();

    // Pushes a text into the status line.
    void SetStatusText(const std::string& text);

    // Controls of the window, in the order they become bitmap buttons.
    static constexpr int kBitmapButtonCount = 12;
    static const int kBitmapButtonIds[kBitmapButtonCount];

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnPaint() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnLButtonUp(UINT keys, POINT pt) override;
    bool OnMouseMove(UINT keys, POINT pt) override;
    void OnCaptureChanged(HWND gaining) override;
    bool OnSysCommand(UINT command, LPARAM lParam) override;
    bool OnHelp(HELPINFO* info) override;
    bool OnDropFiles(HDROP drop) override;
    HICON OnQueryDragIcon() override;
    void OnDestroy() override;
    void OnOK() override;
    void OnCancel() override;

private:
    friend class COperationScope;
    friend class CTransferScope;

    // ---- The transfer display (downloads and uploads), used by CTransferScope ----

    // Start of a transfer of files: marks an operation as running, sets the
    // counter's colour and value, shows the progress bar, the transfer lamp in
    // place of the idle lamp, disables the operation buttons and shows the busy
    // cursor. showLamps false leaves the lamps and the bar for ShowTransferLamp.
    // A download is a batch that Esc and CLOSE stop.
    void BeginTransfer(ETransfer kind, int files, bool showLamps);
    // Progress bar emptied and hidden, the idle lamp back while a player is
    // connected, then `after`, then the buttons enabled again; a close
    // requested meanwhile is carried out now.
    void EndTransfer(ETransfer kind, EAfterTransfer after);
    // Shows the progress bar and the transfer lamp in place of the idle lamp.
    void ShowTransferLamp(ETransfer kind);
    // "Downloading :  path" or "Uploading :  name" in the status line.
    void ShowTransferStatus(ETransfer kind, const std::string& what);
    // One file done: the counter counts down.
    void CountDownFile();
    // A failed or stopped download: the counter goes to 0.
    void ClearFileCounter();

    // What a batch of downloads did.
    struct SBatch {
        int toSend = 0; // paths that were not empty
        int sent = 0;
        int skipped = 0; // empty paths (playlist rows without a file)
        bool failed = false;
        bool stopped = false;
    };
    // Downloads each path in order; the counter counts; a failure or the user's
    // stop ends the batch. A stop seen only after a file was complete (Esc
    // during its last block, its read-back or the directory write) ends the
    // batch with that file sent. Empty paths are skipped, counted down only when
    // countSkipped (the playlist's rows without a file). With conversion on,
    // files the player cannot play are converted on the way.
    SBatch DownloadFiles(const std::vector<std::string>& paths, bool countSkipped);

    // How one file of a batch ended.
    using ESent = CRioSession::EDownloadEnd;
    // Sends the PC file path under name (null: its own), "Downloading :  shown" in the status line.
    ESent SendFile(const std::string& path, const std::string& shown, const char* name);

    // ---- Conversion to MP3 on the way (MainConvert.cpp) --------------------------------

    // What a batch converts: a flag per path, and the bitrate.
    struct SConversionPlan {
        std::vector<bool> converts;
        int kbps = 0;
    };
    // The "Convert to MP3" submenu of the system menu, checked as stored
    // (nothing in a build without the audio libraries).
    void AddConvertMenu(HMENU systemMenu);
    // A command of that submenu: the choice is stored; false for other commands.
    bool OnConvertCommand(UINT command);
    // With conversion on: identifies every path and, when the batch does not fit
    // at the chosen bitrate, offers the highest at which it does. False (after
    // a message box naming the file and the reason) for a file that cannot be sent.
    bool PlanConversion(const std::vector<std::string>& paths, SConversionPlan& plan);
    // Converts path into a temporary file, sends that under the source's stem
    // with ".mp3", and removes it.
    ESent SendConverted(const std::string& path, int kbps);
    // "Stopped: 3 of 10 files sent." in the status line.
    void ShowStopped(const SBatch& batch);

    // Operation bookkeeping: nested begin/end pairs; the outermost end drops
    // the Esc presses still queued and carries out a close requested meanwhile.
    void BeginOperation();
    void EndOperation();
    // Ends the modal loop now, or at the end of the running operation.
    void RequestClose(INT_PTR result);
    // A key press of Esc meant for this window or one of its controls.
    bool IsEscapeFor(const MSG& msg) const;
    // Takes the Esc presses for this window off the thread's queue (other keys
    // stay, in their order); true when there was one.
    bool TakeQueuedEscapes();

    // Set-up pieces.
    void SetupList();
    void ShowLamp(int id, bool show);

    // Handlers.
    void OnMemorySwitch(bool external);
    void OnSpeedOptions();
    void OnAbout();
    void OnVerifyDownloads();
    void OnCheckMemory();     // MainCheck.cpp
    // "Sync with playlist..." (MainSync.cpp).
    void OnSyncPlaylist();
    void OnDownloadChosenFiles();
    void OnDeleteFiles();
    void OnInitialize();
    // Playlist download and upload to the PC.
    void OnPlaylist();
    void OnUpload();

    // Dragging a row of the list.
    void BeginRowDrag(const NMLISTVIEW& info);
    void MoveRow();
    void EndRowDrag(POINT pt);
    void StopRowDrag();   // the drag picture and the capture go; nothing moves

    void InvalidateCounter();
    void InvalidateBar();
    void ReadMemoryFigures();

    CPortProvider& m_ports;
    CMessageBoxSink m_messages;
    std::unique_ptr<CRioSession> m_session;

    CBitmapButton m_buttons[kBitmapButtonCount];
    CFileListCtrl m_list;
    CBodyBrush m_brush{kBodyColour};
    WBalken m_bar;
    CLed m_counter;

    std::string m_statusText;
    bool m_connected = false;
    bool m_orderChanged = false;
    bool m_externalMemory = false;
    int m_total = 0;
    int m_used = 0;
    int m_free = 0;

    int m_operationDepth = 0;
    bool m_closePending = false;
    INT_PTR m_closeResult = IDCANCEL;
    bool m_batchRunning = false;
    bool m_stopRequested = false;
    int m_convertKbps = 0;          // 0: downloads send every file as it is
    HMENU m_convertMenu = nullptr;

    // Drag state.
    bool m_dragging = false;
    HIMAGELIST m_dragImage = nullptr;
    int m_dragRow = -1;
    int m_dropRow = -1;
    HWND m_dropWindow = nullptr;
    POINT m_lastPointer{0, 0};

    // The bar that OnProgress moves; set before each long operation, never cleared.
    static HWND s_progressTarget;
    // The window whose transfer runs: OnProgress takes its Esc presses and
    // answers its stop (the callback is a plain function).
    static CMainDlg* s_transferWindow;
};

// Marks an operation as running for its lifetime.
class COperationScope {
public:
    explicit COperationScope(CMainDlg& window) : m_window(window) { m_window.BeginOperation(); }
    ~COperationScope() { m_window.EndOperation(); }
    COperationScope(const COperationScope&) = delete;
    COperationScope& operator=(const COperationScope&) = delete;

private:
    CMainDlg& m_window;
};

// The display of a transfer of files for its lifetime (lamps, file counter,
// progress bar, buttons, busy cursor, the operation mark). End shows the result;
// a scope left without it (an exception) still puts the display back and gives
// the buttons and the close back, so that the window stays usable.
class CTransferScope {
public:
    CTransferScope(CMainDlg& window, CMainDlg::ETransfer kind, int files, bool showLamps = true)
        : m_window(window), m_kind(kind)
    {
        m_window.BeginTransfer(kind, files, showLamps);
    }
    ~CTransferScope();
    CTransferScope(const CTransferScope&) = delete;
    CTransferScope& operator=(const CTransferScope&) = delete;

    void End(CMainDlg::EAfterTransfer after);

private:
    CMainDlg& m_window;
    CMainDlg::ETransfer m_kind;
    bool m_ended = false;
};
