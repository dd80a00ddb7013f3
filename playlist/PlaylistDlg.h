// SPDX-License-Identifier: GPL-3.0-or-later
// CPlaylistDlg: the playlist window (template 134). The user puts together an
// ordered list of PC files, opens and saves it as a playlist file, and sees how
// much of the player's memory would be left after sending it. DOWN closes the
// window with IDOK and the caller sends the rows (GetPlaylistLine); CLOSE and
// Esc close it with IDCANCEL. A skinned window that accepts dropped files.
#pragma once

#include "app/Settings.h"
#include "playlist/FileListCtrl.h"
#include "skin/BitmapButton.h"
#include "skin/SkinColours.h"
#include "win/Dialog.h"
#include "win/FileDialog.h"

#include <cstdint>
#include <string>
#include <vector>

class CPlaylistDlg : public CDialog {
public:
    // freeMemoryKB: the player's free memory as last read; memoryKnown: a player
    // is connected (otherwise the estimate shows "?").
    CPlaylistDlg(int32_t freeMemoryKB, bool memoryKnown, HWND parent = nullptr);
    ~CPlaylistDlg() override;

    // The window that owns the file dialogs (the main window); the playlist
    // window itself when none is given.
    void SetFileDialogOwner(HWND owner) { m_fileDialogOwner = owner; }

    // False when i is past the last row; else the path of row i, or an empty
    // text for a row of size 0 (missing or empty file), which is neither saved
    // nor sent. Works after the window has closed.
    bool GetPlaylistLine(int i, std::string& text) const;
    int GetEntryCount() const { return m_list.GetRowCount(); }

    // Replaces the rows with those of a playlist file; an empty path only
    // empties the list. False (after a message, unless the path is empty) when
    // the file cannot be read.
    bool ReadPlaylist(const std::string& path);
    // Stores the rows in the current playlist file, or runs SAVEAS when there is
    // none. The old file is replaced only by a complete new one; on failure a
    // message says so and the changed mark stays. True when the file was written.
    bool WritePlaylist();

    const std::string& GetPlaylistPath() const { return m_playlistPath; }
    bool IsChanged() const { return m_changed; }
    // Total size of the rows in thousands of bytes (as last computed).
    int64_t GetPlaylistSum() const { return m_playlistSum; }
    // Free memory less the playlist sum, in KB; negative when the list does not fit.
    int64_t GetEstimate() const { return static_cast<int64_t>(m_freeMemory) - m_playlistSum; }

    // The captions of the two save questions.
    static constexpr const char* kQuestionCaption = "Quavel - Playlist";

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    bool OnPaint() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnLButtonDown(UINT keys, POINT pt) override;
    bool OnHelp(HELPINFO* info) override;
    bool OnDropFiles(HDROP drop) override;
    void OnOK() override;       // DOWN (and Enter)
    void OnCancel() override;   // CLOSE (and Esc)

private:
    // Enabling of the buttons by the window's state (see the .cpp).
    void UpdateButtons(bool active);
    // Title with the changed mark, the estimate (or "?") and its colour.
    void UpdateStatus();
    void SumSizes();

    void OnNew();
    void OnOpen();
    void OnSaveAs();
    void OnAdd();
    void OnRemove();
    void OnMove(int direction);

    // Appends a row for a PC file.
    void AddFileRow(const std::string& path);
    // "Save changed playlist?" style question when the list is changed; Yes saves.
    void AskToSave(const char* question);
    void ShowFileError(const std::string& text);
    // Runs the open (or save) dialog with its initial folder from folderSetting.
    SFileDialogResult ChooseFiles(bool save, const char* title, const char* filter, const char* extension,
                                  SettingId folderSetting, DWORD flags, DWORD bufferSize);

    static constexpr int kButtonCount = 11;

    CFileListCtrl m_list;
    CBitmapButton m_buttons[kButtonCount];
    CBodyBrush m_brush{kBodyColour};
    HWND m_fileDialogOwner = nullptr;

    std::string m_playlistPath;
    bool m_changed = false;
    bool m_memoryKnown;
    int32_t m_freeMemory;
    int64_t m_playlistSum = 0;
};
