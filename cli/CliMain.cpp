// quavel-cli: the console companion of Quavel.
#include <iostream>

#include "cli/Cli.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgress.h"

int main(int argc, char** argv)
{
    InstallInterruptHandlers();
    SCliIo io{std::cout, std::cerr, StderrIsTerminal()};
    return RunCli(argc, argv, io);
}
