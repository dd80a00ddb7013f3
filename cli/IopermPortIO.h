// SPDX-License-Identifier: GPL-3.0-or-later
// The printer port on Linux through the processor's IN and OUT instructions,
// after ioperm(2) has granted the three register addresses (root only, x86
// only). Addresses outside the granted three are never touched: an IN or OUT
// there would kill the process.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "port/PortIO.h"

class CIopermPortIO : public CPortIO {
public:
    explicit CIopermPortIO(uint16_t base);
    ~CIopermPortIO() override;
    CIopermPortIO(const CIopermPortIO&) = delete;
    CIopermPortIO& operator=(const CIopermPortIO&) = delete;

    // Asks for the three addresses; false with the reason.
    bool Open(std::string& error);

    void PortWrite(uint16_t address, uint8_t value) override;
    uint8_t PortRead(uint16_t address) override;
    int MilliClock() override;

    // Whether this build can use ioperm at all (x86 Linux).
    static bool Available();

private:
    bool Granted(uint16_t address) const { return m_open && address >= m_base && address - m_base < 3; }

    uint16_t m_base;
    bool m_open = false;
    std::chrono::steady_clock::time_point m_start;
};
