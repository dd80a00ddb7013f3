// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file back from the player and comparing it with the PC file: the
// check of a verified download, and the comparison quavel-cli's verify makes.
// The cable of a printer port can corrupt data on its way without any error:
// only a read-back shows what the player stored.
#include "device/RioDevice.h"

#include <cstdio>
#include <cstring>

namespace {

// A file whose read-back differs is sent once more before the download fails.
constexpr int kVerifyResends = 1;

struct CFileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
typedef std::unique_ptr<FILE, CFileCloser> CFilePtr;

// Bytes of block i of an entry: the last block may be partly used.
size_t BlockBytes(const DirectoryEntry& e, int i)
{
    if (i == e.blocks - 1 && e.lastBytes != 0 && e.lastBytes < kRioBlockSize)
        return e.lastBytes;
    return kRioBlockSize;
}

} // namespace

bool CRioDevice::CompareFile(int slot, const char* path, ProgressCallback callback, bool& same)
{
    if (!CompareBlocks(slot, path, callback, 0, DirectoryEntry::Read(EntrySlot(slot)).blocks, same))
        return false;
    if (m_linkOpen)
        ReleaseLink();
    return true;
}

bool CRioDevice::CompareBlocks(int slot, const char* path, ProgressCallback callback, int base, int total, bool& same)
{
    same = false;
    if (!CheckChain(slot, true))
        return false;
    const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));
    CFilePtr file(fopen(path, "rb"));
    if (!file) {
        SetError(kRioErrOpen, "unable to open '%s' for read", path);
        return false;
    }
    std::unique_ptr<uint8_t[]> player = AllocateBuffer(kRioBlockSize);
    std::unique_ptr<uint8_t[]> pc = AllocateBuffer(kRioBlockSize);
    if (!player || !pc) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    int b = e.firstBlock;
    for (int i = 0; i < e.blocks; ++i) {
        if (callback && callback(base + i, total) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        if (!ReceiveBlock(player.get(), b))
            return false;
        const size_t len = BlockBytes(e, i);
        // The first difference decides: the rest of the file is not read.
        // A player that vanished reads as 0xFF bytes: that is "device not found".
        if (fread(pc.get(), 1, len, file.get()) != len || std::memcmp(player.get(), pc.get(), len) != 0) {
            if (!PlayerAnswers())
                return false;
            ReleaseLink();
            return true;
        }
        b = GetBlockLink(b);
    }
    // A PC file longer than the entry differs too. The link stays open: a
    // verified download asks the player whether it is still there, which is
    // cheap only on an open link; the caller releases it.
    same = fgetc(file.get()) == EOF;
    return true;
}

bool CRioDevice::ResendFile(int slot, const char* path, ProgressCallback callback, int total)
{
    const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));
    CFilePtr file(fopen(path, "rb"));
    if (!file) {
        SetError(kRioErrOpen, "unable to open '%s' for read", path);
        return false;
    }
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    uint8_t* buf = buffer.get();
    // The same blocks again, linked as the first sending linked them.
    int cur = e.firstBlock;
    uint16_t prev = kRioNoBlock;
    for (int i = 0; i < e.blocks; ++i) {
        if (callback && callback(i, total) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        const bool last = i == e.blocks - 1;
        const uint16_t next = last ? uint16_t(kRioNoBlock) : GetBlockLink(cur);
        if (!SendFileBlock(file.get(), path, buf, BlockBytes(e, i), cur, prev, next))
            return false;
        prev = uint16_t(cur);
        cur = next;
    }
    return true;
}

bool CRioDevice::VerifyDownload(int slot, const char* path, ProgressCallback callback)
{
    // Progress runs over both passes: the sending was blocks 0 .. n - 1 of 2n.
    const int blocks = DirectoryEntry::Read(EntrySlot(slot)).blocks;
    for (int resends = 0;; ++resends) {
        bool same = false;
        if (!CompareBlocks(slot, path, callback, blocks, 2 * blocks, same))
            return false;
        if (same)
            return true;
        if (resends == kVerifyResends)
            break;
        if (!ResendFile(slot, path, callback, 2 * blocks))
            return false;
    }
    SetError(kRioErrVerify, "verify failed, data on device differs from '%s'", path);
    return false;
}
