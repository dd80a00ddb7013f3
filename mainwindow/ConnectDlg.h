// SPDX-License-Identifier: GPL-3.0-or-later
// The small window shown while the program looks for the player (template 130).
// Its picture is a static bitmap of the template; the window also reads
// "connect.bmp" from the current directory and realises that image's palette
// whenever it paints, so that the picture's colours hold on palette displays.
#pragma once

#include "skin/DIB.h"
#include "skin/DIBPalette.h"
#include "win/Dialog.h"

#include <memory>

class CConnectDlg : public CDialog {
public:
    static constexpr const char* kPictureFile = "connect.bmp";

    // Reads the picture file and builds its palette, before the window exists.
    // A missing file is silent; a damaged one, or one without colours, is
    // reported in a message box.
    explicit CConnectDlg(HWND parent = nullptr);

    const CDIB& Picture() const { return m_dib; }
    // The palette object: null when none was made, empty when creating it failed.
    const CDIBPalette* Palette() const { return m_palette.get(); }

protected:
    bool OnPaint() override;
    bool OnHelp(HELPINFO* info) override;

private:
    void LoadPicture(const char* path);

    CDIB m_dib;
    std::unique_ptr<CDIBPalette> m_palette;
};
