// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file back from the player and comparing it with the PC file: the
// check of a verified download, and the comparison quavel-cli's verify makes.
// The cable of a printer port can corrupt data on its way without any error:
// only a read-back shows what the player stored. Whole pages are compared:
// the data and the spare area with its chain links and checksum, which the
// player follows when it plays the file.
#include "device/RioDevice.h"
#include "device/RioFile.h"
#include "device/RioImageGuard.h"

#include <cstring>

namespace {

// A file whose read-back differs is sent once more before the download fails.
constexpr int kVerifyResends = 1;

} // namespace

bool CRioDevice::CompareFile(int slot, const char* path, ProgressCallback callback, bool& same)
{
    CLinkGuard link(*this);
    const int blocks = DirectoryEntry::Read(EntrySlot(slot)).blocks;
    int done = 0;
    return CompareBlocks(slot, path, callback, done, blocks, same);
}

bool CRioDevice::PagesMatch(const uint8_t* player, const uint8_t* spares, uint8_t* pc, size_t len, uint16_t prev,
                            uint16_t next) const
{
    if (std::memcmp(player, pc, len) != 0)
        return false;
    // Past the file's end the page holds what was sent there; its checksum
    // covers those bytes too.
    std::memcpy(pc + len, player + len, kRioBlockSize - len);
    uint8_t spare[kRioSpareSize];
    for (int i = 0; i < kRioPagesPerBlock; ++i) {
        SpareArea(pc + i * kRioPageSize, prev, next, spare);
        if (std::memcmp(spare, spares + i * kRioSpareSize, kRioSpareSize) != 0)
            return false;
    }
    return true;
}

bool CRioDevice::CompareBlocks(int slot, const char* path, ProgressCallback callback, int& done, int total, bool& same)
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
    std::unique_ptr<uint8_t[]> spares = AllocateBuffer(kRioBlockSpares);
    if (!player || !pc || !spares) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    int b = e.firstBlock;
    uint16_t prev = kRioNoBlock;
    for (int i = 0; i < e.blocks; ++i, ++done) {
        if (callback && callback(done, total) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        if (!ReceiveBlock(player.get(), b, spares.get()))
            return false;
        const size_t len = e.BlockBytes(i);
        const uint16_t next = i == e.blocks - 1 ? uint16_t(kRioNoBlock) : GetBlockLink(b);
        // The first difference decides: the rest of the file is not read.
        // A player that vanished reads as 0xFF bytes: that is "device not found".
        if (fread(pc.get(), 1, len, file.get()) != len ||
            !PagesMatch(player.get(), spares.get(), pc.get(), len, prev, next)) {
            ++done;
            return PlayerAnswers();
        }
        prev = uint16_t(b);
        b = next;
    }
    // A PC file longer than the entry differs too.
    same = fgetc(file.get()) == EOF;
    return true;
}

bool CRioDevice::ResendFile(int slot, const char* path, ProgressCallback callback, int& done, int total)
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
    for (int i = 0; i < e.blocks; ++i, ++done) {
        if (callback && callback(done, total) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        const bool last = i == e.blocks - 1;
        const uint16_t next = last ? uint16_t(kRioNoBlock) : GetBlockLink(cur);
        if (!SendFileBlock(file.get(), path, buf, e.BlockBytes(i), cur, prev, next))
            return false;
        prev = uint16_t(cur);
        cur = next;
    }
    return true;
}

bool CRioDevice::VerifyDownload(int slot, const char* path, ProgressCallback callback)
{
    // Progress runs on over every pass: the sending was blocks 0 .. n - 1 of
    // 2n; a new sending and its read-back add 2n more to what is done.
    const int blocks = DirectoryEntry::Read(EntrySlot(slot)).blocks;
    int done = blocks;
    int total = 2 * blocks;
    for (int resends = 0;; ++resends) {
        bool same = false;
        if (!CompareBlocks(slot, path, callback, done, total, same))
            return false;
        if (same)
            return true;
        if (resends == kVerifyResends)
            break;
        // The player sleeps between the read-back and the new sending.
        ReleaseLink();
        total = done + 2 * blocks;
        if (!ResendFile(slot, path, callback, done, total))
            return false;
    }
    SetError(kRioErrVerify, "verify failed, data on device differs from '%s'", path);
    return false;
}
