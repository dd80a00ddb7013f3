// SPDX-License-Identifier: GPL-3.0-or-later
// The session's error messages in the platform's message box: stop icon, OK
// button, the application's name as caption, owned by the main window so that
// the window cannot be used while the message is up.
#pragma once

#include "device/MessageSink.h"

#include <windows.h>

#include <string>

class CMessageBoxSink : public CMessageSink {
public:
    explicit CMessageBoxSink(HWND owner = nullptr);
    void SetOwner(HWND owner) { m_owner = owner; }
    void ShowError(const char* text) override;

private:
    HWND m_owner;
    std::string m_caption;
};

// A message box captioned with the application's name.
int AppMessageBox(HWND owner, const char* text, UINT type);
