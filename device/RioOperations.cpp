// Player operations on the directory: read, write, format with the bad-block
// check, delete and reorder. Only ReadDirectory and WriteDirectory move the
// directory block; the others change the image.
#include "device/RioDevice.h"

#include <cstring>
#include <ctime>

namespace {

bool AllBytesAre(const uint8_t* p, size_t n, uint8_t v)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != v)
            return false;
    return true;
}

} // namespace

bool CRioDevice::ReadDirectory()
{
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    if (!ReceiveBlock(buffer.get(), 0))
        return false;
    ReleaseLink();
    std::memcpy(m_directory, buffer.get(), kRioBlockSize);
    const DirectoryHeader h = GetHeader();
    if (HeaderChecksum(m_directory) != h.headerChecksum || BodyChecksum(m_directory) != h.bodyChecksum) {
        // The block stays in the image as read.
        SetError(kRioErrDirectory, "invalid directory checksum, initialization recommended");
        return false;
    }
    return true;
}

bool CRioDevice::WriteDirectory()
{
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    // Time first, then the body checksum, then the header checksum over both.
    DirectoryHeader h = GetHeader();
    h.time = uint32_t(time(nullptr));
    SetHeader(h);
    h.bodyChecksum = BodyChecksum(m_directory);
    SetHeader(h);
    h.headerChecksum = HeaderChecksum(m_directory);
    SetHeader(h);

    std::memcpy(buffer.get(), m_directory, kRioBlockSize);
    if (!SendBlock(buffer.get(), 0, 0, 0))
        return false;
    ReleaseLink();
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

bool CRioDevice::Format(int check, ProgressCallback callback)
{
    if (!EnsureExternalBlocks())
        return false;
    std::memset(m_directory, 0, kRioHeaderSize);
    DirectoryHeader h;
    h.formatMark = kRioFormatMark;
    SetHeader(h);
    std::memset(m_directory + kRioEntriesOffset, 0, kRioEntriesSize);
    std::memset(m_directory + kRioStateOffset, kRioBlockFree, kRioTableBlocks);
    std::memset(m_directory + kRioLinkOffset, 0, 2 * kRioTableBlocks);

    if (check && !CheckBadBlocks(callback))
        return false;

    h = GetHeader();
    h.total = uint16_t(TotalBlocks());
    h.free = uint16_t(h.total - h.bad);
    SetHeader(h);
    return true;
}

bool CRioDevice::CheckBadBlocks(ProgressCallback callback)
{
    if (!EnsureExternalBlocks())
        return false;
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
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
        SetBlockState(i, mark);
        if (mark == kRioBlockBad)
            ++bad;
    }
    DirectoryHeader h = GetHeader();
    h.used = uint16_t(bad);
    h.bad = uint16_t(bad);
    SetHeader(h);
    return true;
}

// A chain read from the player may be corrupt. Before walking it, make sure
// that every block number indexes the tables (below 8192) and that no block
// comes twice (a cycle would never end). For an upload every one of the
// entry's blocks must be a file block (1 and up): block 0 is the directory.
bool CRioDevice::CheckChain(int slot, bool forUpload)
{
    const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));
    uint8_t seen[kRioTableBlocks / 8] = {};
    bool sound = true;
    int b = e.firstBlock;
    if (forUpload) {
        for (int i = 0; i < e.blocks && sound; ++i) {
            if (b == 0 || b >= kRioTableBlocks || (seen[b >> 3] & (1 << (b & 7))))
                sound = false;
            else {
                seen[b >> 3] |= uint8_t(1 << (b & 7));
                b = GetBlockLink(b);
            }
        }
    } else {
        while (b != 0 && sound) {
            if (b >= kRioTableBlocks || (seen[b >> 3] & (1 << (b & 7))))
                sound = false;
            else {
                seen[b >> 3] |= uint8_t(1 << (b & 7));
                b = GetBlockLink(b);
            }
        }
    }
    if (!sound) {
        char name[kRioNameSize + 1];
        e.GetName(name);
        SetError(kRioErrDirectory, "invalid block chain of file '%s', initialization recommended", name);
    }
    return sound;
}

bool CRioDevice::DeleteFile(const char* name)
{
    const int slot = FindEntry(name);
    if (slot < 0) {
        SetError(kRioErrNoFile, "file '%s' not present on device", name);
        return false;
    }
    if (!CheckChain(slot, false))
        return false;
    const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));
    int b = e.firstBlock;
    while (b != 0) {
        SetBlockState(b, kRioBlockFree);
        const int next = GetBlockLink(b);
        SetBlockLink(b, 0);
        b = next;
    }

    // Never beyond slot 59, even when the stored count says more.
    const int count = EntryCount();
    DirectoryHeader h = GetHeader();
    h.count = uint16_t(count - 1);
    h.used = uint16_t(h.used - e.blocks);
    h.free = uint16_t(h.free + e.blocks);
    SetHeader(h);

    // The slot of the former last entry keeps a stale copy beyond the count.
    std::memset(EntrySlot(slot), 0, kRioEntrySize);
    for (int k = slot; k + 1 < count; ++k)
        std::memcpy(EntrySlot(k), EntrySlot(k + 1), kRioEntrySize);
    return true;
}

bool CRioDevice::ReorderFiles(const uint32_t* positions, int n)
{
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
