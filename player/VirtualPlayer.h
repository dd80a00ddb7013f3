// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual player behind a printer port: the controller and the flash chips of
// the real player at the level of single register reads and writes, so that the
// device link is tested on the exact traffic it produces. It sits at one port
// base; every other address reads as nothing attached (0x7F), and so does the
// player itself after a power cut until it is reconnected.
//
// Chips 0 to 3 are the internal memory (8 MB each, or 16 MB each for a 64 MB
// player), chip 4 the card (any size of the identification table, or none). Time
// is modelled (see CMilliClock); faults come from the fault plan; whatever breaks
// the protocol is logged (see ProtocolErrors and Log).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "player/FlashImage.h"
#include "player/NandChip.h"
#include "player/PlayerContext.h"
#include "player/PlayerController.h"
#include "port/PortIO.h"

struct SPlayerOptions {
    uint16_t base = 888;          // 888 (0x378) or 632 (0x278)
    bool largeChips = false;      // 4 x 16 MB (code 0x73) instead of 4 x 8 MB (code 0xE6)
    uint8_t cardCode = 0;         // device code of the card; 0: no card (a code outside the
                                  // identification table gives a 2 MB card that answers with it)
    uint8_t maker = 0xEC;
    std::string imageDir;         // "": images in RAM only; else internal.img and card.img there
    bool readyAtOnce = false;     // no busy times (register traffic counts)
    SBusyTimes busy;
    bool realTime = false;        // pace modelled time to real time
    int clockStartMs = 0;
    uint32_t seed = 1;
    uint32_t formatTime = 0;      // directory time of a new image; 0: now
};

class CVirtualPlayer : public CPortIO {
public:
    static constexpr uint8_t kNothing = 0x7F;

    explicit CVirtualPlayer(const SPlayerOptions& options = SPlayerOptions());
    ~CVirtualPlayer() override;
    CVirtualPlayer(const CVirtualPlayer&) = delete;
    CVirtualPlayer& operator=(const CVirtualPlayer&) = delete;

    // Empty when the image files were opened or created.
    std::string ImageError() const;

    // The hot path: the access counters, then the register. Events (a planned
    // power cut, pacing) are handled out of line so that this stays lean.
    void PortWrite(uint16_t address, uint8_t value) override
    {
        ++m_writes;
        if (Tick())
            return WriteAfterEvent(address, value);
        WriteRegister(address, value);
    }

    uint8_t PortRead(uint16_t address) override
    {
        ++m_reads;
        if (Tick())
            return ReadAfterEvent(address);
        return ReadRegister(address);
    }

    int MilliClock() override;

    // Power: after a cut the player reads as nothing attached until Reconnect,
    // which powers it up asleep with all chips idle. The images keep what was stored.
    void CutPower();
    void Reconnect();
    bool Powered() const { return m_ctx.powered; }
    bool Awake() const { return m_controller.Awake(); }

    void SetReadyAtOnce(bool on);
    void SetBusyTimes(const SBusyTimes& busy);
    void SetRealTime(bool on) { m_ctx.clock.SetRealTime(on); }

    CFaultPlan& Faults() { return m_ctx.faults; }
    const CPlayerLog& Log() const { return m_ctx.log; }
    CPlayerLog& Log() { return m_ctx.log; }
    size_t ProtocolErrors() const { return m_ctx.log.Count(EPlayerEvent::Protocol); }
    // Blocks of a memory erased or programmed since the last ClearWritten.
    const std::set<uint32_t>& Written(EMemory memory) const { return m_ctx.written[static_cast<int>(memory)]; }
    void ClearWritten() { m_ctx.written[0].clear(); m_ctx.written[1].clear(); }

    // Counters: register writes and reads since the last ResetCounters; the
    // access index (used by power cuts and the log) and modelled time never reset.
    uint64_t Writes() const { return m_writes; }
    uint64_t Reads() const { return m_reads; }
    uint64_t ClockCalls() const { return m_clockCalls; }
    uint64_t Accesses() const { return m_ctx.accesses; }
    uint64_t Micros() const { return m_ctx.clock.Micros(); }
    void ResetCounters() { m_writes = m_reads = m_clockCalls = 0; }

    // Direct access to the memories for tests.
    bool HasCard() const { return m_card.Pages() != 0; }
    CFlashImage& Image(EMemory memory) { return memory == EMemory::Card ? m_card : m_internal; }
    const uint8_t* Page(EMemory memory, uint32_t page) { return Image(memory).Page(page); }
    // For tests that damage stored data on purpose (written through to the file).
    uint8_t* MutablePage(EMemory memory, uint32_t page) { return Image(memory).MutablePage(page); }
    CFlashImage::Snapshot TakeSnapshot(EMemory memory) { return Image(memory).TakeSnapshot(); }
    // Puts a snapshot back; the chips forget what they were reading.
    bool Restore(EMemory memory, const CFlashImage::Snapshot& snapshot);
    CNandChip& Chip(int number) { return *m_chips[number]; }
    // 32 KB blocks of a memory (0 for a missing card).
    uint32_t Blocks(EMemory memory) const;
    const SPlayerOptions& Options() const { return m_options; }

    // Pages of a card device code; 0 for a code not in the identification table.
    static uint32_t CardPages(uint8_t deviceCode);

private:
    // One modelled microsecond; true when an event is due at this access.
    bool Tick()
    {
        m_ctx.clock.Tick();
        return ++m_ctx.accesses > m_ctx.faults.CutAfter() || m_ctx.clock.RealTime();
    }
    void WriteRegister(uint16_t address, uint8_t value)
    {
        if (!m_ctx.powered)
            return;
        const uint16_t offset = static_cast<uint16_t>(address - m_options.base);
        if (offset == 0)
            m_data = value;
        else if (offset == 2)
            m_controller.Control(value, m_data);
    }
    uint8_t ReadRegister(uint16_t address) const
    {
        if (!m_ctx.powered)
            return kNothing;
        const uint16_t offset = static_cast<uint16_t>(address - m_options.base);
        if (offset == 1) {
            const bool ready = m_ctx.clock.Micros() >= m_controller.Selected().ReadyAt();
            return static_cast<uint8_t>(m_controller.StatusBits() | (ready ? 0x08 : 0x00));
        }
        if (offset == 0)
            return m_data;
        if (offset == 2)
            return m_controller.ControlValue();
        return kNothing;
    }
    void WriteAfterEvent(uint16_t address, uint8_t value);
    uint8_t ReadAfterEvent(uint16_t address);
    void OnEvent();

    SPlayerOptions m_options;
    CPlayerContext m_ctx;
    CFlashImage m_internal;
    CFlashImage m_card;
    std::unique_ptr<CNandChip> m_chips[CPlayerController::kChips];
    CPlayerController m_controller;
    uint8_t m_data = 0;
    uint64_t m_writes = 0;
    uint64_t m_reads = 0;
    uint64_t m_clockCalls = 0;
};
