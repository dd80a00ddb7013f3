// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/IopermPortIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(__linux__) && (defined(__i386__) || defined(__x86_64__))
#include <sys/io.h>
#define QUAVEL_HAVE_IOPERM 1
#endif

namespace {
constexpr unsigned kRegisters = 3;
constexpr uint8_t kNothing = 0x7F;
}  // namespace

CIopermPortIO::CIopermPortIO(uint16_t base) : m_base(base), m_start(std::chrono::steady_clock::now()) {}

CIopermPortIO::~CIopermPortIO()
{
#ifdef QUAVEL_HAVE_IOPERM
    if (m_open)
        ioperm(m_base, kRegisters, 0);
#endif
}

bool CIopermPortIO::Available()
{
#ifdef QUAVEL_HAVE_IOPERM
    return true;
#else
    return false;
#endif
}

bool CIopermPortIO::Open(std::string& error)
{
#ifdef QUAVEL_HAVE_IOPERM
    if (ioperm(m_base, kRegisters, 1) != 0) {
        char base[16];
        std::snprintf(base, sizeof base, "0x%X", m_base);
        error = std::string("ioperm(") + base + ") failed: " + std::strerror(errno) +
                " (direct port access needs root; --parport=/dev/parportN does not)";
        return false;
    }
    m_open = true;
    m_start = std::chrono::steady_clock::now();
    return true;
#else
    error = "direct port access (--port) needs an x86 Linux; use --parport=/dev/parportN";
    return false;
#endif
}

void CIopermPortIO::PortWrite(uint16_t address, uint8_t value)
{
#ifdef QUAVEL_HAVE_IOPERM
    if (Granted(address))
        outb(value, address);
#else
    (void)address;
    (void)value;
#endif
}

uint8_t CIopermPortIO::PortRead(uint16_t address)
{
#ifdef QUAVEL_HAVE_IOPERM
    if (Granted(address))
        return inb(address);
#else
    (void)address;
#endif
    return kNothing;
}

int CIopermPortIO::MilliClock()
{
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now() - m_start).count());
}
