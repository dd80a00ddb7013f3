#include "app/Help.h"

#include "app/Application.h"

namespace {
bool CallWinHelp(HWND owner, const char* file, UINT command, ULONG_PTR data)
{
    return ::WinHelpA(owner, file, command, data) != FALSE;
}

HelpEngine g_engine = CallWinHelp;
}  // namespace

std::string HelpFileFor(const std::string& executablePath)
{
    size_t slash = executablePath.find_last_of("\\/:");
    size_t dot = executablePath.find_last_of('.');
    std::string stem = executablePath;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        stem.erase(dot);
    return stem + ".HLP";
}

HelpEngine SetHelpEngine(HelpEngine engine)
{
    HelpEngine old = g_engine;
    g_engine = engine != nullptr ? engine : CallWinHelp;
    return old;
}

bool ShowHelpTopic(HWND owner, unsigned long context)
{
    return g_engine(owner, HelpFileFor(ExecutablePath()).c_str(), HELP_CONTEXT, context);
}

void CloseHelp(HWND owner)
{
    g_engine(owner, HelpFileFor(ExecutablePath()).c_str(), HELP_QUIT, 0);
}
