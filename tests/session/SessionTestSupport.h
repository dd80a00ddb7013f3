// SPDX-License-Identifier: GPL-3.0-or-later
// Collaborators of the device session for tests: a message sink that records,
// a port with nothing attached, and a session that counts its device objects.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "device/MessageSink.h"
#include "device/PortProvider.h"
#include "device/RioSession.h"

class CRecordingSink : public CMessageSink {
public:
    void ShowError(const char* text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Status reads 0x7F, as on a port with no player; the clock advances one
// millisecond per access so that no wait can spin forever.
class CEmptyPort : public CPortIO {
public:
    void PortWrite(uint16_t address, uint8_t) override { ++writes; lastAddress = address; Tick(); }
    uint8_t PortRead(uint16_t address) override { ++reads; lastAddress = address; Tick(); return 0x7F; }
    int MilliClock() override { return m_ms; }
    long writes = 0;
    long reads = 0;
    uint16_t lastAddress = 0;

private:
    void Tick() { ++m_ms; }
    int m_ms = 0;
};

class CTestSession : public CRioSession {
public:
    using CRioSession::CRioSession;
    int devicesCreated = 0;

protected:
    std::unique_ptr<CRioDevice> CreateDevice(CPortIO& port) override {
        ++devicesCreated;
        return CRioSession::CreateDevice(port);
    }
};
