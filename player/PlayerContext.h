// SPDX-License-Identifier: GPL-3.0-or-later
// What the parts of one virtual player share: the modelled clock, the register
// access counter, the power state, the busy times, the fault plan and the log.
// Each player owns one; nothing is global.
#pragma once
#include <cstdint>
#include <set>

#include "player/FaultPlan.h"
#include "player/MilliClock.h"
#include "player/PlayerLog.h"

struct SBusyTimes {
    // Small-block NAND datasheet figures, in microseconds.
    uint32_t eraseUs = 2000;
    uint32_t programUs = 200;
    uint32_t readUs = 10;
};

class CPlayerContext {
public:
    CPlayerContext(int clockStartMs, uint32_t seed) : clock(clockStartMs), faults(seed) {}

    CMilliClock clock;
    uint64_t accesses = 0;      // register accesses so far; the current one's index
    bool powered = true;
    bool tearArmed = false;     // a torn-operation power cut waits for its operation
    SBusyTimes busy;
    CFaultPlan faults;
    CPlayerLog log;
    // The write log: the 32 KB blocks of each memory that an erase or a page
    // program touched, so that a test sees exactly what an operation wrote.
    std::set<uint32_t> written[2];

    void NoteWrite(EMemory memory, uint32_t page) { written[static_cast<int>(memory)].insert(page / 64); }

    uint64_t Now() const { return clock.Micros(); }
    void Note(EPlayerEvent kind, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    void CutPower(const char* why);
};
