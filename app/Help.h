// SPDX-License-Identifier: GPL-3.0-or-later
// The application's help: the file beside the executable, named like it with the
// extension .HLP, opened at a context number. Current systems have no engine
// for such files and none can be built here, so when the file is missing the
// program's own user guide (an HTML page beside the executable, named like it
// with the extension .html) opens at the topic's anchor instead.
#pragma once

#include <windows.h>

#include <string>

// "C:\Apps\Quavel.exe" -> "C:\Apps\Quavel.HLP".
std::string HelpFileFor(const std::string& executablePath);
// "C:\Apps\Quavel.exe" (or "C:\Apps\Quavel.HLP") -> "C:\Apps\Quavel.html".
std::string GuideFileFor(const std::string& path);
// The guide's address at a topic: "file:///C:/Apps/Quavel.html#0x20066".
std::string GuideTarget(const std::string& guidePath, unsigned long context);
// The anchor of a topic in the guide: "0x20066".
std::string GuideAnchor(unsigned long context);

// Opens the help at the topic with this context number.
bool ShowHelpTopic(HWND owner, unsigned long context);
// Tells the help engine that the window no longer needs it.
void CloseHelp(HWND owner);

// The help request (OpenHelp by default). Tests of the windows install a
// recorder here.
using HelpEngine = bool (*)(HWND owner, const char* file, UINT command, ULONG_PTR data);
HelpEngine SetHelpEngine(HelpEngine engine);  // returns the previous one

// The default request: the help engine when the help file exists (and for
// every command other than opening a topic); else the user guide at the
// topic's anchor, in the program registered for web pages, or through the
// shell when none is; when that fails too, one message naming both.
bool OpenHelp(HWND owner, const char* file, UINT command, ULONG_PTR data);

// The help engine itself (WinHelp by default). Under some systems the real
// engine asks the user a question and waits when the file is missing, so tests
// install a recorder.
HelpEngine SetWinHelpCall(HelpEngine call);  // returns the previous one
