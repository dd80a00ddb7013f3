// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/NandChip.h"

#include <cstring>

namespace {

using EState = CNandChip::EState;

constexpr uint16_t Bit(EState s)
{
    return static_cast<uint16_t>(1u << static_cast<int>(s));
}

// States in which a new command sequence may begin: nothing half-entered.
constexpr uint16_t kRest = Bit(EState::Idle) | Bit(EState::ReadOut) | Bit(EState::StatusOut) | Bit(EState::IdOut);
constexpr uint16_t kAnyState = 0xFFFF;

const char* const kStateNames[] = {
    "idle", "read address", "read out", "erase address", "erase confirm",
    "program address", "program data", "status out", "id address", "id out",
};

}  // namespace

struct CNandChip::SStep {
    enum EAction { None, Erase, Program };
    uint8_t code;
    uint16_t from;          // states in which the code is accepted
    uint8_t addressBytes;   // address bytes that must follow
    EState next;
    EAction action;
};

const CNandChip::SStep CNandChip::kSteps[] = {
    {0x00, kRest, 3, EState::ReadAddress, SStep::None},
    {0x60, kRest, 2, EState::EraseAddress, SStep::None},
    {0xD0, Bit(EState::EraseConfirm), 0, EState::Idle, SStep::Erase},
    {0x80, kRest, 3, EState::ProgramAddress, SStep::None},
    {0x10, Bit(EState::ProgramData), 0, EState::Idle, SStep::Program},
    {0x70, kRest, 0, EState::StatusOut, SStep::None},
    {0x90, kRest, 1, EState::IdAddress, SStep::None},
    {0xFF, kAnyState, 0, EState::Idle, SStep::None},
};

CNandChip::CNandChip(CPlayerContext& ctx, int number, EMemory memory, const SGeometry& geometry,
                     CFlashImage* image, uint32_t firstPage)
    : m_ctx(ctx), m_number(number), m_memory(memory), m_geo(geometry), m_image(image), m_firstPage(firstPage)
{
    if (!m_image)
        m_geo.pages = 0;
    PowerOn();
}

void CNandChip::PowerOn()
{
    m_state = EState::Idle;
    m_readyAt = 0;
    m_hung = false;
    m_failed = false;
    m_addressHave = m_addressNeed = 0;
    m_inPos = CFlashImage::kPageBytes;
    m_overflowNoted = true;
    m_outPos = m_outEnd = nullptr;
}

void CNandChip::Violation(const char* what, uint8_t byte)
{
    m_ctx.Note(EPlayerEvent::Protocol, "chip %d: %s (byte 0x%02X, state %s)", m_number, what, byte,
               kStateNames[static_cast<int>(m_state)]);
}

void CNandChip::Hang(EFaultPhase phase, uint32_t row)
{
    static const char* const phases[] = {"erase", "program", "read address", "after page"};
    m_hung = true;
    m_readyAt = UINT64_MAX;
    m_ctx.Note(EPlayerEvent::Fault, "chip %d page %u: never ready (%s)", m_number, row,
               phases[static_cast<int>(phase)]);
}

void CNandChip::Command(uint8_t code)
{
    if (!Present())
        return;
    const SStep* step = nullptr;
    for (const SStep& s : kSteps)
        if (s.code == code)
            step = &s;
    if (!step) {
        Violation("unknown flash command", code);
        return;
    }
    if (Busy()) {
        if (m_hung && code != 0x70) {
            // A hung operation is abandoned by the next command, as by a reset.
            m_hung = false;
            m_readyAt = m_ctx.Now();
        } else if (code != 0x70 && code != 0xFF) {
            Violation("flash command while busy", code);
        }
    }
    if (!(step->from & Bit(m_state))) {
        Violation("out-of-sequence flash command", code);
        return;
    }
    m_state = step->next;
    m_addressHave = 0;
    m_addressNeed = step->addressBytes;
    m_outPos = m_outEnd = nullptr;
    if (m_state != EState::ProgramData) {
        m_inPos = CFlashImage::kPageBytes;
        m_overflowNoted = true;
    }
    if (step->action == SStep::Erase)
        DoErase();
    else if (step->action == SStep::Program)
        DoProgram();
}

void CNandChip::Address(uint8_t byte)
{
    if (!Present())
        return;
    if (m_addressHave >= m_addressNeed) {
        Violation("address byte out of sequence", byte);
        return;
    }
    m_address[m_addressHave++] = byte;
    if (m_addressHave == m_addressNeed)
        AddressComplete();
}

uint32_t CNandChip::TakeRow()
{
    // Read and program carry a column byte first; erase has the row only.
    const uint8_t* a = m_addressNeed == 3 ? m_address + 1 : m_address;
    uint32_t row = a[0] | (static_cast<uint32_t>(a[1]) << 8);
    if (row >= m_geo.pages) {
        Violation("row address beyond the chip", a[1]);
        row %= m_geo.pages;
    }
    return row;
}

void CNandChip::AddressComplete()
{
    switch (m_state) {
    case EState::ReadAddress: {
        const uint32_t row = TakeRow();
        m_state = EState::ReadOut;
        LoadPage(row, m_address[0], EFaultPhase::ReadAddress);
        break;
    }
    case EState::EraseAddress:
        m_row = TakeRow();
        if (m_row % m_geo.unitPages != 0)
            Violation("erase address not at the start of an erase unit", m_address[0]);
        m_state = EState::EraseConfirm;
        break;
    case EState::ProgramAddress:
        m_row = TakeRow();
        std::memset(m_register, 0xFF, sizeof m_register);
        m_inPos = m_address[0];
        m_overflowNoted = false;
        m_state = EState::ProgramData;
        break;
    case EState::IdAddress:
        if (m_address[0] != 0x00)
            Violation("identification address other than 0", m_address[0]);
        m_id[0] = m_geo.maker;
        m_id[1] = m_geo.deviceCode;
        m_outPos = m_id;
        m_outEnd = m_id + 2;
        m_state = EState::IdOut;
        break;
    default:
        break;
    }
}

void CNandChip::LoadPage(uint32_t row, uint32_t column, EFaultPhase phase)
{
    m_row = row;
    ++m_pageLoads;
    const uint32_t global = GlobalPage(row);
    const uint8_t* page = m_image->Page(global);
    if (m_ctx.faults.HasReadFlips()) {
        std::memcpy(m_flipped, page, CFlashImage::kPageBytes);
        const int n = m_ctx.faults.ApplyReadFlips(m_memory, global, m_flipped, CFlashImage::kPageBytes);
        if (n > 0) {
            page = m_flipped;
            m_ctx.Note(EPlayerEvent::Fault, "chip %d page %u: %d bit(s) flipped on read", m_number, row, n);
        }
    }
    m_outPos = page + column;
    m_outEnd = page + CFlashImage::kPageBytes;
    StartBusy(m_ctx.busy.readUs);
    if (m_ctx.faults.StrikeNeverReady(phase, m_memory, global))
        Hang(phase, row);
}

void CNandChip::OutputEnd()
{
    // Sequential read: the last byte of a page starts loading the next one.
    if (m_state == EState::ReadOut && m_row + 1 < m_geo.pages)
        LoadPage(m_row + 1, 0, EFaultPhase::AfterPage);
}

uint8_t CNandChip::DataOutSlow()
{
    if (!Present())
        return 0xFF;
    switch (m_state) {
    case EState::StatusOut:
        // Bit 7: not write-protected; bit 6: ready; bit 0: the last operation failed.
        return static_cast<uint8_t>(0x80 | (Busy() ? 0x00 : 0x40) | (m_failed ? 0x01 : 0x00));
    case EState::IdOut:
        return 0xFF;
    default:
        Violation("data read with nothing to output", 0xFF);
        return 0xFF;
    }
}

void CNandChip::BeginDataIn()
{
    if (!Present())
        return;
    if (m_state != EState::ProgramData) {
        Violation("data input without program setup and address", 0xA3);
        m_inPos = CFlashImage::kPageBytes;
        m_overflowNoted = true;
    }
}

void CNandChip::DataInOverflow()
{
    if (!m_overflowNoted)
        Violation("more data bytes than a page holds", 0xA3);
    m_overflowNoted = true;
}

void CNandChip::BeginDataOut()
{
    if (!Present())
        return;
    if (m_state != EState::ReadOut && m_state != EState::StatusOut && m_state != EState::IdOut)
        Violation("read strobe with nothing to output", 0xA0);
    else if (m_state != EState::StatusOut && Busy())
        Violation("data read while busy", 0xA0);
}

void CNandChip::DoErase()
{
    const uint32_t unit = m_geo.unitPages;
    const uint32_t first = m_row - m_row % unit;
    const uint32_t global = GlobalPage(first);
    ++m_erases;
    m_ctx.faults.NoteErase(m_memory, global, unit);
    m_ctx.NoteWrite(m_memory, global);
    const bool torn = m_ctx.tearArmed && m_ctx.faults.CutMode() == ECutMode::TornErase;
    const uint32_t count = torn ? m_ctx.faults.Random(unit) : unit;
    if (count)
        m_image->Erase(global, count);
    m_failed = false;
    if (m_ctx.faults.HasBadPages()) {
        for (uint32_t p = global; p < global + count; ++p) {
            if (m_ctx.faults.IsBadPage(m_memory, p)) {
                m_ctx.faults.ApplyStuckBits(m_memory, p, m_image->MutablePage(p));
                m_image->WriteThrough(p, 1);
                m_failed = true;
            }
        }
    }
    if (torn) {
        m_ctx.Note(EPlayerEvent::Fault, "chip %d page %u: erase torn after %u of %u pages", m_number, first,
                   count, unit);
        m_ctx.CutPower("torn erase");
        return;
    }
    StartBusy(m_ctx.busy.eraseUs);
    if (m_ctx.faults.StrikeNeverReady(EFaultPhase::Erase, m_memory, global))
        Hang(EFaultPhase::Erase, first);
}

void CNandChip::DoProgram()
{
    const uint32_t global = GlobalPage(m_row);
    ++m_programs;
    m_ctx.faults.NoteProgram(m_memory, global);
    m_ctx.NoteWrite(m_memory, global);
    const bool torn = m_ctx.tearArmed && m_ctx.faults.CutMode() == ECutMode::TornProgram;
    const uint32_t n = torn ? m_ctx.faults.Random(CFlashImage::kPageBytes) : CFlashImage::kPageBytes;
    if (m_ctx.faults.HasWireFlips()) {
        const int flipped = m_ctx.faults.ApplyWireFlips(m_memory, global, m_register, m_inPos);
        if (flipped > 0)
            m_ctx.Note(EPlayerEvent::Fault, "chip %d page %u: %d bit(s) flipped on the wire", m_number, m_row, flipped);
    }
    m_image->Program(global, m_register, n);
    m_failed = false;
    if (m_ctx.faults.HasBadPages() && m_ctx.faults.IsBadPage(m_memory, global)) {
        m_ctx.faults.ApplyStuckBits(m_memory, global, m_image->MutablePage(global));
        m_image->WriteThrough(global, 1);
        m_failed = true;
    }
    m_inPos = CFlashImage::kPageBytes;
    m_overflowNoted = true;
    if (torn) {
        m_ctx.Note(EPlayerEvent::Fault, "chip %d page %u: program torn after %u bytes", m_number, m_row, n);
        m_ctx.CutPower("torn program");
        return;
    }
    StartBusy(m_ctx.busy.programUs);
    if (m_ctx.faults.StrikeNeverReady(EFaultPhase::Program, m_memory, global))
        Hang(EFaultPhase::Program, m_row);
}
