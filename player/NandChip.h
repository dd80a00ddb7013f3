// SPDX-License-Identifier: GPL-3.0-or-later
// One small-block NAND flash chip behind the player's controller: 512 + 16 byte
// pages, erase units of 16 or 32 pages, erase sets bits and program clears them,
// a ready line that drops for the modelled busy time of each operation.
//
// The chip is an explicit state machine driven by a table of command sequences
// (read = 00 + 3 address bytes; erase = 60 + 2 address bytes + D0; program =
// 80 + 3 address bytes + data + 10; status = 70; identification = 90 + 1 address
// byte). A byte that does not fit the current state is a protocol error: it is
// logged and otherwise ignored, so that a test sees exactly what went wrong.
#pragma once
#include <cstdint>

#include "player/FaultPlan.h"
#include "player/FlashImage.h"
#include "player/PlayerContext.h"

class CNandChip {
public:
    enum class EState {
        Idle,
        ReadAddress,
        ReadOut,
        EraseAddress,
        EraseConfirm,
        ProgramAddress,
        ProgramData,
        StatusOut,
        IdAddress,
        IdOut,
    };

    struct SGeometry {
        uint8_t maker = 0;
        uint8_t deviceCode = 0;
        uint32_t pages = 0;      // 0: no chip in this place
        uint32_t unitPages = 16;
    };

    // image pages [firstPage, firstPage + pages) are this chip's.
    CNandChip(CPlayerContext& ctx, int number, EMemory memory, const SGeometry& geometry,
              CFlashImage* image, uint32_t firstPage);

    bool Present() const { return m_geo.pages != 0; }
    int Number() const { return m_number; }
    EMemory Memory() const { return m_memory; }
    const SGeometry& Geometry() const { return m_geo; }
    EState State() const { return m_state; }
    uint64_t ReadyAt() const { return m_readyAt; }
    bool Hung() const { return m_hung; }

    // Back to the state after power-up: idle, ready, nothing latched.
    void PowerOn();

    // Controller side.
    void Command(uint8_t code);
    void Address(uint8_t byte);
    void BeginDataIn();
    void DataIn(uint8_t byte)
    {
        if (m_inPos < CFlashImage::kPageBytes)
            m_register[m_inPos++] = byte;
        else
            DataInOverflow();
    }
    void BeginDataOut();
    uint8_t DataOut()
    {
        if (m_outPos != m_outEnd) {
            const uint8_t b = *m_outPos++;
            if (m_outPos == m_outEnd)
                OutputEnd();
            return b;
        }
        return DataOutSlow();
    }

    // Operation counters for tests and the benchmark.
    uint64_t Erases() const { return m_erases; }
    uint64_t Programs() const { return m_programs; }
    uint64_t PageLoads() const { return m_pageLoads; }

private:
    struct SStep;
    static const SStep kSteps[];

    uint32_t GlobalPage(uint32_t row) const { return m_firstPage + row; }
    bool Busy() const { return m_ctx.Now() < m_readyAt; }
    void StartBusy(uint32_t us) { m_readyAt = m_ctx.Now() + us; }
    void Hang(EFaultPhase phase, uint32_t row);
    uint32_t TakeRow();
    void AddressComplete();
    void LoadPage(uint32_t row, uint32_t column, EFaultPhase phase);
    void OutputEnd();
    uint8_t DataOutSlow();
    void DataInOverflow();
    void DoErase();
    void DoProgram();
    void Violation(const char* what, uint8_t byte);

    CPlayerContext& m_ctx;
    int m_number;
    EMemory m_memory;
    SGeometry m_geo;
    CFlashImage* m_image;
    uint32_t m_firstPage;

    EState m_state = EState::Idle;
    uint64_t m_readyAt = 0;
    bool m_hung = false;
    bool m_failed = false;          // last erase or program did not verify (status bit 0)
    uint8_t m_address[3] = {0, 0, 0};
    uint8_t m_addressHave = 0;
    uint8_t m_addressNeed = 0;
    uint32_t m_row = 0;             // page of the current read, erase or program
    uint32_t m_inPos = CFlashImage::kPageBytes;
    bool m_overflowNoted = false;
    const uint8_t* m_outPos = nullptr;
    const uint8_t* m_outEnd = nullptr;
    uint8_t m_id[2] = {0, 0};
    uint8_t m_register[CFlashImage::kPageBytes];
    uint8_t m_flipped[CFlashImage::kPageBytes];

    uint64_t m_erases = 0;
    uint64_t m_programs = 0;
    uint64_t m_pageLoads = 0;
};
