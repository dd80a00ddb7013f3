// SPDX-License-Identifier: GPL-3.0-or-later
// Where the device session's error messages go. Production shows a message box
// with the stop icon, an OK button and the application's name as caption; tests
// record the texts.
#pragma once

class CMessageSink {
public:
    virtual ~CMessageSink() = default;
    // text: the heading (ending in a blank line) and, usually, the device's error text.
    virtual void ShowError(const char* text) = 0;
};
