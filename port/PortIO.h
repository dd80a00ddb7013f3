// SPDX-License-Identifier: GPL-3.0-or-later
// The printer-port seam: the device link reaches the player only through these
// three calls. Backends: the virtual player (tests, demonstrations), direct
// IN/OUT instructions, and the inpout32 driver DLL on NT-family Windows.
#pragma once
#include <cstdint>

class CPortIO {
public:
    virtual ~CPortIO() = default;
    virtual void PortWrite(uint16_t address, uint8_t value) = 0;
    virtual uint8_t PortRead(uint16_t address) = 0;
    virtual int MilliClock() = 0;      // milliseconds since start
};
