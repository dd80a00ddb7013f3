// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PlayerDump.h"

#include <cstring>
#include <memory>

#include "cli/CliFiles.h"

namespace {

constexpr size_t kImagePageBytes = kRioPageSize + kRioSpareSize;

bool AllErased(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != 0xFF)
            return false;
    return true;
}

}  // namespace

SBlockLinks RebuildBlockLinks(const CRioDevice& device, int blocks)
{
    SBlockLinks links;
    links.prev.assign(static_cast<size_t>(blocks), kRioNoBlock);
    links.next.assign(static_cast<size_t>(blocks), kRioNoBlock);
    links.linked.assign(static_cast<size_t>(blocks), false);
    if (blocks <= 0)
        return links;
    // The directory block is written with prev 0 and next 0.
    links.prev[0] = 0;
    links.next[0] = 0;
    links.linked[0] = true;

    for (int slot = 0; slot < device.EntryCount(); ++slot) {
        const DirectoryEntry e = DirectoryEntry::Read(device.EntrySlot(slot));
        uint16_t prev = kRioNoBlock;
        int b = e.firstBlock;
        for (int i = 0; i < e.blocks; ++i) {
            if (b <= 0 || b >= blocks || links.linked[static_cast<size_t>(b)])
                break;   // a broken chain: what follows cannot be trusted
            const bool last = i == e.blocks - 1;
            const int following = device.GetBlockLink(b);
            links.linked[static_cast<size_t>(b)] = true;
            links.prev[static_cast<size_t>(b)] = prev;
            links.next[static_cast<size_t>(b)] = last ? uint16_t(kRioNoBlock) : uint16_t(following);
            prev = uint16_t(b);
            b = following;
        }
    }
    return links;
}

EDumpResult DumpMemory(CRioDevice& device, CPcFiles& files, const std::string& imagePath, ProgressCallback callback,
                       std::string& fileError, int& skippedBad)
{
    skippedBad = 0;
    const int blocks = device.TotalBlocks();
    const SBlockLinks links = RebuildBlockLinks(device, blocks);

    const std::string partPath = imagePath + ".part";
    auto file = std::make_unique<CPcFile>(files, partPath, CPcFiles::EOpen::Truncate);
    if (!file->IsOpen()) {
        fileError = "unable to open '" + partPath + "' for write";
        return EDumpResult::FileFailed;
    }
    auto discard = [&]() {
        file.reset();
        files.Remove(partPath);
    };

    std::vector<uint8_t> data(kRioBlockSize);
    std::vector<uint8_t> image(kRioPagesPerBlock * kImagePageBytes);
    for (int b = 0; b < blocks; ++b) {
        if (callback && callback(b, blocks) == 0) {
            discard();
            return EDumpResult::Interrupted;
        }
        if (!device.ReceiveBlock(data.data(), b)) {
            // A block the last check found bad may not read at all; the player
            // never uses it, so an erased copy keeps the image whole.
            if (b >= kRioTableBlocks || device.GetBlockState(b) != kRioBlockBad) {
                discard();
                return EDumpResult::DeviceFailed;
            }
            std::memset(data.data(), 0xFF, data.size());
            ++skippedBad;
        }
        for (int p = 0; p < kRioPagesPerBlock; ++p) {
            const uint8_t* page = data.data() + p * kRioPageSize;
            uint8_t* out = image.data() + p * kImagePageBytes;
            std::memcpy(out, page, kRioPageSize);
            uint8_t* spare = out + kRioPageSize;
            const size_t i = static_cast<size_t>(b);
            if (links.linked[i])
                device.SpareArea(page, links.prev[i], links.next[i], spare);
            else if (AllErased(page, kRioPageSize))
                std::memset(spare, 0xFF, kRioSpareSize);
            else
                device.SpareArea(page, kRioNoBlock, kRioNoBlock, spare);
        }
        if (!file->Write(image.data(), image.size())) {
            fileError = "error writing to file '" + partPath + "'";
            discard();
            return EDumpResult::FileFailed;
        }
    }
    device.ReleaseLink();
    if (!file->FlushAndClose()) {
        fileError = "error writing to file '" + partPath + "'";
        discard();
        return EDumpResult::FileFailed;
    }
    if (!MoveReplacing(files, partPath, imagePath, fileError)) {
        discard();
        return EDumpResult::FileFailed;
    }
    return EDumpResult::Done;
}
