// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile directory images: what must hold for any directory block with valid
// checksums, whatever its contents, through every device operation that reads
// it. Shared by the libFuzzer target and the seeded mutation test.
//
// The input is a small program of edits on a sound directory that lists three
// files: byte 0 chooses the memory, the file to download and the entry to work
// on; then every three bytes are an edit (offset low, offset high, value) of
// the 32 KB block. An offset with its top bit set stands for a run of 1024
// places of the state table, from block (offset AND 0x1FFF) on, so that a few
// bytes can fill the memory. The checksums are then made valid, so that every edit reaches
// the operations instead of stopping at the checksum test.
//
// For every operation (download, delete, reorder, upload, each followed by the
// directory write where the session writes one): it returns; a refusal leaves
// a known error code with its text and the image as it was; and nothing is
// written to the player but block 0 and, for a download, blocks that were free
// in the memory.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/RioDevice.h"
#include "tests/device/FakePort.h"
#include "tests/device/ProcessTempDir.h"

namespace hostile {

constexpr uint8_t kCardCode = 0x64;    // a 64-block card
constexpr int kCardBlocks = 64;

inline std::string TempPath(const char* name)
{
    return ProcessTempDir() + name;
}

// The PC files a download takes: 1 byte, one full block, one block and a bit.
inline const std::string& DownloadPath(int choice)
{
    static const size_t sizes[3] = {1, 32768, 40000};
    static std::string paths[3];
    std::string& path = paths[choice % 3];
    if (path.empty()) {
        path = TempPath(("quavel-hostile-" + std::to_string(choice % 3) + ".mp3").c_str());
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::vector<uint8_t> bytes(sizes[choice % 3], 0x5A);
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    return path;
}

// A sound directory with three files: a.mp3 in blocks 1-2, b.mp3 in 3, c.mp3 in 5-7.
inline void BuildSoundDirectory(uint8_t* block, int totalBlocks)
{
    std::memset(block, 0, kRioBlockSize);
    std::memset(block + kRioStateOffset, kRioBlockFree, kRioTableBlocks);
    struct SFile { const char* name; std::vector<int> chain; };
    const SFile files[] = {{"a.mp3", {1, 2}}, {"b.mp3", {3}}, {"c.mp3", {5, 6, 7}}};
    block[kRioStateOffset] = kRioBlockUsed;
    int used = 1;
    for (int slot = 0; slot < 3; ++slot) {
        DirectoryEntry e;
        e.firstBlock = uint16_t(files[slot].chain.front());
        e.blocks = uint16_t(files[slot].chain.size());
        e.size = uint32_t(e.blocks) * 32768u - 100;
        e.lastBytes = uint16_t(e.size % 32768);
        e.time = 1000000000u + uint32_t(slot);
        e.frameHeader = 0xFFFB9064u;
        e.SetName(files[slot].name);
        e.Write(block + kRioEntriesOffset + slot * kRioEntrySize);
        const std::vector<int>& c = files[slot].chain;
        for (size_t i = 0; i < c.size(); ++i) {
            block[kRioStateOffset + c[i]] = kRioBlockUsed;
            RioPut16(block + kRioLinkOffset + 2 * c[i], i + 1 < c.size() ? uint16_t(c[i + 1]) : 0);
            ++used;
        }
    }
    DirectoryHeader h;
    h.count = 3;
    h.total = uint16_t(totalBlocks);
    h.used = uint16_t(used);
    h.free = uint16_t(totalBlocks - used);
    h.formatMark = kRioFormatMark;
    h.Write(block);
}

inline void MakeChecksumsValid(uint8_t* block)
{
    DirectoryHeader h = DirectoryHeader::Read(block);
    h.bodyChecksum = BodyChecksum(block);
    h.Write(block);
    h.headerChecksum = HeaderChecksum(block);
    h.Write(block);
}

// Stores a block's data in the fake's pages: block 0 of the chosen memory.
inline void StoreBlock0(CFakePort& port, bool card, const uint8_t* block)
{
    for (int p = 0; p < kRioPagesPerBlock; ++p) {
        std::vector<uint8_t> page(block + p * kRioPageSize, block + (p + 1) * kRioPageSize);
        page.resize(kRioPageSize + kRioSpareSize, 0x00);
        port.pages[CFakePort::Key(card ? 4 : 0, p)] = page;
    }
}

// Whether a failure left a code of the table with one of its texts.
inline bool KnownError(int code, const std::string& text)
{
    static const std::multimap<int, std::string> table = {
        {0, "new failed"}, {3, "device not found"}, {5, "too many retries for tx block"},
        {6, "too many retries for rx block"},
        {7, "invalid directory checksum, initialization recommended"},
        {7, "no free 32K blocks, initialization recommended"},
        {7, "invalid block chain of file '"}, {7, "invalid free block count, initialization recommended"},
        {8, "file '"}, {9, "invalid file position"}, {10, "max number of directory entries (60) already in use"},
        {11, "not enough memory on device to download '"}, {12, "unable to open '"}, {13, "stat() failed for '"},
        {14, "error reading from file '"}, {15, "error writing to file '"}, {16, "operation interrupted"},
        {17, "directory not read from device"},
    };
    auto range = table.equal_range(code);
    for (auto it = range.first; it != range.second; ++it)
        if (text.compare(0, it->second.size(), it->second) == 0)
            return true;
    return false;
}

// Blocks of the memory whose stored pages differ between two states of the fake.
inline std::set<int> ChangedBlocks(const std::map<uint32_t, std::vector<uint8_t>>& before,
                                   const std::map<uint32_t, std::vector<uint8_t>>& after, bool card)
{
    std::set<int> blocks;
    auto note = [&](uint32_t key) {
        const uint32_t chip = key >> 16, page = key & 0xFFFF;
        const uint32_t memoryPage = card ? page : chip * 16384 + page;
        blocks.insert(int(memoryPage / kRioPagesPerBlock));
    };
    for (const auto& kv : after) {
        auto it = before.find(kv.first);
        if (it == before.end() || it->second != kv.second)
            note(kv.first);
    }
    for (const auto& kv : before)
        if (after.find(kv.first) == after.end())
            note(kv.first);
    return blocks;
}

inline int StopAfterTwoBlocks(int done, int) { return done < 2 ? 1 : 0; }

enum class EHostileOp { Download, Delete, Reorder, Upload };

// Runs one operation on a device that has read the hostile block; "" when all
// rules held, else what broke.
inline std::string CheckOperation(const uint8_t* block, bool card, EHostileOp op, int choice)
{
    CFakePort port(888);
    port.logging = false;
    port.device[4] = card ? kCardCode : 0x00;
    StoreBlock0(port, card, block);
    CRioDevice dev(port);
    dev.SetPort(888);
    dev.SetIODelayInit(0);
    dev.SetIODelayTx(0);
    dev.SetIODelayRx(0);
    dev.SetMemory(card ? 1 : 0);
    if (!dev.Detect())
        return "the fake player was not found";
    if (!dev.ReadDirectory())
        return std::string("a block with valid checksums was refused: ") + dev.GetErrorText();
    const std::vector<uint8_t> image(dev.Directory(), dev.Directory() + kRioBlockSize);
    const auto storedBefore = port.pages;

    const int count = dev.EntryCount();
    char name[kRioNameSize + 1] = "absent.mp3";
    if (count > 0)
        DirectoryEntry::Read(dev.EntrySlot(choice % count)).GetName(name);
    bool ok = false;
    switch (op) {
    case EHostileOp::Download:
        ok = dev.DownloadFile(DownloadPath(choice).c_str(), nullptr);
        break;
    case EHostileOp::Delete:
        ok = dev.DeleteFile(name);
        break;
    case EHostileOp::Reorder: {
        std::vector<uint32_t> order;
        const int n = choice % 2 ? count : count + 1;
        for (int i = 0; i < n; ++i)
            order.push_back(uint32_t(count - 1 - i));
        ok = dev.ReorderFiles(order.data(), n);
        break;
    }
    case EHostileOp::Upload: {
        const std::string target = TempPath(name[0] && !std::strpbrk(name, "/\\:") ? name : "unnamed.mp3");
        ok = dev.UploadFile(target.c_str(), StopAfterTwoBlocks);
        std::remove(target.c_str());
        break;
    }
    }
    if (!ok) {
        if (!KnownError(dev.GetErrorCode(), dev.GetErrorText()))
            return "unknown error " + std::to_string(dev.GetErrorCode()) + " '" + dev.GetErrorText() + "'";
        if (std::memcmp(image.data(), dev.Directory(), kRioBlockSize) != 0)
            return "a refusal changed the image";
    } else if (op != EHostileOp::Upload && !dev.WriteDirectory()) {
        return std::string("the directory write failed: ") + dev.GetErrorText();
    }

    for (const int b : ChangedBlocks(storedBefore, port.pages, card)) {
        if (b == 0 && op != EHostileOp::Upload && ok)
            continue;
        const bool owned = op == EHostileOp::Download && b > 0 && b < dev.TotalBlocks() &&
                           image[kRioStateOffset + b] == kRioBlockFree;
        if (!owned)
            return "block " + std::to_string(b) + " was written";
    }
    return "";
}

// The whole check for one input.
inline std::string CheckDirectoryBytes(const uint8_t* data, size_t size)
{
    if (size == 0)
        return "";
    const bool card = data[0] & 1;
    const int choice = data[0] >> 1;
    std::vector<uint8_t> block(kRioBlockSize);
    BuildSoundDirectory(block.data(), card ? kCardBlocks : 1024);
    for (size_t i = 1; i + 3 <= size; i += 3) {
        const int at = data[i] | (data[i + 1] << 8);
        if (at & 0x8000) {
            const int from = at & 0x1FFF;
            std::memset(block.data() + kRioStateOffset + from, data[i + 2], size_t(std::min(1024, kRioTableBlocks - from)));
        } else {
            block[at % kRioBlockSize] = data[i + 2];
        }
    }
    MakeChecksumsValid(block.data());
    for (EHostileOp op : {EHostileOp::Download, EHostileOp::Delete, EHostileOp::Reorder, EHostileOp::Upload}) {
        const std::string fault = CheckOperation(block.data(), card, op, choice);
        if (!fault.empty())
            return fault;
    }
    return "";
}

}  // namespace hostile
