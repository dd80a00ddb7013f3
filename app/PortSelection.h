// SPDX-License-Identifier: GPL-3.0-or-later
// Chooses the printer-port backend for this run, once, when the session first
// asks for it: the virtual player when the command line asks for one; else
// direct IN/OUT when the process may use them; else the inpout32.dll driver on
// NT-family Windows when the DLL is present. When none can reach the port it
// says so once, and the search for the player then finds nothing.
#pragma once

#include "device/PortProvider.h"
#include "port/PortOptions.h"

#include <memory>
#include <string>

class CVirtualPlayer;

class CAppPortProvider : public CPortProvider {
public:
    explicit CAppPortProvider(const SPortOptions& options);
    ~CAppPortProvider() override;
    CAppPortProvider(const CAppPortProvider&) = delete;
    CAppPortProvider& operator=(const CAppPortProvider&) = delete;

    CPortIO* GetPortIO() override;

    // The virtual player, when one is attached (after the first GetPortIO).
    CVirtualPlayer* VirtualPlayer() const { return m_player; }
    // Which backend was chosen: "virtual", "direct", "inpout32" or "none".
    const char* BackendName() const { return m_backendName; }

    // The message shown when no backend can reach the port.
    static const char* const kNoPortMessage;

protected:
    // Shown once; tests override it to record the text instead of blocking.
    virtual void ShowMessage(const std::string& text);

private:
    CPortIO* Choose();

    SPortOptions m_options;
    bool m_chosen = false;
    std::unique_ptr<CPortIO> m_port;
    CVirtualPlayer* m_player = nullptr;
    bool m_waitingForPlug = false;   // unplugged until the marker file appears
    const char* m_backendName = "none";
};
