// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBoxWin.h"

#include "app/Application.h"

CMessageBoxSink::CMessageBoxSink(HWND owner) : m_owner(owner), m_caption(ApplicationName()) {}

void CMessageBoxSink::ShowError(const char* text)
{
    HWND owner = m_owner != nullptr && ::IsWindow(m_owner) ? m_owner : ::GetActiveWindow();
    ::MessageBoxA(owner, text != nullptr ? text : "", m_caption.c_str(), MB_OK | MB_ICONSTOP);
}

int AppMessageBox(HWND owner, const char* text, UINT type)
{
    return ::MessageBoxA(owner, text != nullptr ? text : "", ApplicationName().c_str(), type);
}
