// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the help engine in the dialog tests: records every call
// instead of opening help.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

namespace helptest {

struct SHelpCall {
    UINT command;
    ULONG_PTR data;
};

inline std::vector<SHelpCall> g_helpCalls;        // written on the dialog's thread only
inline std::atomic<int> g_helpCount{0};           // calls so far, for the driving thread
inline std::atomic<unsigned long> g_helpTopic{0};  // the last call's topic

inline bool RecordHelp(HWND, const char*, UINT command, ULONG_PTR data)
{
    g_helpCalls.push_back({command, data});
    g_helpTopic = static_cast<unsigned long>(data);
    ++g_helpCount;
    return true;
}

}  // namespace helptest
