// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of a sync: which player entries stay, which go, which list files
// are sent, and whether one reorder must follow. It is a pure function of the
// directory image and the prepared list, so that a second run after an
// interruption plans exactly what is left to do.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/RioDevice.h"

// One list entry as it would reach the player.
struct SSyncFile {
    std::string source; // the PC file the list names
    std::string name;   // the name the player stores (its code page, at most 100 bytes)
    uint64_t size = 0;  // bytes sent: the file's, or those of its conversion
    // Sizes of a player entry that also count as this file: its conversion
    // at another bitrate that a fitted sync may have chosen.
    std::vector<uint64_t> otherSizes;

    bool Matches(const std::string& storedName, uint64_t bytes) const;
};

// The player's name of a PC file's base name; false with the reason when it
// has none (a character the player's code page lacks).
typedef std::function<bool(const std::string& baseName, std::string& name, std::string& error)> PlayerNameOf;

// How list file i (readable) would reach the player: the base name it is
// stored under before the name rules, and its size (otherSizes as in
// SSyncFile); false with the reason. Unset: the file as it is.
typedef std::function<bool(size_t i, std::string& baseName, SSyncFile& file, std::string& error)> SyncFormOf;

// Turns the list's PC files into what would be sent, in list order. Refused
// (false, every reason in problems) when a file cannot be read or two files
// would get the same stored name.
bool PrepareSyncFiles(const std::vector<std::string>& paths, const PlayerNameOf& nameOf, std::vector<SSyncFile>& files,
                      std::vector<std::string>& problems, const SyncFormOf& formOf = nullptr);

struct SSyncPlan {
    std::vector<int> keptSlot; // per list entry: the player slot that stays for it, or -1
    std::vector<int> deletes;  // player slots that go, ascending
    std::vector<size_t> sends; // list entries sent, in list order
    bool reorder = false;      // the order after the sends is not the list's
    uint64_t sendBytes = 0;
    int sendBlocks = 0;  // blocks the sends take (the directory block included)
    int freeBlocks = 0;  // free blocks once the deletes are done
    std::string refusal; // why the plan cannot be carried out, or empty

    int Keeps() const { return static_cast<int>(keptSlot.size() - sends.size()); }
    bool ChangesNothing() const { return deletes.empty() && sends.empty() && !reorder; }
};

// An entry counts as already there when its stored name and size match those
// of a list file (and differs[slot] is not set: the content comparison of a
// verified sync). Every other entry is deleted; the rest of the list is sent.
SSyncPlan MakeSyncPlan(const CRioDevice& image, const std::vector<SSyncFile>& list,
                       const std::vector<bool>& differs = {});

// Modelled microseconds of one 32 KB block written (or read) at these delay
// counts: about 1 us per register access plus the chips' busy times, as the
// virtual player models them (bench/run prints both side by side).
double ModelledBlockMicros(int delayInit, int delayTx, int delayRx, bool card, bool read);

// The plan's time at the chosen delays: the blocks sent (read back too when
// verifying) and each directory write.
double ModelledPlanSeconds(const SSyncPlan& plan, const CRioDevice& device, bool verify);

// "keep 5, delete 3, send 7 (12.4 MB, about 1 min 40 s at the chosen speed)"
std::string SyncPlanLine(const SSyncPlan& plan, double seconds);
