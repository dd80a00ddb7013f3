// SPDX-License-Identifier: GPL-3.0-or-later
// The printer port on Linux through the ppdev driver (/dev/parportN): the port
// is claimed when it is opened and released when the object goes (every exit
// path of the program ends there; a killed process has its claim released by
// the kernel when the file closes). The three registers map to ioctls: data
// written with PPWDATA, status read with PPRSTATUS, control written with
// PPWCONTROL (reads of data and control with PPRDATA and PPRCONTROL). ppdev
// passes the values through unchanged on PC-style ports, so the device link's
// register values are the ones that reach the port.
//
// The system calls go through CPpdevCalls, so that tests can record the ioctl
// sequence and answer it from a virtual player.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "port/PortIO.h"

class CPpdevCalls {
public:
    virtual ~CPpdevCalls() = default;
    // open(2) read-write: a descriptor, or -1 with errno set.
    virtual int Open(const char* path) = 0;
    // ioctl(2): 0 on success, -1 with errno set.
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void Close(int fd) = 0;
};

// The real system calls.
CPpdevCalls& SystemPpdevCalls();

class CPpdevPortIO : public CPortIO {
public:
    // The device link addresses the registers as base .. base + 2; any other
    // address reads as nothing attached and is not written.
    CPpdevPortIO(CPpdevCalls& calls, uint16_t base);
    ~CPpdevPortIO() override;
    CPpdevPortIO(const CPpdevPortIO&) = delete;
    CPpdevPortIO& operator=(const CPpdevPortIO&) = delete;

    // Opens the device file and claims the port; false with the reason.
    bool Open(const std::string& path, std::string& error);
    // Releases the port and closes the file; harmless when not open.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    void PortWrite(uint16_t address, uint8_t value) override;
    uint8_t PortRead(uint16_t address) override;
    int MilliClock() override;

    // The first ioctl that failed after Open (empty when none): register
    // access cannot report failure, so it is kept for the caller to show.
    const std::string& Failure() const { return m_failure; }

    static constexpr uint8_t kNothing = 0x7F;   // what an empty port reads as

private:
    void NoteFailure(const char* what);

    CPpdevCalls& m_calls;
    uint16_t m_base;
    int m_fd = -1;
    bool m_claimed = false;
    std::string m_failure;
    std::chrono::steady_clock::time_point m_start;
};
