// The application's help: the file beside the executable, named like it with the
// extension .HLP, opened at a context number.
#pragma once

#include <windows.h>

#include <string>

// "C:\Apps\Quavel.exe" -> "C:\Apps\Quavel.HLP".
std::string HelpFileFor(const std::string& executablePath);

// Opens the help file at the topic with this context number.
bool ShowHelpTopic(HWND owner, unsigned long context);
// Tells the help engine that the window no longer needs it.
void CloseHelp(HWND owner);

// The help engine call (WinHelp by default). Tests install a recorder: with no
// help file present the real engine asks the user a question and waits.
using HelpEngine = bool (*)(HWND owner, const char* file, UINT command, ULONG_PTR data);
HelpEngine SetHelpEngine(HelpEngine engine);  // returns the previous one
