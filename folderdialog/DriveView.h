// SPDX-License-Identifier: GPL-3.0-or-later
// CDriveView: a tree of the PC's drives and folders, filled lazily. A folder's
// subfolders are read from the disk only when the user opens it and are
// thrown away again when the user closes it; until then a placeholder child
// (an item with an empty text) gives the folder its expand button.
#pragma once

#include "win/TreeView.h"

#include <commctrl.h>

#include <string>

class CDriveView : public CTreeView {
public:
    // Pictures of the image list (bitmap 144, 16 pixels wide, pink transparent).
    enum EImage { kImageHardDisk = 0, kImageFloppy = 1, kImageCompactDisc = 2, kImageFolder = 3, kImageOpenFolder = 4 };
    static constexpr int kImageWidth = 16;
    static constexpr COLORREF kImageTransparent = RGB(255, 0, 255);

    CDriveView() = default;
    ~CDriveView() override;

    // Fills the root level with the drives the tree offers (fixed, removable,
    // network and RAM drives); selects and opens the fixed drive whose root is
    // LastDriveUpload. Returns the number of drives added.
    int AddDrives();
    // The full path of an item: its ancestors' texts joined by single backslashes.
    std::string GetItemPath(HTREEITEM item) const;
    // Gives item a placeholder child when the folder at path has a subfolder.
    bool AddPlaceholder(HTREEITEM item, const std::string& path);
    // Appends a child for each subfolder of path, each with a placeholder when
    // it has subfolders itself; returns the number added. A drive that cannot
    // be read gets its placeholder back, so that it can be tried again.
    int AddSubfolders(HTREEITEM item, const std::string& path);
    // Called with the full path of a newly selected item; nothing here.
    virtual void OnDriveSelected(const std::string& /*path*/) {}

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // True refuses the opening.
    bool OnItemExpanding(HTREEITEM item, UINT action);
    void OnItemExpanded(HTREEITEM item, UINT action);
    HTREEITEM InsertPlaceholder(HTREEITEM parent);
    void DeleteChildren(HTREEITEM item);
    bool AttachImages();

    HIMAGELIST m_images = nullptr;
};
