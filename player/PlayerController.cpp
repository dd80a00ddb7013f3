// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/PlayerController.h"

namespace {

// The wake-up sequence: CMD A8, a data strobe, CMD AD, DAT 55, CMD AE, DAT AA,
// CMD A8, a data strobe.
struct SWakeStep {
    bool command;
    bool anyValue;
    uint8_t value;
};
constexpr SWakeStep kWakeSequence[] = {
    {true, false, 0xA8}, {false, true, 0}, {true, false, 0xAD}, {false, false, 0x55},
    {true, false, 0xAE}, {false, false, 0xAA}, {true, false, 0xA8}, {false, true, 0},
};
constexpr int kWakeSteps = sizeof kWakeSequence / sizeof kWakeSequence[0];

}  // namespace

CPlayerController::CPlayerController(CPlayerContext& ctx)
    : m_ctx(ctx), m_none(ctx, -1, EMemory::Card, CNandChip::SGeometry(), nullptr, 0)
{
    PowerOn();
}

void CPlayerController::PowerOn()
{
    m_selected = &m_none;
    m_control = kRest;
    m_mode = EMode::Command;
    m_command = 0;
    m_dataCount = 0;
    m_awake = false;
    m_wake = 0;
    m_status = m_lower = kUpper[0xFF];
}

void CPlayerController::Violation(const char* format, uint8_t b)
{
    m_ctx.Note(EPlayerEvent::Protocol, format, b);
}

void CPlayerController::ControlSlow(uint8_t old, uint8_t value, uint8_t data)
{
    if (value != 0x00 && value != 0x04 && value != 0x0C) {
        Violation("control value 0x%02X is not a strobe the controller knows", value);
        return;
    }
    if (old == 0x0C && value != kRest) {
        Violation("command strobe not released to 0x04 before control 0x%02X", value);
        return;
    }
    if (value == old)
        return;
    if ((value & 0x08) && !(old & 0x08))
        OnCommand(data);
    else if ((old & 0x04) && !(value & 0x04))
        OnData(data);
    // A rising bit 2 outside stream and read modes, or the release of the
    // command strobe, latches nothing.
}

void CPlayerController::OnCommand(uint8_t b)
{
    m_mode = EMode::Command;
    m_command = b;
    m_dataCount = 0;
    if (!m_awake) {
        WakeStep(EStrobe::Command, b);
        return;
    }
    switch (b) {
    case 0xAB:  // select a chip
    case 0xA1:  // flash command
    case 0xA2:  // address bytes
    case 0xAD:  // release (with DAT 0xFF)
        break;
    case 0xA3:
        m_mode = EMode::Stream;
        m_selected->BeginDataIn();
        break;
    case 0xA0:
        m_mode = EMode::Read;
        m_selected->BeginDataOut();
        break;
    case 0xA8:
        // A new wake-up sequence: the controller listens to nothing else until it ends.
        m_awake = false;
        m_wake = 1;
        break;
    default:
        Violation("unknown controller command 0x%02X", b);
        m_command = 0;
        break;
    }
}

void CPlayerController::OnData(uint8_t b)
{
    if (!m_awake) {
        WakeStep(EStrobe::Data, b);
        return;
    }
    const int index = m_dataCount++;
    switch (m_command) {
    case 0xAB:
        if (index == 0)
            Select(b);
        else
            Violation("second chip number 0x%02X after one select command", b);
        break;
    case 0xA1:
        if (index == 0)
            m_selected->Command(b);
        else
            Violation("second flash command 0x%02X after one 0xA1", b);
        break;
    case 0xA2:
        m_selected->Address(b);
        break;
    case 0xAD:
        if (index == 0 && b == 0xFF) {
            m_awake = false;
            m_wake = 0;
        } else {
            Violation("data 0x%02X after 0xAD while awake (release takes 0xFF)", b);
        }
        break;
    default:
        Violation("data strobe 0x%02X without a command that takes data", b);
        break;
    }
}

void CPlayerController::WakeStep(EStrobe kind, uint8_t b)
{
    const SWakeStep& want = kWakeSequence[m_wake];
    if (want.command == (kind == EStrobe::Command) && (want.anyValue || want.value == b)) {
        if (++m_wake == kWakeSteps) {
            m_awake = true;
            m_wake = 0;
            m_command = 0;
        }
        return;
    }
    // A release (CMD AD, DAT FF) while asleep changes nothing and is harmless.
    if (kind == EStrobe::Command && b == 0xAD) {
        m_wake = 0;
        return;
    }
    if (kind == EStrobe::Data && m_command == 0xAD && b == 0xFF && m_dataCount++ == 0) {
        m_wake = 0;
        return;
    }
    if (kind == EStrobe::Command)
        Violation("command 0x%02X while asleep", b);
    else
        Violation("data strobe 0x%02X while asleep", b);
    m_wake = (kind == EStrobe::Command && b == 0xA8) ? 1 : 0;
}

void CPlayerController::Select(uint8_t chip)
{
    if (chip >= kChips) {
        Violation("chip number 0x%02X out of range", chip);
        m_selected = &m_none;
        return;
    }
    CNandChip* c = m_chips[chip];
    const bool missing = !c || !c->Present() || (chip == 4 && m_ctx.faults.CardMissing());
    m_selected = missing ? &m_none : c;
}
