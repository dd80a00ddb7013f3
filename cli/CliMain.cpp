// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli: the console companion of Quavel.
#include <clocale>
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgress.h"

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Names on the command line and on the terminal are in the user's locale;
    // on Windows they are in the ANSI code page whatever the C library's locale.
    std::setlocale(LC_CTYPE, "");
#endif
    InstallInterruptHandlers();
    SCliIo io{std::cout, std::cerr, StderrIsTerminal()};
    return RunCli(argc, argv, io);
}
