// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli: the player from a script, on Windows and on Linux. RunCli is the
// whole program but for its streams, so that tests run it in-process.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliPorts.h"
#include "playlist/PcFiles.h"

enum { kExitDone = 0, kExitFailed = 1, kExitUsage = 2 };

struct SCliIo {
    std::ostream& out;       // listings and JSON
    std::ostream& err;       // messages and the progress line
    bool terminal = false;   // err is a terminal: draw the progress line
    CPpdevCalls* ppdevCalls = nullptr;   // tests: ppdev system calls
    CPcFiles* pcFiles = nullptr;         // tests: the PC files written (else the system's)
    std::function<void(CVirtualPlayer&)> playerFaults = nullptr; // tests: faults of the virtual player
    const char* codeset = nullptr;       // tests: the console's encoding; null: the locale's
};

// What the command line asks for.
struct SCliOptions {
    std::string command;     // list, info, put, get, rm, move, format, dump, verify,
                             // check, repair, extract, restore, sync
    bool card = false;       // the external memory (card) instead of the internal one
    int delays[3] = {20000, 100, 2};   // IODelayInit, IODelayTx, IODelayRx
    bool json = false;
    bool check = false;      // format --check
    bool verify = false;     // put --verify, sync --verify
    bool replace = false;    // put --replace: the new file, then the old one of that name deleted
    bool keepBoth = false;   // put --keep-both: the new file beside the old one
    int bitrate = 128;       // put, sync: kbit/s of converted files (--fit: the highest tried)
    bool fit = false;        // put, sync --fit
    bool reencode = false;   // put, sync --reencode
    bool stripTags = false;  // put, sync --strip-tags
    bool noConvert = false;  // put, sync --no-convert
    bool dryRun = false;     // put, repair and sync --dry-run
    bool recursive = false;  // sync --recursive
    std::vector<std::string> paths;    // put: PC files; get, rm, verify, extract: player names or #N; sync: sources
    std::string to = ".";    // get --to, extract --to
    std::string in = ".";    // verify --in
    std::string name;        // move: a player name or #N
    int position = 0;        // move, counted from 1
    std::string dumpDir;
    std::string image;       // list --image, extract and restore: a dump image file
    std::string salvage;     // repair --salvage: folder for what dropped entries hold
    SCliBackend backend;
};

int RunCli(int argc, const char* const* argv, SCliIo& io);

// --speed: SLOW, MEDIUM or FAST for all three delay counts, or three items
// separated by commas (wake-up, strobe, read), each a speed or a count.
bool ParseSpeed(const std::string& text, int delays[3], std::string& error);
