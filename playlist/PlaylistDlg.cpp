// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/PlaylistDlg.h"

#include "app/Help.h"
#include "app/HelpTopics.h"
#include "app/MessageBoxWin.h"
#include "app/Settings.h"
#include "playlist/PlaylistFile.h"
#include "res/resource.h"
#include "skin/SkinPaint.h"
#include "win/BusyCursor.h"
#include "win/FileDialog.h"
#include "win/Gdi.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

// The bitmap buttons, in the order they are attached.
constexpr int kAttachOrder[] = {
    IDC_PLAYLIST_DOWN, IDC_PLAYLIST_CLOSE, IDC_PLAYLIST_HELP, IDC_PLAYLIST_NEW, IDC_PLAYLIST_OPEN,
    IDC_PLAYLIST_SAVE, IDC_PLAYLIST_SAVEAS, IDC_PLAYLIST_ADD, IDC_PLAYLIST_REMOVE, IDC_PLAYLIST_MOVDOWN,
    IDC_PLAYLIST_MOVUP,
};

constexpr const char kPlaylistFilter[] = "Playlist Files (*.pst)\0*.pst\0All Files(*.*)\0*.*\0";
constexpr const char kMp3Filter[] = "MP3 Files (*.mp3)\0*.mp3\0All Files(*.*)\0*.*\0";
constexpr const char* kSaveChanged = "Save changed playlist?";
constexpr const char* kSaveChangedOnClose = "Hey user, should I save the changed playlist?";

// A single path fits MAX_PATH; a multiple choice of ADD gets room for any
// number of files a user would pick at once.
constexpr DWORD kSinglePathBuffer = MAX_PATH;
constexpr DWORD kChoiceBuffer = 64 * 1024;

}  // namespace

CPlaylistDlg::CPlaylistDlg(int32_t freeMemoryKB, bool memoryKnown, HWND parent)
    : CDialog(IDD_PLAYLIST, parent), m_memoryKnown(memoryKnown), m_freeMemory(memoryKnown ? freeMemoryKB : 0)
{
}

CPlaylistDlg::~CPlaylistDlg()
{
    // The next playlist window gets its shape on its first paint.
    SetRegionPending(SkinnedWindow::Playlist);
}

bool CPlaylistDlg::OnInitDialog()
{
    static_assert(sizeof kAttachOrder / sizeof kAttachOrder[0] == kButtonCount, "one object per button");
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i].AttachBitmapButton(kAttachOrder[i], m_hWnd);
    m_list.SubclassDlgItem(IDC_PLAYLIST_LIST, m_hWnd);
    m_list.SetupColumns(2);
    UpdateButtons(false);
    UpdateStatus();
    return true;
}

// ---- State shown -------------------------------------------------------------

void CPlaylistDlg::UpdateButtons(bool active)
{
    const int rows = m_list.GetRowCount();
    const bool anySelected = rows > 0 && m_list.GetSelectedCount() > 0;
    const bool canEdit = active && anySelected;
    Item(IDC_PLAYLIST_SAVEAS).EnableWindow(active);
    Item(IDC_PLAYLIST_ADD).EnableWindow(active);
    Item(IDC_PLAYLIST_SAVE).EnableWindow(active && m_changed);
    Item(IDC_PLAYLIST_DOWN).EnableWindow(active && rows > 0);
    Item(IDC_PLAYLIST_REMOVE).EnableWindow(canEdit);
    Item(IDC_PLAYLIST_MOVUP).EnableWindow(canEdit && !m_list.IsSelected(0));
    Item(IDC_PLAYLIST_MOVDOWN).EnableWindow(canEdit && !m_list.IsSelected(rows - 1));
    for (int id : {IDC_PLAYLIST_NEW, IDC_PLAYLIST_OPEN, IDC_PLAYLIST_HELP, IDC_PLAYLIST_CLOSE})
        Item(id).EnableWindow(true);
}

void CPlaylistDlg::SumSizes()
{
    // Summed in 64 bits: a few large files overflow a 32-bit byte count.
    int64_t sum = 0;
    for (int i = 0; i < m_list.GetRowCount(); ++i) {
        int32_t size = 0;
        if (m_list.GetEntrySize(i, size))
            sum += size;
    }
    m_playlistSum = sum / 1000;
}

void CPlaylistDlg::UpdateStatus()
{
    const std::string title = m_playlistPath + (m_changed ? " *" : "  ");
    std::string freeText = "?";
    if (m_memoryKnown) {
        SumSizes();
        char text[64];
        std::snprintf(text, sizeof text, "%" PRId64 " KB", GetEstimate());
        freeText = text;
    }
    SetDlgItemText(IDC_PLAYLIST_TITLE, title.c_str());
    SetDlgItemText(IDC_PLAYLIST_FREE_LABEL, "Free Memory");
    SetDlgItemText(IDC_PLAYLIST_FREE, freeText.c_str());
    // The colour of the figure and its label follows the sign of the estimate.
    Item(IDC_PLAYLIST_FREE).Invalidate();
    Item(IDC_PLAYLIST_FREE_LABEL).Invalidate();
}

HBRUSH CPlaylistDlg::OnCtlColor(HDC dc, HWND control, UINT type)
{
    if (type == WM_CTLCOLORSTATIC) {
        switch (::GetDlgCtrlID(control)) {
        case IDC_PLAYLIST_TITLE:
            return m_brush.Answer(dc, kBodyTextGreen);
        case IDC_PLAYLIST_FREE:
        case IDC_PLAYLIST_FREE_LABEL:
            return m_brush.Answer(dc, m_memoryKnown && GetEstimate() < 0 ? kBodyTextRed : kBodyTextGreen);
        default:
            break;
        }
    }
    return CDialog::OnCtlColor(dc, control, type);
}

// ---- Rows -------------------------------------------------------------------

bool CPlaylistDlg::GetPlaylistLine(int i, std::string& text) const
{
    if (i < 0 || i >= m_list.GetRowCount())
        return false;
    int32_t size = 0;
    std::string name;
    if (m_list.GetEntrySize(i, size) && size != 0 && m_list.GetEntryName(i, name))
        text = name;
    else
        text.clear();
    return true;
}

void CPlaylistDlg::AddFileRow(const std::string& path)
{
    const int n = m_list.GetRowCount();
    m_list.InsertEntry(n, MakePcFileRow(n + 1, path));
}

bool CPlaylistDlg::ReadPlaylist(const std::string& path)
{
    m_list.ClearAll();
    if (path.empty())
        return false;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        ShowFileError(PlaylistReadErrorText(path));
        return false;
    }
    CBusyCursor busy;   // each row asks the disk for its file's size
    for (const std::string& text : ParsePlaylist(bytes))
        AddFileRow(text);
    return true;
}

bool CPlaylistDlg::WritePlaylist()
{
    if (m_playlistPath.empty()) {
        OnSaveAs();
        return !m_playlistPath.empty() && !m_changed;
    }
    std::vector<std::string> texts;
    std::string text;
    for (int i = 0; GetPlaylistLine(i, text); ++i)
        texts.push_back(text);
    switch (WritePlaylistFile(m_playlistPath, FormatPlaylist(texts))) {
    case EPlaylistWrite::OpenFailed:
        ShowFileError(PlaylistOpenErrorText(m_playlistPath));
        return false;
    case EPlaylistWrite::WriteFailed:
        ShowFileError(PlaylistWriteErrorText(m_playlistPath));
        return false;
    case EPlaylistWrite::Ok:
        break;
    }
    m_changed = false;
    UpdateButtons(true);
    UpdateStatus();
    return true;
}

void CPlaylistDlg::ShowFileError(const std::string& text)
{
    AppMessageBox(m_hWnd, text.c_str(), MB_OK | MB_ICONERROR);
}

void CPlaylistDlg::AskToSave(const char* question)
{
    if (!m_changed)
        return;
    if (::MessageBoxA(m_hWnd, question, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        WritePlaylist();
}

SFileDialogResult CPlaylistDlg::ChooseFiles(bool save, const char* title, const char* filter, const char* extension,
                                           SettingId folderSetting, DWORD flags, DWORD bufferSize)
{
    // The dialog belongs to the main window, which is disabled behind this
    // one. This window is disabled too while the dialog is open, so that none
    // of its commands runs behind the dialog; and the main window stays
    // disabled afterwards even where the ending dialog enables its owner.
    const HWND owner = m_fileDialogOwner != nullptr ? m_fileDialogOwner : m_hWnd;
    const bool otherOwner = owner != m_hWnd;
    const bool ownerWasEnabled = ::IsWindowEnabled(owner) != FALSE;
    if (otherOwner)
        ::EnableWindow(m_hWnd, FALSE);
    SFileDialogResult choice = RunFileDialog(owner, save, title, filter, extension,
                                             ReadStringSetting(AppSettings(), folderSetting), flags, bufferSize);
    if (otherOwner) {
        if (!ownerWasEnabled)
            ::EnableWindow(owner, FALSE);
        ::EnableWindow(m_hWnd, TRUE);
        ::SetActiveWindow(m_hWnd);
    }
    // A choice that did not fit is told, not taken as a cancel.
    if (choice.tooLong)
        AppMessageBox(m_hWnd, (flags & OFN_ALLOWMULTISELECT) ? kChoiceTooLong : kPathTooLong,
                      MB_OK | MB_ICONEXCLAMATION);
    return choice;
}

// ---- Commands ---------------------------------------------------------------

bool CPlaylistDlg::OnCommand(int id, int code, HWND control)
{
    if (code != BN_CLICKED)
        return CDialog::OnCommand(id, code, control);
    switch (id) {
    case IDC_PLAYLIST_NEW:
        OnNew();
        return true;
    case IDC_PLAYLIST_OPEN:
        OnOpen();
        return true;
    case IDC_PLAYLIST_SAVE:
        WritePlaylist();
        return true;
    case IDC_PLAYLIST_SAVEAS:
        OnSaveAs();
        return true;
    case IDC_PLAYLIST_ADD:
        OnAdd();
        return true;
    case IDC_PLAYLIST_REMOVE:
        OnRemove();
        return true;
    case IDC_PLAYLIST_MOVUP:
        OnMove(-1);
        return true;
    case IDC_PLAYLIST_MOVDOWN:
        OnMove(+1);
        return true;
    case IDC_PLAYLIST_HELP:
        ShowHelpTopic(m_hWnd, kHelpPlaylist);
        return true;
    default:
        return CDialog::OnCommand(id, code, control);   // DOWN (IDOK), CLOSE (IDCANCEL)
    }
}

bool CPlaylistDlg::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_PLAYLIST_LIST && header->code == NM_CLICK) {
        UpdateButtons(true);
        result = 0;
        return true;
    }
    return CDialog::OnNotify(id, header, result);
}

void CPlaylistDlg::OnNew()
{
    AskToSave(kSaveChanged);
    m_playlistPath.clear();
    ReadPlaylist(m_playlistPath);
    m_changed = false;
    UpdateButtons(true);
    UpdateStatus();
}

void CPlaylistDlg::OnOpen()
{
    AskToSave(kSaveChanged);
    const SFileDialogResult choice =
        ChooseFiles(false, "Open playlist", kPlaylistFilter, "pst", SettingLastPLPath, 0, kSinglePathBuffer);
    if (choice.tooLong)
        return; // told; the list stays as it is
    m_playlistPath.clear();
    if (choice.chosen && !choice.paths.empty()) {
        WriteStringSetting(AppSettings(), SettingLastPLPath, choice.folder.c_str());
        m_playlistPath = choice.paths.front();
    }
    ReadPlaylist(m_playlistPath);
    m_changed = false;
    UpdateButtons(true);
    UpdateStatus();
}

void CPlaylistDlg::OnSaveAs()
{
    const SFileDialogResult choice =
        ChooseFiles(true, "Save playlist", kPlaylistFilter, "pst", SettingLastPLPath, OFN_OVERWRITEPROMPT,
                    kSinglePathBuffer);
    if (!choice.chosen || choice.paths.empty())
        return;
    WriteStringSetting(AppSettings(), SettingLastPLPath, choice.folder.c_str());
    m_playlistPath = choice.paths.front();
    WritePlaylist();
}

void CPlaylistDlg::OnAdd()
{
    const SFileDialogResult choice =
        ChooseFiles(false, "Add file to playlist", kMp3Filter, "mp3", SettingLastFilePath, OFN_ALLOWMULTISELECT,
                    kChoiceBuffer);
    if (!choice.chosen)
        return;
    WriteStringSetting(AppSettings(), SettingLastFilePath, choice.folder.c_str());
    for (const std::string& path : choice.paths) {
        AddFileRow(path);
        m_changed = true;
        UpdateButtons(true);
        UpdateStatus();
    }
}

void CPlaylistDlg::OnRemove()
{
    for (int i = m_list.GetRowCount() - 1; i >= 0; --i) {
        if (m_list.IsSelected(i) && m_list.DeleteRow(i))
            m_changed = true;
    }
    UpdateStatus();
    UpdateButtons(true);
}

void CPlaylistDlg::OnMove(int direction)
{
    // The first selected row, from the top, that can move that way; one row per press.
    const int rows = m_list.GetRowCount();
    int from = -1;
    for (int i = 0; i < rows; ++i) {
        const int to = i + direction;
        if (to >= 0 && to < rows && m_list.IsSelected(i)) {
            from = i;
            break;
        }
    }
    if (from >= 0) {
        const int to = from + direction;
        m_list.SwapRows(from, to);   // rebuilds the rows: no selection is left
        m_list.SetItemState(to, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(to);
        m_changed = true;
        UpdateStatus();
    }
    UpdateButtons(true);
}

void CPlaylistDlg::OnOK()
{
    // DOWN: the list is sent whatever the answer.
    AskToSave(kSaveChanged);
    EndDialog(IDOK);
}

void CPlaylistDlg::OnCancel()
{
    AskToSave(kSaveChangedOnClose);
    EndDialog(IDCANCEL);
}

// ---- Dropped files, painting, help --------------------------------------------

bool CPlaylistDlg::OnDropFiles(HDROP drop)
{
    ::SetForegroundWindow(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    {
        CBusyCursor busy;
        const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            // Asked for its length first: a long path is taken whole.
            const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
            std::vector<char> path(static_cast<size_t>(length) + 1, '\0');
            ::DragQueryFileA(drop, i, path.data(), length + 1);
            AddFileRow(path.data());
        }
    }
    ::DragFinish(drop);
    m_changed = true;
    UpdateButtons(true);
    UpdateStatus();
    return true;
}

bool CPlaylistDlg::OnPaint()
{
    CPaintDC dc(m_hWnd);
    PaintSkin(m_hWnd, dc, SkinnedWindow::Playlist);
    return true;
}

bool CPlaylistDlg::OnLButtonDown(UINT /*keys*/, POINT pt)
{
    StartBodyDrag(m_hWnd, pt);
    return false;
}

bool CPlaylistDlg::OnHelp(HELPINFO* /*info*/)
{
    ShowHelpTopic(m_hWnd, kHelpPlaylist);
    return true;
}
