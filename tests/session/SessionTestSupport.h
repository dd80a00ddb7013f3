// Collaborators of the device session for tests: a message sink that records,
// a port with nothing attached, and a session whose device can be made to fail
// its work-buffer allocation.
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

// A device whose next allocations fail on request.
class CStarvedDevice : public CRioDevice {
public:
    using CRioDevice::CRioDevice;
    int failAllocations = 0;   // how many of the coming allocations fail
    int allocationsBeforeFailing = 0;

protected:
    std::unique_ptr<uint8_t[]> AllocateBuffer(size_t size) override {
        if (allocationsBeforeFailing > 0) {
            --allocationsBeforeFailing;
        } else if (failAllocations > 0) {
            --failAllocations;
            return nullptr;
        }
        return CRioDevice::AllocateBuffer(size);
    }
};

class CTestSession : public CRioSession {
public:
    using CRioSession::CRioSession;
    CStarvedDevice* Starved() { return static_cast<CStarvedDevice*>(GetDevice()); }
    int devicesCreated = 0;

protected:
    std::unique_ptr<CRioDevice> CreateDevice(CPortIO& port) override {
        ++devicesCreated;
        return std::make_unique<CStarvedDevice>(port);
    }
};
