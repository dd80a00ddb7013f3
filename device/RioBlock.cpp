// SPDX-License-Identifier: GPL-3.0-or-later
// Block protocol: erase, program and read of one 32 KB block, the spare area
// that carries each page's checksum and chain links, and the retry loops.
#include "device/RioDevice.h"

namespace {

constexpr int kAttempts = 3;
constexpr unsigned kPauseMs = 1000;

} // namespace

RioChipAddress CRioDevice::ChipAddress(uint32_t page) const
{
    RioChipAddress a;
    a.a1 = uint8_t(page & 0xFF);
    if (m_memory) {
        a.chip = kCardChip;
        a.a2 = uint8_t((page >> 8) & 0xFF);
    } else if (m_largeChip) {
        a.chip = uint8_t(page >> 15);
        a.a2 = uint8_t((page >> 8) & 0x7F);
    } else {
        a.chip = uint8_t(page >> 14);
        a.a2 = uint8_t((page >> 8) & 0x3F);
    }
    return a;
}

void CRioDevice::SpareArea(const uint8_t* page, uint16_t prev, uint16_t next,
                           uint8_t spare[kRioSpareSize]) const
{
    // A link as the player reads it: the block's byte address / 2 (with the
    // card flag on the external memory) and, internally, the chip it lies on.
    auto putLink = [this](uint8_t* out, uint16_t block) {
        if (block == kRioNoBlock) {
            RioPut32(out, 0xFFFFFFFFu);
            out[4] = out[5] = 0xFF;
            return;
        }
        uint32_t v = uint32_t(block) * 16384u;
        uint8_t chip = 0x00;
        if (m_memory)
            v += 0x01000000u;
        else
            chip = uint8_t(m_largeChip ? block >> 9 : block >> 8);
        RioPut32(out, v);
        out[4] = out[5] = chip;
    };
    putLink(spare, next);
    putLink(spare + 6, prev);
    RioPut16(spare + 12, PageChecksum(page));
    if (prev == kRioNoBlock) {
        spare[14] = spare[15] = 0xFF;
    } else {
        spare[14] = 0x00;
        spare[15] = uint8_t(prev);
    }
}

void CRioDevice::StatusStrobe()
{
    WriteCommand(kCmdFlash);
    WriteData(kFlashStatus);
    WriteCommand(kCmdRead);
    m_io.PortWrite(m_control, kCtlData);
    Delay(m_delayTx);
    m_io.PortWrite(m_control, kCtlRest);
    Delay(m_delayTx);
}

// Select the page's chip, pass a flash command and the page address (with a
// leading column byte 0 for program and read; erase takes none).
void CRioDevice::SelectAndAddress(uint8_t flashCommand, uint32_t page, bool column)
{
    const RioChipAddress a = ChipAddress(page);
    WriteCommand(kCmdSelect);
    WriteData(a.chip);
    WriteCommand(kCmdFlash);
    WriteData(flashCommand);
    WriteCommand(kCmdAddress);
    if (column)
        WriteData(0x00);
    WriteData(a.a1);
    WriteData(a.a2);
}

bool CRioDevice::TxBlock(const uint8_t* buffer, int block, uint16_t prev, uint16_t next)
{
    if (!OpenLink())
        return false;
    const uint32_t firstPage = uint32_t(block) * kRioPagesPerBlock;

    // Erase units: 16 pages internally, 32 on the card.
    const int unitPages = m_memory ? 32 : 16;
    for (int p = 0; p < kRioPagesPerBlock; p += unitPages) {
        SelectAndAddress(kFlashEraseSetup, firstPage + p, false);
        WriteCommand(kCmdFlash);
        WriteData(kFlashEraseConfirm);
        if (!WaitReady())
            return false;
        StatusStrobe();
    }

    uint8_t spare[kRioSpareSize];
    for (int i = 0; i < kRioPagesPerBlock; ++i) {
        const uint8_t* data = buffer + i * kRioPageSize;
        SelectAndAddress(kFlashProgramSetup, firstPage + i, true);
        WriteCommand(kCmdWrite);
        WriteStream(data, kRioPageSize);
        SpareArea(data, prev, next, spare);
        WriteStream(spare, kRioSpareSize);
        WriteCommand(kCmdFlash);
        WriteData(kFlashProgramConfirm);
        if (!WaitReady())
            return false;
        StatusStrobe();
    }
    return true;
}

bool CRioDevice::RxBlock(uint8_t* buffer, int block, uint8_t* spares)
{
    if (!OpenLink())
        return false;
    const uint32_t firstPage = uint32_t(block) * kRioPagesPerBlock;
    for (int i = 0; i < kRioPagesPerBlock; ++i) {
        SelectAndAddress(kFlashRead, firstPage + i, true);
        if (!WaitReady())
            return false;
        WriteCommand(kCmdRead);
        uint8_t* out = buffer + i * kRioPageSize;
        for (int k = 0; k < kRioPageSize; ++k)
            out[k] = ReadByte();
        // The spare area is clocked out; kept only when asked for.
        for (int k = 0; k < kRioSpareSize; ++k) {
            const uint8_t b = ReadByte();
            if (spares)
                spares[i * kRioSpareSize + k] = b;
        }
        if (!WaitReady())
            return false;
    }
    return true;
}

void CRioDevice::Pause()
{
    const unsigned start = unsigned(m_io.MilliClock());
    while (unsigned(m_io.MilliClock()) - start < kPauseMs) {
    }
}

bool CRioDevice::SendBlock(const uint8_t* buffer, int block, uint16_t prev, uint16_t next)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (TxBlock(buffer, block, prev, next))
            return true;
        Pause();    // after every failed attempt, the last one included
    }
    SetError(kRioErrTxRetries, "too many retries for tx block");
    return false;
}

bool CRioDevice::ReceiveBlock(uint8_t* buffer, int block, uint8_t* spares)
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (RxBlock(buffer, block, spares))
            return true;
        Pause();
    }
    SetError(kRioErrRxRetries, "too many retries for rx block");
    return false;
}
