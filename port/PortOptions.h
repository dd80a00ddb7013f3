// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line options that choose the printer-port backend, and the
// splitting of a Windows command line into words.
#pragma once

#include <string>
#include <vector>

struct SPortOptions {
    // A virtual player is attached when this names its image folder.
    std::string virtualPlayerDir;
    int playerPort = 888;     // the port base it sits on: 888 (0x378) or 632 (0x278)
    int cardDeviceCode = 0;   // identification code of its memory card; 0: no card
    bool largePlayer = false; // 64 MB of internal memory instead of 32 MB
    bool realTime = false;    // pace modelled time to real time
    bool unplugged = false;   // the virtual player starts unplugged (see kPlugInMarker)
    bool help = false;        // show the options and end
};

// With --unplugged the virtual player reads as nothing attached until a file of
// this name appears in its image folder; the next search for the player then
// finds it.
constexpr const char* kPlugInMarker = "plugged-in";

// Parses the words after the program name. On an error returns false and says why.
bool ParsePortOptions(const std::vector<std::string>& words, SPortOptions& options, std::string& error);

// The card's identification code for a size in MB (2, 4, 8, 16 or 32), or 0.
int CardCodeForSize(int megabytes);

// Splits a command line as Windows programs do: blanks separate words, double
// quotes group, and backslashes are literal except in front of a double quote
// (2n backslashes + quote: n backslashes and a grouping quote; 2n+1: n and a
// literal quote).
std::vector<std::string> SplitCommandLine(const char* commandLine);

// The text that --help shows.
const char* PortOptionsHelp();
