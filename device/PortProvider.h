// SPDX-License-Identifier: GPL-3.0-or-later
// Supplies the printer-port backend that the session creates its device object on.
// The backend is chosen once per run (virtual player, direct IN/OUT, driver DLL);
// when none can reach the port the provider answers null, and the search for the
// player then finds nothing.
#pragma once
#include "port/PortIO.h"

class CPortProvider {
public:
    virtual ~CPortProvider() = default;
    // The backend, owned by the provider and alive as long as the provider;
    // null when no backend can reach the printer port.
    virtual CPortIO* GetPortIO() = 0;
};

// A provider around one backend that the caller keeps alive.
class CFixedPortProvider : public CPortProvider {
public:
    explicit CFixedPortProvider(CPortIO* port) : m_port(port) {}
    CPortIO* GetPortIO() override { return m_port; }

private:
    CPortIO* m_port;
};
