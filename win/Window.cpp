// SPDX-License-Identifier: GPL-3.0-or-later
#include "win/Window.h"

#include <vector>

RECT CWindow::ChildRect(HWND child) const
{
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::string CWindow::GetText() const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int got = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

std::string CWindow::GetClassName() const
{
    char name[256] = "";
    int got = ::GetClassNameA(m_hWnd, name, sizeof name);
    return std::string(name, got > 0 ? static_cast<size_t>(got) : 0);
}
