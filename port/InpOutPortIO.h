// SPDX-License-Identifier: GPL-3.0-or-later
// The printer port through the inpout32.dll driver DLL (its Inp32 and Out32
// functions), for NT-family Windows, where a program may not execute IN/OUT
// itself. The DLL is loaded at run time from the program's folder or the system's
// folder; without it, or without its driver, the backend is unavailable.
#pragma once

#include "port/PortIO.h"

#include <windows.h>

class CInpOutPortIO : public CPortIO {
public:
    CInpOutPortIO();
    ~CInpOutPortIO() override;
    CInpOutPortIO(const CInpOutPortIO&) = delete;
    CInpOutPortIO& operator=(const CInpOutPortIO&) = delete;

    // Whether the DLL was found and has both functions.
    bool IsLoaded() const { return m_inp != nullptr && m_out != nullptr; }

    void PortWrite(uint16_t address, uint8_t value) override;
    uint8_t PortRead(uint16_t address) override;
    int MilliClock() override;

private:
    using InpFunction = short(WINAPI*)(short address);
    using OutFunction = void(WINAPI*)(short address, short value);

    HMODULE m_module = nullptr;
    InpFunction m_inp = nullptr;
    OutFunction m_out = nullptr;
    DWORD m_start;
};
