// SPDX-License-Identifier: GPL-3.0-or-later
// The printer port through the processor's IN and OUT instructions. Only a
// process that may execute them can use this backend: one that has been given
// I/O privilege (Quavel needs Windows Vista or later, where user programs have
// no port access of their own); CanUse() finds out without crashing.
#pragma once

#include "port/PortIO.h"

#include <vector>

class CDirectPortIO : public CPortIO {
public:
    CDirectPortIO();
    // An address this process may not use (a helper may have granted only some
    // addresses) reads 0x7F like a port with nothing attached, and takes no
    // writes; each address is tried once, at its first use.
    void PortWrite(uint16_t address, uint8_t value) override;
    uint8_t PortRead(uint16_t address) override;
    int MilliClock() override;

    // Whether this process may execute IN/OUT at the address. Tries one read of
    // the address and catches the fault of a privileged instruction.
    static bool CanUse(uint16_t address);

private:
    bool MayUse(uint16_t address);

    unsigned long m_start;
    std::vector<signed char> m_usable;   // per address: -1 not tried yet, 0 no, 1 yes
};
