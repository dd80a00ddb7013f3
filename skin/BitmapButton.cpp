// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/BitmapButton.h"

#include "win/Dialog.h"

#include <string>

bool CBitmapButton::AttachBitmapButton(int id, HWND parent) {
    if (!SubclassDlgItem(id, parent))
        return false;
    const std::string caption = GetText();
    if (caption.empty())
        return false;
    LoadButtonFaces((caption + "U").c_str(), (caption + "D").c_str(), (caption + "F").c_str(),
                    (caption + "X").c_str());
    if (!m_faces[FaceUp])
        return false;   // attached, but nothing to draw
    FitToUpBitmap();
    return true;
}

bool CBitmapButton::LoadButtonFaces(const char* up, const char* down, const char* focus,
                                    const char* disabled) {
    for (CBitmap& face : m_faces)
        face.Reset();
    HINSTANCE instance = CDialog::ResourceInstance();
    if (up == nullptr)
        return false;
    m_faces[FaceUp].Reset(::LoadBitmapA(instance, up));
    if (!m_faces[FaceUp])
        return false;
    bool all = true;
    const char* names[FaceCount] = {up, down, focus, disabled};
    for (int f = FaceDown; f < FaceCount; ++f) {
        if (names[f] == nullptr)
            continue;
        m_faces[f].Reset(::LoadBitmapA(instance, names[f]));
        all = all && m_faces[f];
    }
    return all;
}

void CBitmapButton::FitToUpBitmap() {
    BITMAP info{};
    if (!m_faces[FaceUp] || ::GetObjectA(m_faces[FaceUp].Get(), sizeof info, &info) == 0)
        return;
    SetWindowPos(nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

CBitmapButton::Face CBitmapButton::ChooseFace(UINT itemState) const {
    if ((itemState & ODS_SELECTED) && m_faces[FaceDown])
        return FaceDown;
    if ((itemState & ODS_FOCUS) && m_faces[FaceFocus])
        return FaceFocus;
    if ((itemState & ODS_DISABLED) && m_faces[FaceDisabled])
        return FaceDisabled;
    return FaceUp;
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) const {
    HBITMAP face = FaceBitmap(ChooseFace(item.itemState));
    if (face == nullptr)
        return;
    CMemoryDC memory(item.hDC);
    CSelectObject select(memory, face);
    const RECT& rc = item.rcItem;
    ::BitBlt(item.hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memory, 0, 0, SRCCOPY);
}

LRESULT CBitmapButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_REFLECT_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefaultProc(msg, wParam, lParam);
}
