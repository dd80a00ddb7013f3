// SPDX-License-Identifier: GPL-3.0-or-later
// CBitmapButton: an owner-drawn push button that shows one of its bitmaps (up,
// down, focus, disabled) instead of a text and a frame. The bitmaps are named
// after the button's caption plus U, D, F or X. The parent dialog reflects the
// owner-draw request to the button.
#pragma once

#include "win/Gdi.h"
#include "win/Subclass.h"

class CBitmapButton : public CSubclassedWindow {
public:
    static constexpr const char* kClassName = "CBitmapButton";

    enum Face { FaceUp, FaceDown, FaceFocus, FaceDisabled, FaceCount };

    CBitmapButton() = default;

    // Subclasses dialog control id of parent, loads the faces named after its
    // caption and fits the control to the up face. False when the control cannot
    // be subclassed, has no caption, or there is no up bitmap.
    bool AttachBitmapButton(int id, HWND parent);

    // Releases the current faces and loads the named ones; null names are
    // absent. False when the up bitmap fails (the others are then not tried),
    // else true only if every named bitmap loaded.
    bool LoadButtonFaces(const char* up, const char* down = nullptr, const char* focus = nullptr,
                         const char* disabled = nullptr);

    // Resizes the control to its up bitmap, keeping position, z-order and
    // activation, without redrawing.
    void FitToUpBitmap();

    // The face drawn for owner-draw state bits: pushed over focus over disabled
    // over up, each only when its slot holds a bitmap.
    Face ChooseFace(UINT itemState) const;
    HBITMAP FaceBitmap(Face face) const { return m_faces[face].Get(); }

    // Copies the chosen face, unscaled, to the item rectangle.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CBitmap m_faces[FaceCount];
};
