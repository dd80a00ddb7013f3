// SPDX-License-Identifier: GPL-3.0-or-later
// Player operations on the directory: read, write, format with the bad-block
// check, delete and reorder. Only ReadDirectory and WriteDirectory move the
// directory block; the others change the image.
#include "device/RioDevice.h"
#include "device/RioImageGuard.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

bool AllBytesAre(const uint8_t* p, size_t n, uint8_t v)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != v)
            return false;
    return true;
}

} // namespace

bool CRioDevice::RefuseUnlessValid()
{
    if (m_directoryState == kDirectoryValid)
        return true;
    if (m_directoryState == kDirectoryBadChecksum)
        SetError(kRioErrDirectory, "invalid directory checksum, initialization recommended");
    else
        SetError(kRioErrNoDirectory, "directory not read from device");
    return false;
}

bool CRioDevice::ReadDirectory()
{
    CLinkGuard link(*this);
    m_directoryState = kDirectoryNotRead;
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    uint8_t* block = buffer.get();
    if (!ReceiveBlock(block, 0))
        return false;
    const DirectoryHeader h = DirectoryHeader::Read(block);
    const bool sound = HeaderChecksum(block) == h.headerChecksum && BodyChecksum(block) == h.bodyChecksum;
    // A player that vanished during the read gives 0xFF bytes, which fail the
    // checksums: that is "device not found", not a corrupt directory.
    if (!sound && !PlayerAnswers())
        return false;
    ReleaseLink();
    // The block stays in the image as read, also when it fails the checks.
    std::memcpy(m_directory, block, kRioBlockSize);
    if (!sound) {
        m_directoryState = kDirectoryBadChecksum;
        SetError(kRioErrDirectory, "invalid directory checksum, initialization recommended");
        return false;
    }
    m_directoryState = kDirectoryValid;
    return true;
}

bool CRioDevice::WriteDirectory()
{
    CLinkGuard link(*this);
    if (!RefuseUnlessValid())
        return false;
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    // The stamped copy goes to the player; the image takes its header only
    // once the player has it.
    uint8_t* block = buffer.get();
    std::memcpy(block, m_directory, kRioBlockSize);
    // Time first, then the body checksum, then the header checksum over both.
    DirectoryHeader h = DirectoryHeader::Read(block);
    h.time = uint32_t(time(nullptr));
    h.Write(block);
    h.bodyChecksum = BodyChecksum(block);
    h.Write(block);
    h.headerChecksum = HeaderChecksum(block);
    h.Write(block);

    if (!SendBlock(block, 0, 0, 0) || !PlayerAnswers())
        return false;
    ReleaseLink();
    std::memcpy(m_directory, block, kRioHeaderSize);
    return true;
}

// The card's size comes from Detect with the external memory selected; the
// connection detects only the internal memory, so establish it here when it
// is still unknown. Detect leaves "device not found" when no card answers.
bool CRioDevice::EnsureExternalBlocks()
{
    if (!m_memory || m_externalBlocks > 0)
        return true;
    return Detect();
}

// The directory of an empty memory: no entries, every block free.
void CRioDevice::ResetDirectory()
{
    std::memset(m_directory, 0, kRioHeaderSize);
    DirectoryHeader h;
    h.formatMark = kRioFormatMark;
    h.total = uint16_t(TotalBlocks());
    h.free = h.total;
    SetHeader(h);
    std::memset(m_directory + kRioEntriesOffset, 0, kRioEntriesSize);
    std::memset(m_directory + kRioStateOffset, kRioBlockFree, kRioTableBlocks);
    std::memset(m_directory + kRioLinkOffset, 0, 2 * kRioTableBlocks);
    m_directoryState = kDirectoryValid;
}

bool CRioDevice::Format(int check, ProgressCallback callback)
{
    CLinkGuard link(*this);
    // A card is asked for its size every time: it may have been swapped for
    // one of another size since it was last seen, and the new directory's
    // figures come from that size.
    if (m_memory && !Detect())
        return false;
    CImageGuard guard(*this);
    ResetDirectory();
    if (check) {
        // The pattern test overwrites every block. Store the empty directory
        // first, so that no valid directory on the player ever lists a block
        // the test has touched. From then on the image is that directory,
        // whatever the test does.
        if (!WriteDirectory())
            return false;
        guard.Keep();
        if (!CheckBadBlocks(callback))
            return false;
        DirectoryHeader h = GetHeader();
        h.free = uint16_t(h.total - h.bad);
        SetHeader(h);
    }
    guard.Keep();
    return true;
}

bool CRioDevice::CheckBadBlocks(ProgressCallback callback)
{
    CLinkGuard link(*this);
    if (!EnsureExternalBlocks())
        return false;
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    CImageGuard guard(*this);
    uint8_t* buf = buffer.get();
    int n = TotalBlocks();
    if (n > kRioTableBlocks)
        n = kRioTableBlocks;
    SetBlockState(0, kRioBlockFree);    // the directory block is not tested
    int bad = 0;
    for (int i = 1; i < n; ++i) {
        if (callback && callback(i, n) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        std::memset(buf, 0xAA, kRioBlockSize);
        if (!SendBlock(buf, i, 0, 0) || !ReceiveBlock(buf, i))
            return false;
        uint8_t mark = kRioBlockBad;
        if (AllBytesAre(buf, kRioBlockSize, 0xAA)) {
            std::memset(buf, 0x55, kRioBlockSize);
            if (!SendBlock(buf, i, 0, 0) || !ReceiveBlock(buf, i))
                return false;
            if (AllBytesAre(buf, kRioBlockSize, 0x55))
                mark = kRioBlockFree;
        }
        // A vanished player fails both patterns on every block from then on:
        // ask whether it still answers before calling a block bad.
        if (mark == kRioBlockBad && !PlayerAnswers())
            return false;
        SetBlockState(i, mark);
        if (mark == kRioBlockBad)
            ++bad;
    }
    DirectoryHeader h = GetHeader();
    h.used = uint16_t(bad);
    h.bad = uint16_t(bad);
    SetHeader(h);
    guard.Keep();
    return true;
}

bool CRioDevice::RefuseUnlessEntry(int slot)
{
    if (slot >= 0 && slot < EntryCount())
        return true;
    SetError(kRioErrNoFile, "file number %d not present on device", slot + 1);
    return false;
}

bool CRioDevice::DeleteFile(const char* name)
{
    if (!RefuseUnlessValid())
        return false;
    const int slot = FindEntry(name);
    if (slot < 0) {
        SetError(kRioErrNoFile, "file '%s' not present on device", name);
        return false;
    }
    return DeleteEntry(slot);
}

bool CRioDevice::DeleteEntry(int slot)
{
    if (!RefuseUnlessValid() || !RefuseUnlessEntry(slot))
        return false;
    return DeleteEntries(&slot, 1);
}

bool CRioDevice::DeleteEntries(const int* slots, int n)
{
    if (!RefuseUnlessValid())
        return false;
    // Every slot is checked, and every chain, before anything changes; nothing
    // fails after that, so the image is either untouched or has lost them all.
    const int count = EntryCount();
    std::vector<int> doomed(slots, slots + (n > 0 ? n : 0));
    std::sort(doomed.begin(), doomed.end());
    if (std::adjacent_find(doomed.begin(), doomed.end()) != doomed.end() ||
        (!doomed.empty() && (doomed.front() < 0 || doomed.back() >= count))) {
        SetError(kRioErrPosition, "invalid file position");
        return false;
    }
    for (int slot : doomed)
        if (!CheckChain(slot, false))
            return false;

    // From the last slot back, so that the slots still to go keep their places.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        const int slot = *it;
        const int entries = EntryCount();
        const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));
        int b = e.firstBlock;
        while (b != 0) {
            SetBlockState(b, kRioBlockFree);
            const int next = GetBlockLink(b);
            SetBlockLink(b, 0);
            b = next;
        }
        DirectoryHeader h = GetHeader();
        h.count = uint16_t(entries - 1);
        h.used = uint16_t(h.used - e.blocks);
        h.free = uint16_t(h.free + e.blocks);
        SetHeader(h);

        // The slot of the former last entry keeps a stale copy beyond the count.
        std::memset(EntrySlot(slot), 0, kRioEntrySize);
        for (int k = slot; k + 1 < entries; ++k)
            std::memcpy(EntrySlot(k), EntrySlot(k + 1), kRioEntrySize);
    }
    return true;
}

bool CRioDevice::ReorderFiles(const uint32_t* positions, int n)
{
    if (!RefuseUnlessValid())
        return false;
    std::unique_ptr<uint8_t[]> work = AllocateBuffer(kRioEntriesSize);
    if (!work) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    std::memcpy(work.get(), EntrySlot(0), kRioEntriesSize);

    // The new order must name every entry at most once: two slots holding one
    // entry would share its block chain, and deleting one would free blocks
    // that the other still lists. Slots from n on keep their entry, so they
    // count as naming it.
    const int count = EntryCount();
    bool named[kRioMaxEntries] = {};
    bool valid = n <= 0 || positions != nullptr;
    for (int j = 0; valid && j < n; ++j) {
        const uint32_t p = positions[j];
        if (p >= uint32_t(count) || j >= count || named[p]) {
            valid = false;
        } else {
            named[p] = true;
            std::memcpy(work.get() + j * kRioEntrySize, EntrySlot(int(p)), kRioEntrySize);
        }
    }
    for (int j = n < 0 ? 0 : n; valid && j < count; ++j)
        if (named[j])
            valid = false;
    if (!valid) {
        SetError(kRioErrPosition, "invalid file position");
        return false;
    }
    std::memcpy(EntrySlot(0), work.get(), kRioEntriesSize);
    return true;
}
