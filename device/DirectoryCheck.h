// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a directory block, as one function of the 32 KB image and the
// memory's block count: no port access. The device's refusals, the check and
// repair commands of quavel-cli and the main window, and the reader of dump
// images all ask them, so that every part of the program agrees on what a
// sound directory is.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/RioDevice.h"

enum class EDirectoryFault {
    HeaderChecksum, // value stored, expected computed
    BodyChecksum,
    EntryCount, // more than 60 entries in use
    TotalCount, // header total against the memory's blocks
    UsedCount,  // header figures against the state table
    FreeCount,
    BadCount,
    EntrySize,     // block count or last-block bytes do not fit the size
    Outside,       // a chain block outside the memory (value: the block number)
    TooShort,      // the chain ends after value blocks; the entry has expected
    TooLong,       // the last block links on to block value
    LastLink,      // the last block's link is value, neither 0 nor a block
    Loop,          // the chain comes round to block
    FreeMarked,    // a chain block marked free
    BadMarked,     // a chain block marked bad (value: its state)
    Shared,        // block is also in the chain of entry other
    UsedUnheld,    // block marked used that no chain holds
    MarkedOutside, // a place at or above the memory's total not marked free
    HalfWritten,   // block 0 holds an interrupted write: its first page erased, or its last link 0xFFFF
};

struct SDirectoryFinding {
    EDirectoryFault fault;
    int slot = -1;  // the entry, or -1 for the directory as a whole
    int block = -1; // the block, or -1
    int other = -1; // Shared: the earlier entry that holds the block
    long value = 0;
    long expected = 0;
};

// What the rules say about one entry's chain.
struct SEntryChain {
    std::vector<int> blocks; // the chain as far as it can be walked, at most the entry's count
    bool readable = true;    // every counted block lies in the memory, none twice
    bool sound = true;       // readable, exactly the entry's count, last link 0, every block marked used
    bool apart = true;       // no block also in an earlier chain, none marked free or bad
    bool keepable = true;    // what repair may keep: readable, exact, no bad mark, sizes that fit
};

class CDirectoryCheck {
public:
    // totalBlocks: the memory's blocks; 0 or less when unknown (a card not
    // yet identified): chains are then bounded by the table's 8192 places and
    // the header's figures are not compared.
    CDirectoryCheck(const uint8_t* image, int totalBlocks);

    const std::vector<SDirectoryFinding>& Findings() const { return m_findings; }
    bool Clean() const { return m_findings.empty(); }
    // Entries the rules look at: the header's count, never more than 60.
    int Entries() const { return static_cast<int>(m_chains.size()); }
    const SEntryChain& Chain(int slot) const { return m_chains[static_cast<size_t>(slot)]; }
    // The first entry whose chain is not apart from the others, or -1.
    int FirstNotApart() const;
    // The first finding of a kind, or null.
    const SDirectoryFinding* Find(EDirectoryFault fault) const;
    // A half-written block 0 is no directory to repair: it lost the links and
    // entries of files that are whole on the player.
    // Nor is a directory of a memory whose size is unknown (a card not yet
    // identified): which blocks to free depends on it.
    bool Repairable() const { return m_totalKnown && Find(EDirectoryFault::HalfWritten) == nullptr; }
    // Blocks below which chains must lie.
    int Limit() const { return m_limit; }

private:
    void CheckHeader(const uint8_t* image, int totalBlocks);
    void WalkChain(const uint8_t* image, int slot, std::vector<uint8_t>& holder);
    void Add(EDirectoryFault fault, int slot, int block, long value = 0, long expected = 0, int other = -1);

    int m_limit;
    bool m_totalKnown;
    std::vector<SEntryChain> m_chains;
    std::vector<SDirectoryFinding> m_findings;
};

// One line for a finding: "entry 3 'name': block 17 is marked free". name(slot)
// gives an entry's name as the caller shows it (its code page, its escapes).
std::string FindingText(const SDirectoryFinding& f, const std::function<std::string(int)>& name);

// What a repair does: the entries kept and dropped (old slots, directory
// order), the blocks it frees and those marked used again, and the new image
// (checksums are stamped when it is written).
struct SRepairPlan {
    std::vector<int> kept;
    std::vector<int> dropped;
    std::vector<int> freed;
    std::vector<int> remarked;
    std::vector<uint8_t> image;
};

// Keeps every entry whose chain the rules let it keep and that is apart from
// the kept ones before it (where two share, the first in directory order keeps
// the block); a free-marked block only a kept chain holds is marked used again;
// every other block of the memory becomes free, bad marks stay; counts are
// recomputed. Only for a directory the rules find Repairable.
SRepairPlan PlanRepair(const uint8_t* image, int totalBlocks);
