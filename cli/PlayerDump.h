// SPDX-License-Identifier: GPL-3.0-or-later
// dump: every block of the selected memory read into an image file of the
// virtual player (pages of 512 data bytes and 16 spare bytes), so that
// Quavel and quavel-cli open a copy of a real player with --virtual-player.
//
// The PC cannot read spare areas, so they are rebuilt as a download writes
// them: the directory block with links 0 and 0, each file's blocks with the
// links of its chain from the directory's link table, other pages that hold
// data with no links, and erased pages as erased (all 0xFF).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "device/RioDevice.h"
#include "playlist/PcFiles.h"

// The links a download gave each block: prev and next block (kRioNoBlock for
// none) of blocks 0 .. blocks - 1, and whether the block belongs to the
// directory or to a file. Chains are followed as far as they are sound
// (inside the memory, no block twice, no longer than the entry says).
struct SBlockLinks {
    std::vector<uint16_t> prev;
    std::vector<uint16_t> next;
    std::vector<bool> linked;
};
SBlockLinks RebuildBlockLinks(const CRioDevice& device, int blocks);

enum class EDumpResult {
    Done,
    DeviceFailed,   // the device's error text tells why
    FileFailed,     // the image file could not be written
    Interrupted,
};

// Reads the blocks of the memory the device has selected (its directory image
// must be current) and writes them to imagePath. The file appears only when
// every block was read: it is written under a temporary name first. A block
// marked bad that cannot be read is stored erased and counted in skippedBad.
EDumpResult DumpMemory(CRioDevice& device, CPcFiles& files, const std::string& imagePath, ProgressCallback callback,
                       std::string& fileError, int& skippedBad);
