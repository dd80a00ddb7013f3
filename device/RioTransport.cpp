// SPDX-License-Identifier: GPL-3.0-or-later
// Printer-port transport: strobes, byte reads, the ready wait, wake-up and
// release of the player's controller, and chip identification.
#include "device/RioDevice.h"

#include "playlist/PcFiles.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr unsigned kReadyTimeoutMs = 1000;

// Wake-up handshake bytes and the release byte, sent as DAT after kCmdLink and
// kCmdLinkCheck.
constexpr uint8_t kWakeFirst = 0x55;
constexpr uint8_t kWakeSecond = 0xAA;
constexpr uint8_t kRelease = 0xFF;

// Device codes of the identification table and their size in 512-byte pages.
int PagesOfDeviceCode(uint8_t code)
{
    switch (code) {
    case 0x64: case 0xEA: return 4096;
    case 0xE3: case 0xE5: return 8192;
    case 0xE6: return 16384;
    case 0x73: return 32768;
    case 0x75: return 65536;
    default: return 0;
    }
}

// Bit reversal of one byte by table, built once.
struct CReverseTable {
    uint8_t v[256];
    CReverseTable()
    {
        for (int i = 0; i < 256; ++i) {
            uint8_t r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b))
                    r |= uint8_t(0x80 >> b);
            v[i] = r;
        }
    }
};
const CReverseTable g_reverse;

} // namespace

CRioDevice::CRioDevice(CPortIO& port) : m_io(port), m_files(&SystemPcFiles()) {}

CRioDevice::~CRioDevice() = default;

void CRioDevice::SetError(int code, const char* format, ...)
{
    m_errorCode = code;
    va_list args;
    va_start(args, format);
    // vsnprintf cuts at the end of the storage and always terminates.
    vsnprintf(m_errorText, sizeof m_errorText, format, args);
    va_end(args);
}

std::unique_ptr<uint8_t[]> CRioDevice::AllocateBuffer(size_t size)
{
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

bool CRioDevice::SetPort(int base)
{
    m_base = base;
    m_data = uint16_t(base + kDataOffset);
    m_status = uint16_t(base + kStatusOffset);
    m_control = uint16_t(base + kControlOffset);
    return true;
}

void CRioDevice::Delay(int n)
{
    for (int i = 0; i < n; ++i)
        m_io.PortRead(m_status);
}

void CRioDevice::WriteCommand(uint8_t b)
{
    m_io.PortWrite(m_data, b);
    m_io.PortWrite(m_control, kCtlCommand);
    m_io.PortWrite(m_control, kCtlRest);
}

void CRioDevice::WriteData(uint8_t b)
{
    m_io.PortWrite(m_data, b);
    m_io.PortWrite(m_control, kCtlData);
    m_io.PortWrite(m_control, kCtlRest);
}

void CRioDevice::WriteStream(const uint8_t* bytes, int n)
{
    // One control edge per byte, falling and rising in turn, and one status
    // read to pace it.
    CPortIO& io = m_io;
    const uint16_t data = m_data, control = m_control, status = m_status;
    for (int i = 0; i < n; ++i) {
        io.PortWrite(data, bytes[i]);
        io.PortWrite(control, (i & 1) ? kCtlRest : kCtlData);
        io.PortRead(status);
    }
}

uint8_t CRioDevice::ReadByte()
{
    m_io.PortWrite(m_control, kCtlData);
    Delay(m_delayRx);
    const uint8_t s1 = m_io.PortRead(m_status);
    m_io.PortWrite(m_control, kCtlRest);
    Delay(m_delayRx);
    const uint8_t s2 = m_io.PortRead(m_status);
    // Status bits 4..7 carry a nibble each time; Busy (bit 7) reads inverted.
    const uint8_t v = uint8_t(((s1 ^ 0x8F) >> 4) | ((s2 ^ 0x8F) & 0xF0));
    return g_reverse.v[v];
}

bool CRioDevice::WaitReady()
{
    // Elapsed time as an unsigned difference, so that the wrap of the int
    // millisecond clock does not end (or stretch) the wait.
    const unsigned start = unsigned(m_io.MilliClock());
    for (;;) {
        if (m_io.PortRead(m_status) & kStatusReady)
            return true;
        if (unsigned(m_io.MilliClock()) - start >= kReadyTimeoutMs)
            return false;
    }
}

bool CRioDevice::OpenLink()
{
    m_io.PortWrite(m_control, kCtlRest);
    WriteCommand(kCmdWake);
    m_io.PortWrite(m_control, kCtlData);
    Delay(m_delayInit);
    m_io.PortWrite(m_control, kCtlRest);
    Delay(m_delayInit);
    WriteCommand(kCmdLink);
    WriteData(kWakeFirst);
    WriteCommand(kCmdLinkCheck);
    WriteData(kWakeSecond);
    WriteCommand(kCmdWake);
    m_io.PortWrite(m_control, kCtlData);
    Delay(m_delayInit);
    m_io.PortWrite(m_control, kCtlRest);
    Delay(m_delayInit);
    m_linkOpen = true;
    return true;
}

void CRioDevice::ReleaseLink()
{
    WriteCommand(kCmdLink);
    WriteData(kRelease);
    m_io.PortWrite(m_data, 0x00);
    m_linkOpen = false;
}

bool CRioDevice::IdentifyChip(int& pages)
{
    WriteCommand(kCmdSelect);
    WriteData(m_memory ? kCardChip : 0);
    WriteCommand(kCmdFlash);
    WriteData(kFlashIdentify);
    WriteCommand(kCmdAddress);
    WriteData(0x00);
    WriteCommand(kCmdRead);
    const uint8_t maker = ReadByte();
    const uint8_t device = ReadByte();
    pages = PagesOfDeviceCode(device);
    if (maker == 0x00 || maker == 0xA0 || maker == 0xAA || maker == 0xDD || maker == 0xFF || pages == 0) {
        SetError(kRioErrNotFound, "device not found");
        return false;
    }
    return true;
}

bool CRioDevice::Detect()
{
    int pages = 0;
    if (!OpenLink() || !IdentifyChip(pages))
        return false;
    if (m_memory)
        m_externalBlocks = pages / kRioPagesPerBlock;
    else if (pages == 32768)
        m_largeChip = 1;     // only ever set, never cleared
    m_chipPages[m_memory ? 1 : 0] = pages;
    return true;
}

// With nothing attached the status register reads 0x7F, whose ready bit is
// set: a player that lost its power takes every block "successfully" and
// reads as 0xFF bytes. Identifying the chip again after an operation's last
// block tells the two apart. While the link is open the identification alone
// answers; the wake-up sequence would add its four pacing delays, nearly all
// of a full Detect. Leaves "device not found" when nothing answers.
bool CRioDevice::PlayerAnswers()
{
    int pages = 0;
    if (!(m_linkOpen || OpenLink()) || !IdentifyChip(pages))
        return false;
    // A chip of another size is another card (or player): what was sent went
    // to a memory the directory image does not describe.
    const int known = m_memory && m_externalBlocks > 0 ? m_externalBlocks * kRioPagesPerBlock
                                                       : m_chipPages[m_memory ? 1 : 0];
    if (known != 0 && pages != known) {
        SetError(kRioErrNotFound, "device not found");
        return false;
    }
    return true;
}
