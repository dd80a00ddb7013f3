// SPDX-License-Identifier: GPL-3.0-or-later
// Moving files between the PC and the player: DownloadFile (PC to player) and
// UploadFile (player to PC).
#include "device/RioDevice.h"
#include "device/RioFile.h"
#include "device/RioImageGuard.h"
#include "playlist/PcFiles.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int kHeadBytes = 4096;    // searched for the first MPEG frame header

// The first frame header: byte i is 0xFF and byte i + 1 has its upper four
// bits set (the sync bits). Only positions whose four header bytes all lie
// within the bytes read count; a 0xFF among the last three bytes is skipped,
// because a header cut short is no header. Returns the header as a
// big-endian value, or 0 when there is none.
uint32_t CaptureFrameHeader(const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i + 3 < n; ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] >= 0xE0)
            return (uint32_t(bytes[i]) << 24) | (uint32_t(bytes[i + 1]) << 16) |
                   (uint32_t(bytes[i + 2]) << 8) | uint32_t(bytes[i + 3]);
    return 0;
}

enum class EFileKind { Failed, NotRegular, Regular };

// The size of an open file, in 64 bits on every build (the plain stat of a
// 32-bit Windows build cuts sizes above 2 GB). A pipe or a device is no file
// to download: its size says nothing about what reading it gives.
EFileKind SizeOfOpenFile(FILE* file, unsigned long long& size)
{
#ifdef _WIN32
    struct _stati64 st;
    if (_fstati64(_fileno(file), &st) != 0)
        return EFileKind::Failed;
    const bool regular = (st.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat st;
    if (fstat(fileno(file), &st) != 0)
        return EFileKind::Failed;
    const bool regular = S_ISREG(st.st_mode);
#endif
    if (!regular)
        return EFileKind::NotRegular;
    size = static_cast<unsigned long long>(st.st_size);
    return EFileKind::Regular;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A PC file that an upload replaces is moved aside before the new one is
// written, put back when the upload fails and removed when it succeeds: a
// player that fails in the middle of an upload leaves the old file as it was,
// not the first part of the new one. Only a regular file that could be
// written anyway is moved: a read-only file stays, and the upload fails to
// open it as before. A file that cannot be moved aside is refused: writing
// over it would lose it if the upload then failed. Should even the move back
// fail, the old file is still there under its other name.
class CReplacedFile {
public:
    CReplacedFile(CPcFiles& files, const char* path) : m_files(files), m_path(path)
    {
        FILE* probe = fopen(path, "r+b");
        if (probe == nullptr)
            return;
        unsigned long long size = 0;
        const bool regular = SizeOfOpenFile(probe, size) == EFileKind::Regular;
        fclose(probe);
        if (!regular)
            return;
        for (int i = 0; i < kAsideNames && m_aside.empty(); ++i) {
            const std::string aside = m_path + ".quavel-old" + (i == 0 ? std::string() : std::to_string(i));
            if (Exists(aside))
                continue;   // somebody's file: never touched
            if (!m_files.Replace(m_path, aside))
                break;
            m_aside = aside;
        }
        m_refused = m_aside.empty();
    }
    CReplacedFile(const CReplacedFile&) = delete;
    CReplacedFile& operator=(const CReplacedFile&) = delete;
    ~CReplacedFile()
    {
        if (m_aside.empty() || m_replaced)
            return;
        m_files.Remove(m_path);
        m_files.Replace(m_aside, m_path);
    }
    // An old file is there and could not be moved aside.
    bool Refused() const { return m_refused; }
    // The new file is complete: the old one goes. False when it stays under
    // the name AsidePath.
    bool Replaced()
    {
        m_replaced = true;
        return m_aside.empty() || m_files.Remove(m_aside);
    }
    const std::string& AsidePath() const { return m_aside; }

private:
    static constexpr int kAsideNames = 10;
    CPcFiles& m_files;
    std::string m_path;
    std::string m_aside;
    bool m_refused = false;
    bool m_replaced = false;
};

} // namespace

bool CRioDevice::DownloadFile(const char* path, ProgressCallback callback, const char* name)
{
    CLinkGuard link(*this);
    if (!RefuseUnlessValid())
        return false;
    if (RioGet16(m_directory) >= kRioMaxEntries) {
        SetError(kRioErrEntries, "max number of directory entries (%d) already in use", kRioMaxEntries);
        return false;
    }
    CFilePtr file(fopen(path, "rb"));
    if (!file) {
        SetError(kRioErrOpen, "unable to open '%s' for read", path);
        return false;
    }
    unsigned long long size = 0;
    switch (SizeOfOpenFile(file.get(), size)) {
    case EFileKind::Failed:
        SetError(kRioErrStat, "stat() failed for '%s'", path);
        return false;
    case EFileKind::NotRegular:
        SetError(kRioErrStat, "'%s' is not a file", path);
        return false;
    case EFileKind::Regular:
        break;
    }
    const unsigned long long need = size / kRioBlockSize + (size % kRioBlockSize ? 1 : 0);
    // Blocks are searched below the memory's size, which a card must tell first.
    if (!EnsureExternalBlocks())
        return false;
    DirectoryHeader h = GetHeader();
    // A header that promises more free blocks than the state table holds is
    // corrupt: the download would run out of blocks part-way.
    if (h.free > CountFreeBlocks()) {
        SetError(kRioErrDirectory, "invalid free block count, initialization recommended");
        return false;
    }
    if (!CheckChainsApart())
        return false;
    // The first file of an empty directory also takes the directory block.
    // After the last file has been deleted that block is still marked used
    // and counted: it is not counted a second time.
    const bool takesDirectoryBlock = h.count == 0 && GetBlockState(0) != kRioBlockUsed;
    if (need + (takesDirectoryBlock ? 1 : 0) > h.free) {
        SetError(kRioErrNoMemory, "not enough memory on device to download '%s'", path);
        return false;
    }

    uint8_t head[kHeadBytes];
    const size_t headRead = fread(head, 1, sizeof head, file.get());
    if (headRead < 1) {
        SetError(kRioErrRead, "error reading from file '%s'", path);
        return false;
    }
    const uint32_t frameHeader = CaptureFrameHeader(head, headRead);
    if (fseek(file.get(), 0, SEEK_SET) != 0) {
        SetError(kRioErrRead, "error reading from file '%s'", path);
        return false;
    }

    // Named before the new slot counts as an entry.
    const std::string stored = DownloadName(name ? name : BaseName(path));
    // From here on the image changes; a failure puts it back as it was.
    CImageGuard guard(*this);
    if (takesDirectoryBlock) {
        SetBlockState(0, kRioBlockUsed);
        SetBlockLink(0, 0);
        h.used = uint16_t(h.used + 1);
        h.free = uint16_t(h.free - 1);
    }
    const int blocks = int(need);
    h.used = uint16_t(h.used + blocks);
    h.free = uint16_t(h.free - blocks);
    const int slot = h.count;
    h.count = uint16_t(h.count + 1);
    SetHeader(h);

    const int first = FindFreeBlock();
    if (first < 0) {
        SetError(kRioErrDirectory, "no free 32K blocks, initialization recommended");
        return false;
    }
    DirectoryEntry e;
    e.firstBlock = uint16_t(first);
    e.blocks = uint16_t(blocks);
    e.lastBytes = uint16_t(size % kRioBlockSize);   // 0: the last block is full
    e.size = uint32_t(size);
    e.time = uint32_t(time(nullptr));
    e.frameHeader = frameHeader;
    e.SetName(stored.c_str());
    e.Write(EntrySlot(slot));

    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    uint8_t* buf = buffer.get();

    int cur = first;
    uint16_t prev = kRioNoBlock;
    // A verified download reads the blocks back after sending them: the
    // progress runs over both passes.
    const int shownTotal = m_verifyDownloads ? 2 * blocks : blocks;
    for (int i = 0; i < blocks; ++i) {
        if (callback && callback(i, shownTotal) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        SetBlockState(cur, kRioBlockUsed);
        const bool last = i == blocks - 1;
        uint16_t next = kRioNoBlock;
        if (last) {
            SetBlockLink(cur, 0);
        } else {
            const int found = FindFreeBlock();
            if (found < 0) {
                SetError(kRioErrDirectory, "no free 32K blocks, initialization recommended");
                return false;
            }
            next = uint16_t(found);
            SetBlockLink(cur, next);
        }
        if (!SendFileBlock(file.get(), path, buf, e.BlockBytes(i), cur, prev, next))
            return false;
        prev = uint16_t(cur);
        cur = next;
    }
    if (m_verifyDownloads && !VerifyDownload(slot, path, callback))
        return false;
    if (!PlayerAnswers())
        return false;
    ReleaseLink();
    guard.Keep();
    return true;
}

std::string CRioDevice::DownloadName(const char* name) const
{
    const std::string stored = StoredName(name, m_isLead);
    if (stored == name || FindEntry(stored.c_str()) < 0)
        return stored;
    // At most 59 other entries: one of 60 suffixes is free.
    for (int n = 2;; ++n) {
        const std::string suffixed = StoredName(name, "~" + std::to_string(n), m_isLead);
        if (FindEntry(suffixed.c_str()) < 0)
            return suffixed;
    }
}

bool CRioDevice::SendFileBlock(FILE* file, const char* path, uint8_t* buf, size_t len, int cur, uint16_t prev,
                               uint16_t next)
{
    std::memset(buf + len, 0, kRioBlockSize - len);
    if (fread(buf, 1, len, file) != len) {
        SetError(kRioErrRead, "error reading from file '%s'", path);
        return false;
    }
    return SendBlock(buf, cur, prev, next);
}

bool CRioDevice::UploadFile(const char* path, ProgressCallback callback, const char* name)
{
    if (!name)
        name = BaseName(path);
    const int slot = FindEntry(name);
    if (slot < 0) {
        SetError(kRioErrNoFile, "file '%s' not present on device", name);
        return false;
    }
    return UploadEntry(slot, path, callback);
}

bool CRioDevice::UploadEntry(int slot, const char* path, ProgressCallback callback)
{
    m_notice.clear();
    if (!RefuseUnlessEntry(slot))
        return false;
    CLinkGuard link(*this);
    // A broken chain is refused before the PC file is created.
    if (!CheckChain(slot, true))
        return false;
    const DirectoryEntry e = DirectoryEntry::Read(EntrySlot(slot));

    CReplacedFile old(*m_files, path); // declared first: the new file is closed before it acts
    if (old.Refused()) {
        SetError(kRioErrOpen, "unable to move the existing '%s' aside", path);
        return false;
    }
    CPcFile file(*m_files, path, CPcFiles::EOpen::Truncate);
    if (!file.IsOpen()) {
        SetError(kRioErrOpen, "unable to open '%s' for write", path);
        return false;
    }
    std::unique_ptr<uint8_t[]> buffer = AllocateBuffer(kRioBlockSize);
    if (!buffer) {
        SetError(kRioErrNew, "new failed");
        return false;
    }
    int b = e.firstBlock;
    for (int i = 0; i < e.blocks; ++i) {
        if (callback && callback(i, e.blocks) == 0) {
            SetError(kRioErrInterrupted, "operation interrupted");
            return false;
        }
        if (!ReceiveBlock(buffer.get(), b))
            return false;
        if (!file.Write(buffer.get(), e.BlockBytes(i))) {
            SetError(kRioErrWrite, "error writing to file '%s'", path);
            return false;
        }
        b = GetBlockLink(b);
    }
    // Bytes read from a player that vanished are 0xFF, not the file.
    if (!PlayerAnswers())
        return false;
    // The new file is on the disk before the old one goes.
    if (!file.FlushAndClose()) {
        SetError(kRioErrWrite, "error writing to file '%s'", path);
        return false;
    }
    if (!old.Replaced())
        m_notice = "the old file could not be removed: '" + old.AsidePath() + "'";
    ReleaseLink();
    return true;
}
