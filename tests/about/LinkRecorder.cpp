// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for a web browser in the link tests: writes the command line it was
// started with to the file named by QUAVEL_LINK_RECORD, and ends.
#include <windows.h>

#include <cstdio>

int main()
{
    char path[MAX_PATH] = "";
    if (::GetEnvironmentVariableA("QUAVEL_LINK_RECORD", path, MAX_PATH) == 0)
        return 1;
    // Written under another name first, so that the test never reads half a line.
    char partial[MAX_PATH + 8];
    std::snprintf(partial, sizeof partial, "%s.part", path);
    FILE* file = std::fopen(partial, "wb");
    if (file == nullptr)
        return 1;
    std::fputs(::GetCommandLineA(), file);
    std::fclose(file);
    return ::MoveFileA(partial, path) ? 0 : 1;
}
