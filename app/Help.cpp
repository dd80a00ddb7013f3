// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Help.h"

#include "app/Application.h"
#include "app/MessageBoxWin.h"
#include "skin/HyperLink.h"

#include <shellapi.h>

#include <cstdio>

namespace {
bool CallWinHelp(HWND owner, const char* file, UINT command, ULONG_PTR data)
{
    return ::WinHelpA(owner, file, command, data) != FALSE;
}

HelpEngine g_engine = OpenHelp;
HelpEngine g_winHelp = CallWinHelp;

std::string StemOf(const std::string& path)
{
    size_t slash = path.find_last_of("\\/:");
    size_t dot = path.find_last_of('.');
    std::string stem = path;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        stem.erase(dot);
    return stem;
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Characters that may stand as they are in the path of a file address.
bool IsPlainUrlCharacter(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return c == '-' || c == '_' || c == '.' || c == '~' || c == '/' || c == ':' || c == '!' || c == '$' ||
           c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' || c == '+' || c == ',' || c == ';' ||
           c == '=' || c == '@';
}
}  // namespace

std::string HelpFileFor(const std::string& executablePath)
{
    return StemOf(executablePath) + ".HLP";
}

std::string GuideFileFor(const std::string& path)
{
    return StemOf(path) + ".html";
}

std::string GuideAnchor(unsigned long context)
{
    char anchor[16];
    std::snprintf(anchor, sizeof anchor, "0x%lX", context);
    return anchor;
}

std::string GuideTarget(const std::string& guidePath, unsigned long context)
{
    // A file address, so that the anchor reaches the browser whichever way the
    // page is opened (a plain path with "#" would name another file).
    std::string target = "file:///";
    for (char ch : guidePath) {
        const unsigned char c = static_cast<unsigned char>(ch == '\\' ? '/' : ch);
        if (IsPlainUrlCharacter(c)) {
            target += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            target += escaped;
        }
    }
    return target + "#" + GuideAnchor(context);
}

HelpEngine SetHelpEngine(HelpEngine engine)
{
    HelpEngine old = g_engine;
    g_engine = engine != nullptr ? engine : OpenHelp;
    return old;
}

HelpEngine SetWinHelpCall(HelpEngine call)
{
    HelpEngine old = g_winHelp;
    g_winHelp = call != nullptr ? call : CallWinHelp;
    return old;
}

bool OpenHelp(HWND owner, const char* file, UINT command, ULONG_PTR data)
{
    const std::string helpFile = file != nullptr ? file : "";
    // Closing is always the engine's: it returns at once when it has no window open.
    if (command != HELP_CONTEXT || FileExists(helpFile))
        return g_winHelp(owner, file, command, data);

    const std::string guide = GuideFileFor(helpFile);
    const unsigned long context = static_cast<unsigned long>(data);
    // A missing guide is reported at once rather than handed to a browser.
    // The browser registered for web pages comes first: the shell drops the
    // anchor of a file address on many systems, and the page would open at its top.
    int result = SE_ERR_FNF;
    if (FileExists(guide)) {
        const std::string target = GuideTarget(guide, context);
        result = CHyperLink::OpenWithPageProgram(target.c_str(), SW_SHOWNORMAL);
        if (result <= 32)
            result = CHyperLink::ShellOpen(target.c_str(), SW_SHOWNORMAL);
    }
    if (result > 32)
        return true;
    std::string reason = CHyperLink::LinkErrorText(result);
    reason.erase(0, reason.find("\n\n") + 2);  // the reason alone, without "Can't open link:"
    const std::string text = "Help is not available.\n\nThe help file\n" + helpFile +
                             "\nis not there, and the user guide\n" + guide + "\ncould not be opened:\n\n" + reason;
    AppMessageBox(owner, text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool ShowHelpTopic(HWND owner, unsigned long context)
{
    return g_engine(owner, HelpFileFor(ExecutablePath()).c_str(), HELP_CONTEXT, context);
}

void CloseHelp(HWND owner)
{
    g_engine(owner, HelpFileFor(ExecutablePath()).c_str(), HELP_QUIT, 0);
}
