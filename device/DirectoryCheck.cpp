// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DirectoryCheck.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kHeaderChecksumOffset = 0x0E;
constexpr int kBodyChecksumOffset = 0x10;

uint8_t StateOf(const uint8_t* image, int block) { return image[kRioStateOffset + block]; }
uint16_t LinkOf(const uint8_t* image, int block) { return RioGet16(image + kRioLinkOffset + 2 * block); }

// Places of the state table that belong to the memory.
int Places(int totalBlocks) { return std::min(totalBlocks, kRioTableBlocks); }

std::string Printf(const char* format, long a, long b = 0, long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

} // namespace

CDirectoryCheck::CDirectoryCheck(const uint8_t* image, int totalBlocks)
    : m_limit(totalBlocks <= 0 || totalBlocks > kRioTableBlocks ? kRioTableBlocks : totalBlocks),
      m_totalKnown(totalBlocks > 0)
{
    // A directory write erases block 0 and programs its pages in order, so a
    // cut leaves the first page erased or the last ones: the PC never stores
    // an erased first page, nor a link 0xFFFF at the end of the table.
    bool firstErased = true;
    for (int i = 0; i < kRioPageSize && firstErased; ++i)
        firstErased = image[i] == 0xFF;
    if (firstErased || LinkOf(image, kRioTableBlocks - 1) == kRioNoBlock)
        Add(EDirectoryFault::HalfWritten, -1, 0);
    CheckHeader(image, totalBlocks);
    const int count = std::min<int>(RioGet16(image), kRioMaxEntries);
    m_chains.resize(static_cast<size_t>(count));
    // slot + 1 of the first chain that holds each block
    std::vector<uint8_t> holder(kRioTableBlocks, 0);
    for (int slot = 0; slot < count; ++slot)
        WalkChain(image, slot, holder);
    if (totalBlocks <= 0)
        return;
    const int places = Places(totalBlocks);
    for (int b = 1; b < places; ++b)
        if (StateOf(image, b) == kRioBlockUsed && holder[static_cast<size_t>(b)] == 0)
            Add(EDirectoryFault::UsedUnheld, -1, b);
    int outside = 0, first = -1;
    for (int b = places; b < kRioTableBlocks; ++b)
        if (StateOf(image, b) != kRioBlockFree && outside++ == 0)
            first = b;
    if (outside)
        Add(EDirectoryFault::MarkedOutside, -1, first, outside, totalBlocks);
}

void CDirectoryCheck::CheckHeader(const uint8_t* image, int totalBlocks)
{
    const DirectoryHeader h = DirectoryHeader::Read(image);
    if (HeaderChecksum(image) != h.headerChecksum)
        Add(EDirectoryFault::HeaderChecksum, -1, -1, h.headerChecksum, HeaderChecksum(image));
    if (BodyChecksum(image) != h.bodyChecksum)
        Add(EDirectoryFault::BodyChecksum, -1, -1, h.bodyChecksum, BodyChecksum(image));
    if (h.count > kRioMaxEntries)
        Add(EDirectoryFault::EntryCount, -1, -1, h.count, kRioMaxEntries);
    if (totalBlocks <= 0)
        return;
    if (h.total != totalBlocks)
        Add(EDirectoryFault::TotalCount, -1, -1, h.total, totalBlocks);
    const int places = Places(totalBlocks);
    int free = 0, bad = 0;
    for (int b = 0; b < places; ++b) {
        free += StateOf(image, b) == kRioBlockFree;
        bad += StateOf(image, b) == kRioBlockBad;
    }
    if (h.used != totalBlocks - free)
        Add(EDirectoryFault::UsedCount, -1, -1, h.used, totalBlocks - free);
    if (h.free != free)
        Add(EDirectoryFault::FreeCount, -1, -1, h.free, free);
    if (h.bad != bad)
        Add(EDirectoryFault::BadCount, -1, -1, h.bad, bad);
}

// Follows the entry's links from its first block until a link 0, at most the
// entry's count of blocks, stopping where a block leaves the memory or comes
// again. The blocks walked are held by the first chain that reaches them.
void CDirectoryCheck::WalkChain(const uint8_t* image, int slot, std::vector<uint8_t>& holder)
{
    SEntryChain& c = m_chains[static_cast<size_t>(slot)];
    const DirectoryEntry e = DirectoryEntry::Read(image + kRioEntriesOffset + slot * kRioEntrySize);
    // A download never stores an empty file.
    if (e.blocks == 0 || e.blocks != (e.size + kRioBlockSize - 1) / kRioBlockSize ||
        e.lastBytes != e.size % kRioBlockSize) {
        Add(EDirectoryFault::EntrySize, slot, -1, e.size);
        c.keepable = false;
    }
    std::vector<bool> seen(static_cast<size_t>(m_limit), false);
    int b = e.firstBlock;
    int last = -1;
    int walked = 0;
    while (b != 0) {
        if (walked == e.blocks) {
            Add(b < m_limit ? EDirectoryFault::TooLong : EDirectoryFault::LastLink, slot, last, b);
            c.sound = c.keepable = false;
            return;
        }
        if (b >= m_limit) {
            Add(EDirectoryFault::Outside, slot, b, b, m_limit);
            c.readable = c.sound = c.keepable = false;
            return;
        }
        if (seen[static_cast<size_t>(b)]) {
            Add(EDirectoryFault::Loop, slot, b);
            c.readable = c.sound = c.keepable = false;
            return;
        }
        seen[static_cast<size_t>(b)] = true;
        c.blocks.push_back(b);
        const uint8_t state = StateOf(image, b);
        if (state == kRioBlockFree) {
            Add(EDirectoryFault::FreeMarked, slot, b);
            c.sound = c.apart = false;
        } else if (state != kRioBlockUsed) {
            Add(EDirectoryFault::BadMarked, slot, b, state);
            c.sound = c.apart = c.keepable = false;
        }
        uint8_t& h = holder[static_cast<size_t>(b)];
        if (h != 0) {
            Add(EDirectoryFault::Shared, slot, b, 0, 0, h - 1);
            c.apart = false;
        } else {
            h = static_cast<uint8_t>(slot + 1);
        }
        ++walked;
        last = b;
        b = LinkOf(image, b);
    }
    if (walked < e.blocks) {
        Add(EDirectoryFault::TooShort, slot, last, walked, e.blocks);
        c.readable = c.sound = c.keepable = false;
    }
}

void CDirectoryCheck::Add(EDirectoryFault fault, int slot, int block, long value, long expected, int other)
{
    SDirectoryFinding f;
    f.fault = fault;
    f.slot = slot;
    f.block = block;
    f.other = other;
    f.value = value;
    f.expected = expected;
    m_findings.push_back(f);
}

int CDirectoryCheck::FirstNotApart() const
{
    for (size_t s = 0; s < m_chains.size(); ++s)
        if (!m_chains[s].apart)
            return static_cast<int>(s);
    return -1;
}

const SDirectoryFinding* CDirectoryCheck::Find(EDirectoryFault fault) const
{
    for (const SDirectoryFinding& f : m_findings)
        if (f.fault == fault)
            return &f;
    return nullptr;
}

std::string FindingText(const SDirectoryFinding& f, const std::function<std::string(int)>& name)
{
    std::string head = "directory: ";
    if (f.slot >= 0)
        head = "entry " + std::to_string(f.slot + 1) + " '" + name(f.slot) + "': ";
    const long block = f.block;
    switch (f.fault) {
    case EDirectoryFault::HeaderChecksum:
        return head + Printf("header checksum 0x%04lX stored, 0x%04lX computed", f.value, f.expected);
    case EDirectoryFault::BodyChecksum:
        return head + Printf("body checksum 0x%04lX stored, 0x%04lX computed", f.value, f.expected);
    case EDirectoryFault::EntryCount: return head + Printf("%ld entries in use, at most %ld", f.value, f.expected);
    case EDirectoryFault::TotalCount:
        return head + Printf("%ld blocks in total, the memory has %ld", f.value, f.expected);
    case EDirectoryFault::UsedCount:
        return head + Printf("%ld blocks counted used, the state table marks %ld", f.value, f.expected);
    case EDirectoryFault::FreeCount:
        return head + Printf("%ld blocks counted free, the state table marks %ld", f.value, f.expected);
    case EDirectoryFault::BadCount:
        return head + Printf("%ld blocks counted bad, the state table marks %ld", f.value, f.expected);
    case EDirectoryFault::EntrySize:
        return head + Printf("its block count and last-block bytes do not fit its size of %ld bytes", f.value);
    case EDirectoryFault::Outside:
        return head + Printf("block %ld of the chain lies outside the memory (%ld blocks)", f.value, f.expected);
    case EDirectoryFault::TooShort:
        return head +
               Printf("the chain ends after %ld blocks at block %ld, the entry has %ld", f.value, block, f.expected);
    case EDirectoryFault::TooLong:
        return head + Printf("the chain is too long: its last block %ld links on to block %ld", block, f.value);
    case EDirectoryFault::LastLink: return head + Printf("the last block %ld links to 0x%04lX, not 0", block, f.value);
    case EDirectoryFault::Loop: return head + Printf("the chain comes back to block %ld (a loop)", block);
    case EDirectoryFault::FreeMarked: return head + Printf("block %ld of the chain is marked free", block);
    case EDirectoryFault::BadMarked:
        if (f.value == kRioBlockBad)
            return head + Printf("block %ld of the chain is marked bad", block);
        return head + Printf("block %ld of the chain has the state 0x%02lX", block, f.value);
    case EDirectoryFault::Shared:
        return head + Printf("block %ld is also in the chain of entry %ld '", block, f.other + 1) + name(f.other) + "'";
    case EDirectoryFault::UsedUnheld: return Printf("block %ld: marked used, but no file holds it", block);
    case EDirectoryFault::HalfWritten: return head + "block 0 holds an interrupted directory write (erased pages)";
    case EDirectoryFault::MarkedOutside:
        return Printf("block %ld: lies outside the memory (%ld blocks) but is not marked free", block, f.expected) +
               (f.value > 1 ? Printf(" (%ld such places)", f.value) : std::string());
    }
    return head;
}

SRepairPlan PlanRepair(const uint8_t* image, int totalBlocks)
{
    SRepairPlan plan;
    const CDirectoryCheck check(image, totalBlocks);
    const int places = Places(totalBlocks);
    std::vector<bool> held(kRioTableBlocks, false);
    for (int slot = 0; slot < check.Entries(); ++slot) {
        const SEntryChain& c = check.Chain(slot);
        bool keep = c.keepable;
        for (int b : c.blocks)
            keep = keep && !held[static_cast<size_t>(b)];
        (keep ? plan.kept : plan.dropped).push_back(slot);
        if (keep)
            for (int b : c.blocks)
                held[static_cast<size_t>(b)] = true;
    }

    plan.image.assign(image, image + kRioBlockSize);
    uint8_t* out = plan.image.data();
    std::memset(out + kRioEntriesOffset, 0, kRioEntriesSize);
    for (size_t i = 0; i < plan.kept.size(); ++i)
        std::memcpy(out + kRioEntriesOffset + i * kRioEntrySize,
                    image + kRioEntriesOffset + plan.kept[i] * kRioEntrySize, kRioEntrySize);
    uint8_t* states = out + kRioStateOffset;
    RioPut16(out + kRioLinkOffset, 0);
    int free = 0, bad = 0;
    for (int b = 0; b < kRioTableBlocks; ++b) {
        if (b >= places) {
            states[b] = kRioBlockFree;
            RioPut16(out + kRioLinkOffset + 2 * b, 0);
            continue;
        }
        if (b > 0 && held[static_cast<size_t>(b)]) {
            if (states[b] != kRioBlockUsed)
                plan.remarked.push_back(b);
            states[b] = kRioBlockUsed;
        } else if (b > 0) {
            RioPut16(out + kRioLinkOffset + 2 * b, 0);
            if (states[b] != kRioBlockFree && states[b] != kRioBlockBad) {
                plan.freed.push_back(b);
                states[b] = kRioBlockFree;
            }
        }
        free += states[b] == kRioBlockFree;
        bad += states[b] == kRioBlockBad;
    }
    DirectoryHeader h = DirectoryHeader::Read(out);
    h.count = static_cast<uint16_t>(plan.kept.size());
    h.total = static_cast<uint16_t>(totalBlocks);
    h.used = static_cast<uint16_t>(totalBlocks - free);
    h.free = static_cast<uint16_t>(free);
    h.bad = static_cast<uint16_t>(bad);
    h.Write(out);
    RioPut16(out + kBodyChecksumOffset, BodyChecksum(out));
    RioPut16(out + kHeaderChecksumOffset, HeaderChecksum(out));
    return plan;
}
