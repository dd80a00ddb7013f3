// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PpdevPortIO.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

class CSystemPpdevCalls : public CPpdevCalls {
public:
    int Open(const char* path) override { return ::open(path, O_RDWR | O_CLOEXEC); }
    int Ioctl(int fd, unsigned long request, void* arg) override { return ::ioctl(fd, request, arg); }
    void Close(int fd) override { ::close(fd); }
};

enum { kData = 0, kStatus = 1, kControl = 2 };

}  // namespace

CPpdevCalls& SystemPpdevCalls()
{
    static CSystemPpdevCalls calls;
    return calls;
}

CPpdevPortIO::CPpdevPortIO(CPpdevCalls& calls, uint16_t base)
    : m_calls(calls), m_base(base), m_start(std::chrono::steady_clock::now())
{
}

CPpdevPortIO::~CPpdevPortIO()
{
    Close();
}

bool CPpdevPortIO::Open(const std::string& path, std::string& error)
{
    Close();
    m_failure.clear();
    m_fd = m_calls.Open(path.c_str());
    if (m_fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (m_calls.Ioctl(m_fd, PPCLAIM, nullptr) != 0) {
        error = "cannot claim the printer port " + path + ": " + std::strerror(errno);
        m_calls.Close(m_fd);
        m_fd = -1;
        return false;
    }
    m_claimed = true;
    m_start = std::chrono::steady_clock::now();
    return true;
}

void CPpdevPortIO::Close()
{
    if (m_fd < 0)
        return;
    if (m_claimed)
        m_calls.Ioctl(m_fd, PPRELEASE, nullptr);
    m_claimed = false;
    m_calls.Close(m_fd);
    m_fd = -1;
}

void CPpdevPortIO::NoteFailure(const char* what)
{
    if (m_failure.empty())
        m_failure = std::string(what) + " failed: " + std::strerror(errno);
}

void CPpdevPortIO::PortWrite(uint16_t address, uint8_t value)
{
    if (m_fd < 0)
        return;
    const int offset = address - m_base;
    if (offset == kData) {
        if (m_calls.Ioctl(m_fd, PPWDATA, &value) != 0)
            NoteFailure("PPWDATA");
    } else if (offset == kControl) {
        if (m_calls.Ioctl(m_fd, PPWCONTROL, &value) != 0)
            NoteFailure("PPWCONTROL");
    }
}

uint8_t CPpdevPortIO::PortRead(uint16_t address)
{
    if (m_fd < 0)
        return kNothing;
    const int offset = address - m_base;
    unsigned long request;
    const char* name;
    if (offset == kStatus) {
        request = PPRSTATUS;
        name = "PPRSTATUS";
    } else if (offset == kData) {
        request = PPRDATA;
        name = "PPRDATA";
    } else if (offset == kControl) {
        request = PPRCONTROL;
        name = "PPRCONTROL";
    } else {
        return kNothing;
    }
    uint8_t value = kNothing;
    if (m_calls.Ioctl(m_fd, request, &value) != 0) {
        NoteFailure(name);
        return kNothing;
    }
    return value;
}

int CPpdevPortIO::MilliClock()
{
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now() - m_start).count());
}
