// SPDX-License-Identifier: GPL-3.0-or-later
// Counting the status-register reads of one block transfer: the delay counts
// are spent as status reads, so the count tells which counts a device used.
// Include it before <windows.h>, which renames SetPort to the printer API's
// SetPortA.
#pragma once

#include <cstdint>
#include <vector>

#include "device/RioDevice.h"
#include "player/VirtualPlayer.h"

namespace liststest {

inline SPlayerOptions QuickPlayer()
{
    SPlayerOptions options;
    options.base = 888;
    options.readyAtOnce = true;   // no busy waits: the read count is exact
    return options;
}

// Register reads of sending and then receiving block 10.
inline uint64_t ReadsOfBlockTransfer(CRioDevice& device, CVirtualPlayer& player)
{
    std::vector<uint8_t> block(kRioBlockSize, 0x5A);
    player.ResetCounters();
    if (!device.SendBlock(block.data(), 10, kRioNoBlock, kRioNoBlock))
        return 0;
    if (!device.ReceiveBlock(block.data(), 10))
        return 0;
    return player.Reads();
}

// The same transfer by a fresh device on a fresh player given these counts.
inline uint64_t ReferenceReads(int init, int tx, int rx)
{
    CVirtualPlayer player(QuickPlayer());
    CRioDevice device(player);
    device.SetPort(888);
    device.SetIODelayInit(init);
    device.SetIODelayTx(tx);
    device.SetIODelayRx(rx);
    if (!device.Detect())
        return 0;
    return ReadsOfBlockTransfer(device, player);
}

}  // namespace liststest
