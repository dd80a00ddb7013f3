// SPDX-License-Identifier: GPL-3.0-or-later
// Player storage layout: the directory header and entries, checksums, name
// lookup and block allocation.
#include "device/RioDevice.h"

#include <cstring>

namespace {

// Longest ending, dot included, that a cut name keeps as its extension: a
// last dot further ahead starts a part of the title, not a file type.
constexpr size_t kMaxExtension = 16;

// 0x0E and 0x10 in the header.
constexpr int kHeaderChecksumOffset = 0x0E;
constexpr int kBodyChecksumOffset = 0x10;

uint16_t SumWords(const uint8_t* p, int bytes)
{
    unsigned sum = 0;
    for (int i = 0; i < bytes; i += 2)
        sum += RioGet16(p + i);
    return uint16_t(sum);
}

} // namespace

DirectoryHeader DirectoryHeader::Read(const uint8_t* image)
{
    DirectoryHeader h;
    h.count = RioGet16(image + 0x00);
    h.total = RioGet16(image + 0x02);
    h.used = RioGet16(image + 0x04);
    h.free = RioGet16(image + 0x06);
    h.bad = RioGet16(image + 0x08);
    h.time = RioGet32(image + 0x0A);
    h.headerChecksum = RioGet16(image + kHeaderChecksumOffset);
    h.bodyChecksum = RioGet16(image + kBodyChecksumOffset);
    h.formatMark = RioGet16(image + 0x14);
    return h;
}

void DirectoryHeader::Write(uint8_t* image) const
{
    RioPut16(image + 0x00, count);
    RioPut16(image + 0x02, total);
    RioPut16(image + 0x04, used);
    RioPut16(image + 0x06, free);
    RioPut16(image + 0x08, bad);
    RioPut32(image + 0x0A, time);
    RioPut16(image + kHeaderChecksumOffset, headerChecksum);
    RioPut16(image + kBodyChecksumOffset, bodyChecksum);
    RioPut16(image + 0x14, formatMark);
}

DirectoryEntry DirectoryEntry::Read(const uint8_t* slot)
{
    DirectoryEntry e;
    e.firstBlock = RioGet16(slot + 0x00);
    e.blocks = RioGet16(slot + 0x02);
    e.lastBytes = RioGet16(slot + 0x04);
    e.size = RioGet32(slot + 0x06);
    e.time = RioGet32(slot + 0x0F);
    e.frameHeader = RioGet32(slot + 0x13);
    std::memcpy(e.name, slot + 0x1C, kRioNameSize);
    return e;
}

void DirectoryEntry::Write(uint8_t* slot) const
{
    std::memset(slot, 0, kRioEntrySize);
    RioPut16(slot + 0x00, firstBlock);
    RioPut16(slot + 0x02, blocks);
    RioPut16(slot + 0x04, lastBytes);
    RioPut32(slot + 0x06, size);
    RioPut32(slot + 0x0F, time);
    // Little-endian store of the big-endian header value: the bytes land in
    // reverse file order, sync byte last.
    RioPut32(slot + 0x13, frameHeader);
    std::memcpy(slot + 0x1C, name, kRioNameSize);
}

void DirectoryEntry::GetName(char* out) const
{
    size_t n = 0;
    while (n < size_t(kRioNameSize) && name[n])
        ++n;
    std::memcpy(out, name, n);
    out[n] = '\0';
}

void DirectoryEntry::SetName(const char* s, LeadBytePredicate isLead)
{
    std::memset(name, 0, sizeof name);
    const std::string stored = StoredName(s, isLead);
    std::memcpy(name, stored.data(), stored.size());
}

namespace {

// The longest start of s[0..n) of at most limit bytes that does not end
// inside a two-byte character.
size_t CharacterBoundary(const std::string& s, size_t n, size_t limit, LeadBytePredicate isLead)
{
    if (n <= limit)
        return n;
    if (!isLead)
        return limit;
    size_t at = 0;
    while (at < limit) {
        const size_t step = isLead(uint8_t(s[at])) && at + 1 < n ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return at;
}

// Neither Windows nor the upload checks take a file name ending in a dot or a
// blank, so no cut leaves one.
bool EndsBadly(char c) { return c == '.' || c == ' '; }

} // namespace

std::string StoredName(const std::string& s, const std::string& suffix, LeadBytePredicate isLead)
{
    const size_t length = s.size();
    if (suffix.empty() && length <= size_t(kRioNameSize))
        return s;
    const size_t dot = s.rfind('.');
    size_t extension = dot == std::string::npos ? 0 : length - dot;
    if (dot == 0 || extension < 2 || extension > kMaxExtension || s.find(' ', dot) != std::string::npos)
        extension = 0;
    size_t stem = CharacterBoundary(s, length - extension, kRioNameSize - suffix.size() - extension, isLead);
    while (stem > 0 && EndsBadly(s[stem - 1]))
        --stem;
    if (stem == 0 && extension != 0)
        return StoredName(s.substr(0, dot), suffix, isLead);  // nothing before the type: drop the type
    std::string stored = s.substr(0, stem);
    if (stored.empty())
        stored = "_";    // a name of dots and blanks only
    return stored + suffix + s.substr(length - extension);
}

std::string StoredName(const std::string& name, LeadBytePredicate isLead)
{
    return StoredName(name, std::string(), isLead);
}

uint16_t BodyChecksum(const uint8_t* image)
{
    return uint16_t(0u - SumWords(image + kRioHeaderSize, kRioBlockSize - kRioHeaderSize));
}

uint16_t HeaderChecksum(const uint8_t* image)
{
    const unsigned all = SumWords(image, kRioHeaderSize);
    return uint16_t(0u - (all - RioGet16(image + kHeaderChecksumOffset)));
}

uint16_t PageChecksum(const uint8_t* page)
{
    return uint16_t(0u - SumWords(page, kRioPageSize));
}

const char* BaseName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

int CRioDevice::EntryCount() const
{
    const int count = RioGet16(m_directory);
    return count < kRioMaxEntries ? count : kRioMaxEntries;
}

int CRioDevice::TotalBlocks() const
{
    if (m_memory)
        return m_externalBlocks;
    return m_largeChip ? 2048 : 1024;
}

int CRioDevice::FindEntry(const char* name) const
{
    // The whole name must match, byte for byte; a stored name of exactly 100
    // bytes has no terminator.
    const size_t len = std::strlen(name);
    if (len > size_t(kRioNameSize))
        return -1;
    const int count = EntryCount();
    for (int slot = 0; slot < count; ++slot) {
        const uint8_t* stored = EntrySlot(slot) + 0x1C;
        if (std::memcmp(stored, name, len) == 0 && (len == size_t(kRioNameSize) || stored[len] == 0))
            return slot;
    }
    return -1;
}

// The places of the selected memory in the state table: never more than the
// table holds, whatever the card reports.
static int TablePlaces(int total)
{
    return total < kRioTableBlocks ? total : kRioTableBlocks;
}

int CRioDevice::FindFreeBlock() const
{
    const int places = TablePlaces(TotalBlocks());
    if (places <= 1)
        return -1;
    const uint8_t* states = m_directory + kRioStateOffset;
    const void* hit = std::memchr(states + 1, kRioBlockFree, size_t(places - 1));
    if (!hit)
        return -1;
    return int(static_cast<const uint8_t*>(hit) - states);
}

int CRioDevice::CountFreeBlocks() const
{
    const int places = TablePlaces(TotalBlocks());
    int n = 0;
    for (int b = 0; b < places; ++b)
        n += GetBlockState(b) == kRioBlockFree;
    return n;
}
