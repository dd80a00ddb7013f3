// SPDX-License-Identifier: GPL-3.0-or-later
// CRioDevice: the device object of the player link.
//
// It moves bytes through the three printer-port registers (transport), turns
// 32 KB block transfers into controller and flash commands (block protocol),
// keeps the working copy of the player's directory block (storage layout) and
// runs the player operations on it (format, bad-block check, delete, reorder,
// download, upload). It reaches the port only through the CPortIO it is given.
// Nothing throws: operations return a flag and leave an error code and text.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <string>

#include "port/PortIO.h"

class CPcFiles;
// Called before each 32 KB block of a long operation with (done, total);
// returning 0 stops the operation.
typedef int (*ProgressCallback)(int done, int total);

// ---------------------------------------------------------------------------
// Storage layout of the player's memory

constexpr int kRioBlockSize = 32768;        // unit of all storage
constexpr int kRioPageSize = 512;
constexpr int kRioSpareSize = 16;           // spare area after each page
constexpr int kRioPagesPerBlock = 64;
constexpr int kRioBlockSpares = kRioPagesPerBlock * kRioSpareSize;
constexpr int kRioMaxEntries = 60;          // directory slots
constexpr int kRioEntrySize = 128;
constexpr int kRioNameSize = 100;           // name field, not always zero-terminated
constexpr int kRioTableBlocks = 8192;       // places in the state and link tables
constexpr int kRioNoBlock = 0xFFFF;         // "no block" in the spare-area links

// Offsets inside the directory block (block 0).
constexpr int kRioHeaderOffset = 0x0000;
constexpr int kRioHeaderSize = 0x0200;
constexpr int kRioEntriesOffset = 0x0200;
constexpr int kRioEntriesSize = kRioMaxEntries * kRioEntrySize;   // 7680
constexpr int kRioStateOffset = 0x2000;     // one byte per block
constexpr int kRioLinkOffset = 0x4000;      // one u16 per block

// Block states in the state table.
constexpr uint8_t kRioBlockFree = 0xFF;
constexpr uint8_t kRioBlockUsed = 0x00;
constexpr uint8_t kRioBlockBad = 0x0F;

// Header offset 0x14 holds this once the memory has been initialized.
constexpr uint16_t kRioFormatMark = 0x0100;

// Little-endian access, byte by byte, so the layout is right on any host.
inline uint16_t RioGet16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t RioGet32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void RioPut16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void RioPut32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

// The first 512 bytes of the directory block. Read/Write touch only the
// fields below; bytes 0x12..0x13 and 0x16..0x1FF stay as they are.
struct DirectoryHeader {
    uint16_t count = 0;           // 0x00 entries in use
    uint16_t total = 0;           // 0x02 blocks of the memory
    uint16_t used = 0;            // 0x04 blocks counted as used (bad ones included)
    uint16_t free = 0;            // 0x06 blocks counted as free
    uint16_t bad = 0;             // 0x08 blocks marked bad by the last check
    uint32_t time = 0;            // 0x0A last directory write, seconds since 1970 UTC
    uint16_t headerChecksum = 0;  // 0x0E
    uint16_t bodyChecksum = 0;    // 0x10
    uint16_t formatMark = 0;      // 0x14 kRioFormatMark once initialized

    static DirectoryHeader Read(const uint8_t* image);
    void Write(uint8_t* image) const;
};

// True for the first byte of a two-byte character of the code page the
// player's names are in (null: a single-byte code page).
typedef bool (*LeadBytePredicate)(uint8_t byte);

// One 128-byte directory slot.
struct DirectoryEntry {
    uint16_t firstBlock = 0;      // 0x00 first block of the chain
    uint16_t blocks = 0;          // 0x02 size / 32768 rounded up
    uint16_t lastBytes = 0;       // 0x04 size % 32768 (0: last block full)
    uint32_t size = 0;            // 0x06 file size in bytes
    uint32_t time = 0;            // 0x0F download time, seconds since 1970 UTC
    // 0x13: the first MPEG frame header, stored in reverse byte order, i.e. the
    // header bytes read as a big-endian value (bits 31..24 = the 0xFF sync byte);
    // 0 when none was found.
    uint32_t frameHeader = 0;
    char name[kRioNameSize] = {}; // 0x1C zero-padded; 100 bytes have no terminator

    static DirectoryEntry Read(const uint8_t* slot);
    // Writes all 128 bytes; the reserved bytes become zero.
    void Write(uint8_t* slot) const;
    // Copies the name into out (at least kRioNameSize + 1 bytes), terminated.
    void GetName(char* out) const;
    // Stores StoredName(name, isLead), zero-padded.
    void SetName(const char* name, LeadBytePredicate isLead = nullptr);
    // Bytes of the file in its block i: the last one may be partly used (a
    // corrupt count above 32768 reads as a full block).
    size_t BlockBytes(int i) const
    {
        return i == blocks - 1 && lastBytes != 0 && lastBytes < kRioBlockSize ? lastBytes : size_t(kRioBlockSize);
    }
    // The frame header in file order: h[0] is the 0xFF sync byte.
    void GetFrameBytes(uint8_t h[4]) const
    {
        h[0] = uint8_t(frameHeader >> 24); h[1] = uint8_t(frameHeader >> 16);
        h[2] = uint8_t(frameHeader >> 8); h[3] = uint8_t(frameHeader);
    }
};

// Checksums: 0 minus the sum of little-endian 16-bit words, modulo 65536.
// HeaderChecksum uses the body checksum stored at 0x10, so store that first.
uint16_t BodyChecksum(const uint8_t* image);    // words 0x0200..0x7FFF
uint16_t HeaderChecksum(const uint8_t* image);  // header words except 0x0E
uint16_t PageChecksum(const uint8_t* page);     // one 512-byte page

// The part of a PC path after the last backslash, slash or colon (a pointer
// into path).
const char* BaseName(const char* path);

// A file name as a directory entry holds it: a name longer than 100 bytes is
// cut in its stem so that its extension stays ("<stem cut>.mp3"); a name
// without one (no last dot after the first byte, or more than 15 bytes or a
// blank after it) is cut to its first 100 bytes. A cut never leaves a dot or
// a blank at the end of the stem (they go too: such a name could not be
// fetched back) and, given the lead bytes of a double-byte code page, never
// ends inside a character.
std::string StoredName(const std::string& name, LeadBytePredicate isLead = nullptr);
// The same with suffix before the extension ("<stem cut>~2.mp3"), the stem cut
// so that the whole fits; a name that fits keeps all of its stem.
std::string StoredName(const std::string& name, const std::string& suffix, LeadBytePredicate isLead);

// Where a page lives: the chip to select and the two address bytes.
struct RioChipAddress {
    uint8_t chip;
    uint8_t a1;
    uint8_t a2;
};

// ---------------------------------------------------------------------------
// Error codes; each failing operation leaves one of these and its text.

constexpr int kRioNoError = -1;              // nothing has failed yet
constexpr int kRioErrNew = 0;                // "new failed"
constexpr int kRioErrNotFound = 3;           // "device not found"
constexpr int kRioErrTxRetries = 5;          // "too many retries for tx block"
constexpr int kRioErrRxRetries = 6;          // "too many retries for rx block"
// 7: "invalid directory checksum, initialization recommended",
//    "no free 32K blocks, initialization recommended",
//    "invalid block chain of file '%s', initialization recommended",
//    "invalid free block count, initialization recommended"
constexpr int kRioErrDirectory = 7;
constexpr int kRioErrNoFile = 8;             // "file '%s' not present on device"
constexpr int kRioErrPosition = 9;           // "invalid file position"
constexpr int kRioErrEntries = 10;           // "max number of directory entries (%d) already in use"
constexpr int kRioErrNoMemory = 11;          // "not enough memory on device to download '%s'"
constexpr int kRioErrOpen = 12;              // "unable to open '%s' for read/write"
constexpr int kRioErrStat = 13;              // "stat() failed for '%s'"
constexpr int kRioErrRead = 14;              // "error reading from file '%s'"
constexpr int kRioErrWrite = 15;             // "error writing to file '%s'"
constexpr int kRioErrInterrupted = 16;       // "operation interrupted"
constexpr int kRioErrNoDirectory = 17;       // "directory not read from device"
constexpr int kRioErrVerify = 18;            // "verify failed, data on device differs from '%s'"

// Room for the formatted error text, terminator included: any Windows path
// fits whole in the longest text; longer ones are cut.
constexpr size_t kRioErrorTextSize = 512;

// ---------------------------------------------------------------------------

class CRioDevice {
public:
    // Register offsets from the port base.
    enum { kDataOffset = 0, kStatusOffset = 1, kControlOffset = 2 };
    // Controller command bytes, each sent with WriteCommand.
    enum : uint8_t {
        kCmdRead = 0xA0,        // start reading from the flash chip
        kCmdFlash = 0xA1,       // pass one flash command code (DAT)
        kCmdAddress = 0xA2,     // pass address bytes (one DAT each)
        kCmdWrite = 0xA3,       // start writing: a WriteStream run follows
        kCmdWake = 0xA8,        // wake-up strobe of OpenLink
        kCmdSelect = 0xAB,      // select a memory chip (DAT: chip number)
        kCmdLink = 0xAD,        // link handshake: DAT 0x55 wakes, DAT 0xFF releases
        kCmdLinkCheck = 0xAE,   // second wake-up handshake byte (DAT 0xAA)
    };
    // Flash command codes passed after kCmdFlash.
    enum : uint8_t {
        kFlashRead = 0x00,
        kFlashEraseSetup = 0x60,
        kFlashEraseConfirm = 0xD0,
        kFlashProgramSetup = 0x80,
        kFlashProgramConfirm = 0x10,
        kFlashStatus = 0x70,
        kFlashIdentify = 0x90,
    };
    // Control register values: 0x04 rests, 0x0C strobes a command, 0x00
    // strobes a data byte or starts a read. Status bit 3 is the ready signal.
    enum : uint8_t { kCtlData = 0x00, kCtlRest = 0x04, kCtlCommand = 0x0C, kStatusReady = 0x08 };
    // Card chip number, sent after kCmdSelect; the internal chips are 0 to 3.
    enum { kCardChip = 4 };
    // Initial delay counts.
    enum { kDefaultDelayInit = 20000, kDefaultDelayTx = 100, kDefaultDelayRx = 2 };

    explicit CRioDevice(CPortIO& port);
    virtual ~CRioDevice();
    CRioDevice(const CRioDevice&) = delete;
    CRioDevice& operator=(const CRioDevice&) = delete;

    // --- Transport -----------------------------------------------------------
    bool SetPort(int base);                 // records the addresses; no port access
    void Delay(int n);                      // n status reads, values discarded
    void WriteCommand(uint8_t b);           // CMD b
    void WriteData(uint8_t b);              // DAT b
    void WriteStream(const uint8_t* bytes, int n);
    uint8_t ReadByte();
    bool WaitReady();                       // status bit 3 within 1000 ms
    bool OpenLink();                        // wake-up sequence
    void ReleaseLink();
    bool Detect();                          // identify the selected memory's chip
    // After a block transfer: whether the player still answers (a vanished
    // one reads as ready and takes every block). Cheap while the link is open.
    bool PlayerAnswers();

    // --- Block protocol --------------------------------------------------------
    RioChipAddress ChipAddress(uint32_t page) const;
    void SpareArea(const uint8_t* page, uint16_t prev, uint16_t next, uint8_t spare[kRioSpareSize]) const;
    bool TxBlock(const uint8_t* buffer, int block, uint16_t prev, uint16_t next);
    // spares (null, or room for kRioBlockSpares bytes) receives the spare
    // area of each page in turn.
    bool RxBlock(uint8_t* buffer, int block, uint8_t* spares = nullptr);
    bool SendBlock(const uint8_t* buffer, int block, uint16_t prev, uint16_t next);
    bool ReceiveBlock(uint8_t* buffer, int block, uint8_t* spares = nullptr);

    // --- Storage layout --------------------------------------------------------
    // Slot of the first in-use entry whose name equals name, or -1.
    int FindEntry(const char* name) const;
    // Lowest free block (state 0xFF) of the selected memory, or -1. Block 0
    // holds the directory and is never given to a file, and places at and
    // above TotalBlocks() lie outside the memory: neither is searched. Every
    // consistent directory gives the same block as a search from 0 to 8191.
    int FindFreeBlock() const;
    // Places marked free below TotalBlocks(), block 0 included: what the
    // header's free count must equal.
    int CountFreeBlocks() const;
    // Blocks of the selected memory: the external block count, or 1024/2048.
    int TotalBlocks() const;
    // Entries that may be used: the header count, never more than 60.
    int EntryCount() const;

    // --- Player operations -----------------------------------------------------
    bool ReadDirectory();
    bool WriteDirectory();
    bool Format(int check, ProgressCallback callback);
    bool CheckBadBlocks(ProgressCallback callback);
    // Entries are addressed by slot: the directory order, which is the order
    // of the list rows (row i, numbered i + 1, is slot i). Two entries may
    // hold one name, so only a slot says which file is meant. The by-name
    // forms act on the first entry of that name.
    // DeleteEntry moves the entries after slot up by one: delete several from
    // the highest slot down.
    bool DeleteEntry(int slot);
    bool DeleteFile(const char* name);
    // Deletes the entries in these slots (distinct, in any order) from the
    // image in one go: refused as a whole, with nothing changed, when a slot
    // is not in use or a chain is broken.
    bool DeleteEntries(const int* slots, int n);
    bool ReorderFiles(const uint32_t* positions, int n);
    // The player's name of the file is name, or the base name of path when
    // name is null (a caller whose PC names are in another code page passes it).
    bool DownloadFile(const char* path, ProgressCallback callback, const char* name = nullptr);
    // The name a download of name gets in this memory: StoredName(name), or,
    // when the cut makes that the name of an entry already there, the first
    // of "<stem>~2.<ext>", "~3" ... that no entry has. A name that is not cut
    // is stored as given, also when an entry has it already.
    std::string DownloadName(const char* name) const;
    // The lead bytes of the code page of the names downloads are given (null
    // for a single-byte code page): the cut never splits a character.
    void SetLeadBytePredicate(LeadBytePredicate isLead) { m_isLead = isLead; }
    // Writes the file of the entry in slot to path.
    bool UploadEntry(int slot, const char* path, ProgressCallback callback);
    bool UploadFile(const char* path, ProgressCallback callback, const char* name = nullptr);
    // Reads the blocks of the entry in slot back and compares them with the PC
    // file at path: same tells whether every byte matched. False (with the
    // error) only when the comparison could not be made: a broken chain, a PC
    // file that cannot be opened, a block that cannot be read, a stop.
    bool CompareFile(int slot, const char* path, ProgressCallback callback, bool& same);
    // Stores a new directory block made by a repair (see PlanRepair) as block
    // 0, in one directory write, whatever the image read before was; on
    // failure the image stays as it was.
    bool ReplaceDirectory(const uint8_t* image);

    // With verified downloads, DownloadFile reads each file back after its last
    // block; a difference sends the file once more, and a second difference
    // fails the download (code 18). Off by default: nothing is read back.
    bool GetVerifyDownloads() const { return m_verifyDownloads; }
    void SetVerifyDownloads(bool on) { m_verifyDownloads = on; }

    // --- State ---------------------------------------------------------------
    // What the directory image is. Only a directory read with sound checksums,
    // or one made by Format, may be changed and written back: DownloadFile,
    // DeleteFile, ReorderFiles and WriteDirectory refuse any other image (code
    // 7 after a checksum fault, else code 17), so that a corrupt block, a block
    // of the other memory or an image never read is never stored on the player.
    enum EDirectoryState { kDirectoryNotRead, kDirectoryValid, kDirectoryBadChecksum };
    EDirectoryState GetDirectoryState() const { return m_directoryState; }
    bool HasValidDirectory() const { return m_directoryState == kDirectoryValid; }
    // For tests and tools that build an image by hand.
    void SetDirectoryState(EDirectoryState state) { m_directoryState = state; }

    int GetErrorCode() const { return m_errorCode; }
    const char* GetErrorText() const { return m_errorText; }
    // What the last successful upload has to tell beside its success (the
    // old PC file it replaced could not be removed); empty when nothing.
    const std::string& GetNotice() const { return m_notice; }

    // The directory image: the working copy of block 0 (kRioBlockSize bytes).
    uint8_t* Directory() { return m_directory; }
    const uint8_t* Directory() const { return m_directory; }
    DirectoryHeader GetHeader() const { return DirectoryHeader::Read(m_directory); }
    void SetHeader(const DirectoryHeader& h) { h.Write(m_directory); }
    uint8_t* EntrySlot(int slot) { return m_directory + kRioEntriesOffset + slot * kRioEntrySize; }
    const uint8_t* EntrySlot(int slot) const { return m_directory + kRioEntriesOffset + slot * kRioEntrySize; }
    uint8_t GetBlockState(int block) const { return m_directory[kRioStateOffset + block]; }
    void SetBlockState(int block, uint8_t v) { m_directory[kRioStateOffset + block] = v; }
    uint16_t GetBlockLink(int block) const { return RioGet16(m_directory + kRioLinkOffset + 2 * block); }
    void SetBlockLink(int block, uint16_t v) { RioPut16(m_directory + kRioLinkOffset + 2 * block, v); }

    int GetIODelayInit() const { return m_delayInit; }
    int GetIODelayTx() const { return m_delayTx; }
    int GetIODelayRx() const { return m_delayRx; }
    void SetIODelayInit(int v) { m_delayInit = v; }
    void SetIODelayTx(int v) { m_delayTx = v; }
    void SetIODelayRx(int v) { m_delayRx = v; }

    // Memory selection: 0 internal, nonzero external. Choosing a memory, even
    // the same one again, makes the image one that was not read from it.
    int GetMemory() const { return m_memory; }
    void SetMemory(int v)
    {
        m_memory = v;
        m_directoryState = kDirectoryNotRead;
    }
    // Set by Detect for a 16 MB internal chip; the setter is for tests and tools.
    int GetLargeChip() const { return m_largeChip; }
    void SetLargeChip(int v) { m_largeChip = v; }
    // Blocks of the external memory; 0 until Detect has seen the card.
    int GetExternalBlocks() const { return m_externalBlocks; }
    void SetExternalBlocks(int v) { m_externalBlocks = v; }
    int GetPort() const { return m_base; }
    // The PC files uploads write: the system's, unless a test gives others.
    void SetPcFiles(CPcFiles& files) { m_files = &files; }

protected:
    // Allocates an operation's work buffer; null means out of memory.
    // Virtual so that tests can make it fail.
    virtual std::unique_ptr<uint8_t[]> AllocateBuffer(size_t size);

private:
    void SetError(int code, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    void StatusStrobe();
    void Pause();                           // the 1000 ms retry pause: polls the clock only
    void SelectAndAddress(uint8_t flashCommand, uint32_t page, bool column);
    bool EnsureExternalBlocks();
    bool IdentifyChip(int& pages); // maker and device code; pages 0 when unknown
    // The directory rules before an operation walks or frees chains: the
    // entry in slot must be readable (forUpload) or, for a delete, sound with
    // every chain apart; CheckChainsApart is the download's part of that.
    bool CheckChain(int slot, bool forUpload);
    bool CheckChainsApart();
    bool RefuseChainOf(int faulty);
    bool RefuseUnlessValid();
    // Whether slot is an entry in use; else error 8 naming the slot.
    bool RefuseUnlessEntry(int slot);
    // Verified downloads: the read-back with its one new sending of the file,
    // the comparison and the new sending of the entry's chain, each counting
    // its blocks on from done in the progress of total. CompareBlocks leaves
    // the link open whatever its result; the operation releases it.
    bool VerifyDownload(int slot, const char* path, ProgressCallback callback);
    bool CompareBlocks(int slot, const char* path, ProgressCallback callback, int& done, int total, bool& same);
    bool ResendFile(int slot, const char* path, ProgressCallback callback, int& done, int total);
    // Whether a block read back (data and spare areas) is what sending the
    // PC's len bytes in pc linked to prev and next stores. Uses pc's room
    // beyond len.
    bool PagesMatch(const uint8_t* player, const uint8_t* spares, uint8_t* pc, size_t len, uint16_t prev,
                    uint16_t next) const;
    // Reads the next len bytes of the PC file into buf, zero beyond them, and
    // sends buf as block cur linked to prev and next.
    bool SendFileBlock(FILE* file, const char* path, uint8_t* buf, size_t len, int cur, uint16_t prev, uint16_t next);
    void ResetDirectory();

    // Every operation that changes the image saves it first and puts it back
    // when it fails, so that a failure leaves the image as it was.
    class CImageGuard;
    friend class CImageGuard;
    // Every operation that talks to the player ends with the link released,
    // whatever its result: a player left awake drains its battery and takes
    // no buttons.
    class CLinkGuard;
    friend class CLinkGuard;

    CPortIO& m_io;
    CPcFiles* m_files;
    int m_base = 0;
    uint16_t m_data = 0;
    uint16_t m_status = 1;
    uint16_t m_control = 2;

    int m_delayInit = kDefaultDelayInit;
    int m_delayTx = kDefaultDelayTx;
    int m_delayRx = kDefaultDelayRx;
    int m_memory = 0;
    int m_largeChip = 0;
    int m_externalBlocks = 0;
    int m_chipPages[2] = {}; // pages of the internal chip and the card, as Detect saw them
    bool m_verifyDownloads = false;
    LeadBytePredicate m_isLead = nullptr;
    bool m_linkOpen = false; // woken by OpenLink, not released since

    int m_errorCode = kRioNoError;
    char m_errorText[kRioErrorTextSize] = {};
    std::string m_notice;

    uint8_t m_directory[kRioBlockSize] = {};
    EDirectoryState m_directoryState = kDirectoryNotRead;
};
