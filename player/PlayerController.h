// SPDX-License-Identifier: GPL-3.0-or-later
// The player's controller as seen from the printer port: it decodes the edges of
// the control register into command strobes, data strobes, stream bytes and read
// strobes, keeps the wake-up state, routes chip commands to the selected chip and
// presents the chip's output bytes as status nibbles.
//
// Control register: 0x04 rests; 0x04 -> 0x0C latches the data register as a
// controller command; outside stream and read modes 0x04 -> 0x00 latches it as
// the current command's next data byte. After 0xA3 every edge of bit 2 latches
// one stream byte; after 0xA0 a falling edge fetches the chip's next byte and
// shows its upper half, a rising edge shows its lower half. Both modes end at the
// next command strobe.
#pragma once
#include <array>
#include <cstdint>

#include "player/NandChip.h"
#include "player/PlayerContext.h"

// Status bits of a byte B shown in read mode; bits 0 to 2 are not driven and read as 1.
// Upper half (control 0x00): bit 4 = B7, bit 5 = B6, bit 6 = B5, bit 7 = NOT B4.
// Lower half (control 0x04): bit 4 = B3, bit 5 = B2, bit 6 = B1, bit 7 = NOT B0.
constexpr std::array<uint8_t, 256> MakeStatusNibbles(bool upper)
{
    std::array<uint8_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned n = upper ? b >> 4 : b & 0x0F;
        t[b] = static_cast<uint8_t>(0x07 | ((n >> 3) & 1) << 4 | ((n >> 2) & 1) << 5 | ((n >> 1) & 1) << 6 |
                                    ((n & 1) ^ 1) << 7);
    }
    return t;
}

class CPlayerController {
public:
    static constexpr int kChips = 5;  // 0 to 3 internal, 4 the card
    static constexpr uint8_t kRest = 0x04;

    explicit CPlayerController(CPlayerContext& ctx);

    void AttachChip(int number, CNandChip* chip) { m_chips[number] = chip; }
    // After power-up: asleep, no chip selected, control line at rest.
    void PowerOn();

    // A write to the control register; data is the data register's value.
    void Control(uint8_t value, uint8_t data)
    {
        const uint8_t old = m_control;
        m_control = value;
        if ((old ^ value) == 0x04 && (value & 0xFB) == 0) {
            if (m_mode == EMode::Stream) {
                m_selected->DataIn(data);
                return;
            }
            if (m_mode == EMode::Read) {
                if (value == 0x00) {
                    const uint8_t b = m_selected->DataOut();
                    m_status = kUpper[b];
                    m_lower = kLower[b];
                } else {
                    m_status = m_lower;
                }
                return;
            }
        }
        ControlSlow(old, value, data);
    }

    // Status register bits 4 to 7 (the nibble shown) and 0 to 2; bit 3 is the
    // selected chip's ready line, which the player adds.
    uint8_t StatusBits() const { return m_status; }
    const CNandChip& Selected() const { return *m_selected; }
    uint8_t ControlValue() const { return m_control; }
    bool Awake() const { return m_awake; }

private:
    enum class EMode { Command, Stream, Read };
    enum class EStrobe { Command, Data };

    static constexpr std::array<uint8_t, 256> kUpper = MakeStatusNibbles(true);
    static constexpr std::array<uint8_t, 256> kLower = MakeStatusNibbles(false);

    void ControlSlow(uint8_t old, uint8_t value, uint8_t data);
    void OnCommand(uint8_t b);
    void OnData(uint8_t b);
    void WakeStep(EStrobe kind, uint8_t b);
    void Select(uint8_t chip);
    void Violation(const char* format, uint8_t b);

    CPlayerContext& m_ctx;
    CNandChip m_none;                 // answers for an empty place: reads 0xFF, always ready
    CNandChip* m_chips[kChips] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    CNandChip* m_selected = &m_none;
    uint8_t m_control = kRest;
    EMode m_mode = EMode::Command;
    uint8_t m_command = 0;            // last controller command
    int m_dataCount = 0;              // data strobes since that command
    bool m_awake = false;
    int m_wake = 0;                   // steps of the wake-up sequence seen so far
    uint8_t m_status = 0;
    uint8_t m_lower = 0;
};
