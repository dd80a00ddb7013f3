// SPDX-License-Identifier: GPL-3.0-or-later
// The player's modelled time. Every register access costs one microsecond, as a
// real printer-port access roughly does, and so does every look at the clock, so
// that a busy-wait on the clock alone still moves time forward. Time-outs of
// seconds thus cost no real time in tests. Optional pacing keeps modelled time
// from running ahead of real time, for demonstrations.
#pragma once
#include <chrono>
#include <cstdint>

class CMilliClock {
public:
    // startMs: what Millis() answers at modelled time 0; a value near INT_MAX lets
    // tests run across the wrap of the millisecond counter.
    explicit CMilliClock(int startMs = 0) : m_startMs(static_cast<uint32_t>(startMs)) {}

    uint64_t Micros() const { return m_us; }
    void Tick() { ++m_us; }
    void Advance(uint64_t us) { m_us += us; }

    // Milliseconds since start, wrapping like a 32-bit counter.
    int Millis() const { return static_cast<int>(m_startMs + static_cast<uint32_t>(m_us / 1000)); }

    void SetRealTime(bool on);
    bool RealTime() const { return m_realTime; }
    // Sleeps while modelled time is ahead of real time since pacing began.
    void Pace();

private:
    uint64_t m_us = 0;
    uint32_t m_startMs;
    bool m_realTime = false;
    uint64_t m_paceStartUs = 0;
    std::chrono::steady_clock::time_point m_paceStart;
};
