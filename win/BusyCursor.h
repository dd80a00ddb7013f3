// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the wait cursor for the lifetime of the object, then restores the previous one.
#pragma once

#include <windows.h>

class CBusyCursor {
public:
    CBusyCursor() : m_old(::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}  // IDC_WAIT
    ~CBusyCursor() { Restore(); }
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
    // Ends the busy look before the object goes out of scope.
    void Restore()
    {
        if (m_active)
            ::SetCursor(m_old);
        m_active = false;
    }

private:
    HCURSOR m_old;
    bool m_active = true;
};
