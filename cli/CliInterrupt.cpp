// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliInterrupt.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Lock-free, so that a signal handler (or Windows' control-handler thread) may set it.
std::atomic<bool> g_interrupted{false};

#ifdef _WIN32
BOOL WINAPI OnConsoleControl(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        g_interrupted = true;
        return TRUE;
    }
    return FALSE;
}
#else
extern "C" void OnSignal(int)
{
    g_interrupted = true;
}
#endif

}  // namespace

void InstallInterruptHandlers()
{
#ifdef _WIN32
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call may return early, the block loop checks the flag.
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
#endif
}

bool InterruptRequested()
{
    return g_interrupted;
}

void RequestInterrupt()
{
    g_interrupted = true;
}

void ClearInterrupt()
{
    g_interrupted = false;
}
