// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderdialog/DriveView.h"

#include "app/Settings.h"
#include "res/resource.h"
#include "win/Dialog.h"

#include <cstring>

namespace {

// The action part of a tree's expand code (TVE_EXPANDPARTIAL may ride along).
constexpr UINT kExpandActionMask = 0x0003;

std::string WithBackslash(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

bool IsSubfolder(const WIN32_FIND_DATAA& found)
{
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && std::strcmp(found.cFileName, ".") != 0 &&
           std::strcmp(found.cFileName, "..") != 0;
}

// Enumerates "path\*.*"; closes the search when it ends.
class CFolderSearch {
public:
    explicit CFolderSearch(const std::string& path)
        : m_handle(::FindFirstFileA((WithBackslash(path) + "*.*").c_str(), &m_found)) {}
    ~CFolderSearch() { if (m_handle != INVALID_HANDLE_VALUE) ::FindClose(m_handle); }
    CFolderSearch(const CFolderSearch&) = delete;
    CFolderSearch& operator=(const CFolderSearch&) = delete;

    bool Started() const { return m_handle != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAA& Found() const { return m_found; }
    bool Next() { return ::FindNextFileA(m_handle, &m_found) != FALSE; }

private:
    WIN32_FIND_DATAA m_found{};
    HANDLE m_handle;
};

}  // namespace

CDriveView::~CDriveView()
{
    // The tree does not destroy its normal image list; the tree is gone by now.
    if (m_images != nullptr)
        ImageList_Destroy(m_images);
}

bool CDriveView::AttachImages()
{
    if (m_images == nullptr) {
        HBITMAP strip = ::LoadBitmapA(CDialog::ResourceInstance(), MAKEINTRESOURCEA(IDB_DRIVE_IMAGES));
        if (strip == nullptr)
            return false;
        BITMAP info{};
        ::GetObjectA(strip, sizeof info, &info);
        m_images = ImageList_Create(kImageWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, 5, 1);
        if (m_images != nullptr)
            ImageList_AddMasked(m_images, strip, kImageTransparent);
        ::DeleteObject(strip);
    }
    if (m_images == nullptr)
        return false;
    SetImageList(m_images, TVSIL_NORMAL);
    return true;
}

int CDriveView::AddDrives()
{
    AttachImages();
    const std::string lastDrive = ReadStringSetting(AppSettings(), SettingLastDriveUpload);
    const DWORD drives = ::GetLogicalDrives();
    int added = 0;
    for (int bit = 0; bit < 26; ++bit) {
        if ((drives & (1u << bit)) == 0)
            continue;
        char root[] = "?:\\";
        root[0] = static_cast<char>('A' + bit);
        switch (::GetDriveTypeA(root)) {
        case DRIVE_REMOVABLE: {
            // Not read: it may hold no medium. It can always be tried.
            HTREEITEM item = InsertItem(TVI_ROOT, TVI_LAST, root, kImageFloppy, kImageFloppy);
            InsertPlaceholder(item);
            ++added;
            break;
        }
        case DRIVE_FIXED: {
            HTREEITEM item = InsertItem(TVI_ROOT, TVI_LAST, root, kImageHardDisk, kImageHardDisk);
            AddPlaceholder(item, root);
            ++added;
            if (lastDrive == root) {
                SelectItem(item);
                Expand(item, TVE_EXPAND);
            }
            break;
        }
        case DRIVE_REMOTE:
        case DRIVE_RAMDISK: {
            HTREEITEM item = InsertItem(TVI_ROOT, TVI_LAST, root, kImageHardDisk, kImageHardDisk);
            AddPlaceholder(item, root);
            ++added;
            break;
        }
        default:
            break;   // CD-ROM, unknown, no root directory: not offered
        }
    }
    return added;
}

std::string CDriveView::GetItemPath(HTREEITEM item) const
{
    if (item == nullptr)
        return std::string();
    std::string path = GetItemText(item);
    for (HTREEITEM up = GetParentItem(item); up != nullptr; up = GetParentItem(up))
        path = WithBackslash(GetItemText(up)) + path;
    return path;
}

HTREEITEM CDriveView::InsertPlaceholder(HTREEITEM parent)
{
    return InsertItem(parent, TVI_LAST, "", kImageFolder, kImageFolder);
}

bool CDriveView::AddPlaceholder(HTREEITEM item, const std::string& path)
{
    CFolderSearch search(path);
    if (!search.Started())
        return false;
    do {
        if (IsSubfolder(search.Found())) {
            InsertPlaceholder(item);
            return true;
        }
    } while (search.Next());
    return false;
}

int CDriveView::AddSubfolders(HTREEITEM item, const std::string& path)
{
    CFolderSearch search(path);
    if (!search.Started()) {
        if (GetParentItem(item) == nullptr)
            InsertPlaceholder(item);
        return 0;
    }
    int added = 0;
    do {
        const WIN32_FIND_DATAA& found = search.Found();
        if (!IsSubfolder(found))
            continue;
        HTREEITEM child = InsertItem(item, TVI_LAST, found.cFileName, kImageFolder, kImageOpenFolder);
        AddPlaceholder(child, WithBackslash(path) + found.cFileName);
        ++added;
    } while (search.Next());
    return added;
}

void CDriveView::DeleteChildren(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child != nullptr; child = GetChildItem(item))
        DeleteItem(child);
}

bool CDriveView::OnItemExpanding(HTREEITEM item, UINT action)
{
    const std::string path = GetItemPath(item);
    if ((action & kExpandActionMask) == TVE_EXPAND) {
        if (HTREEITEM placeholder = GetChildItem(item))
            DeleteItem(placeholder);
        return AddSubfolders(item, path) == 0;
    }
    if ((action & kExpandActionMask) == TVE_COLLAPSE) {
        DeleteChildren(item);
        if (GetParentItem(item) != nullptr)
            AddPlaceholder(item, path);
        else
            InsertPlaceholder(item);
    }
    return false;
}

void CDriveView::OnItemExpanded(HTREEITEM item, UINT action)
{
    if ((action & kExpandActionMask) != TVE_COLLAPSE)
        return;
    // The tree asks again only for items never opened: a closed item must be
    // read again when it is opened next.
    TVITEMA tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = item;
    tv.stateMask = TVIS_EXPANDEDONCE;
    tv.state = 0;
    SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

LRESULT CDriveView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_REFLECT_NOTIFY)
        return CTreeView::WindowProc(msg, wParam, lParam);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    // Only the item handle and the action are used: the A and W forms agree there.
    const NMTREEVIEWA* info = reinterpret_cast<const NMTREEVIEWA*>(lParam);
    switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
        return OnItemExpanding(info->itemNew.hItem, info->action) ? TRUE : FALSE;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        OnItemExpanded(info->itemNew.hItem, info->action);
        return 0;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        OnDriveSelected(GetItemPath(info->itemNew.hItem));
        return 0;
    default:
        return 0;
    }
}
