// SPDX-License-Identifier: GPL-3.0-or-later
// Raw register traffic for the player's own tests: the strobes of the printer-port
// protocol written by hand, so that the player is checked without the device object
// and single strobes can be put in the wrong order on purpose.
#pragma once
#include <cstdint>
#include <vector>

#include "player/VirtualPlayer.h"

// A player that is ready at once, with a fixed format time: register-level tests
// look at traffic and contents, not at busy times.
inline SPlayerOptions QuickPlayer()
{
    SPlayerOptions o;
    o.readyAtOnce = true;
    o.formatTime = 1000000000;
    return o;
}

class CPortHost {
public:
    explicit CPortHost(CPortIO& port, uint16_t base = 888) : m_port(port), m_base(base) {}

    void Data(uint8_t b) { m_port.PortWrite(m_base, b); }
    void Ctl(uint8_t v) { m_port.PortWrite(static_cast<uint16_t>(m_base + 2), v); }
    uint8_t Status() { return m_port.PortRead(static_cast<uint16_t>(m_base + 1)); }
    void Cmd(uint8_t b) { Data(b); Ctl(0x0C); Ctl(0x04); }
    void Dat(uint8_t b) { Data(b); Ctl(0x00); Ctl(0x04); }

    void Wake()
    {
        Ctl(0x04);
        Cmd(0xA8); Ctl(0x00); Ctl(0x04);
        Cmd(0xAD); Dat(0x55);
        Cmd(0xAE); Dat(0xAA);
        Cmd(0xA8); Ctl(0x00); Ctl(0x04);
    }
    void Release() { Cmd(0xAD); Dat(0xFF); Data(0x00); }

    // One byte in read mode, decoded from the two status nibbles.
    uint8_t ReadByte()
    {
        Ctl(0x00);
        const uint8_t s1 = Status();
        Ctl(0x04);
        const uint8_t s2 = Status();
        const uint8_t v = static_cast<uint8_t>(((s1 ^ 0x8F) >> 4) | ((s2 ^ 0x8F) & 0xF0));
        uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            if (v & (1 << i))
                r = static_cast<uint8_t>(r | (0x80 >> i));
        return r;
    }
    bool Ready() { return (Status() & 0x08) != 0; }
    // Polls the ready bit at most `polls` times.
    bool WaitReady(int polls = 100000)
    {
        for (int i = 0; i < polls; ++i)
            if (Ready())
                return true;
        return false;
    }

    void Select(uint8_t chip) { Cmd(0xAB); Dat(chip); }
    void Flash(uint8_t code) { Cmd(0xA1); Dat(code); }
    void Identify(uint8_t chip, uint8_t* maker, uint8_t* device)
    {
        Select(chip);
        Flash(0x90);
        Cmd(0xA2); Dat(0x00);
        Cmd(0xA0);
        *maker = ReadByte();
        *device = ReadByte();
    }
    void Erase(uint8_t chip, uint32_t row)
    {
        Select(chip);
        Flash(0x60);
        Cmd(0xA2); Dat(static_cast<uint8_t>(row)); Dat(static_cast<uint8_t>(row >> 8));
        Flash(0xD0);
    }
    // Programs n bytes from column 0, streamed with alternating edges.
    void Program(uint8_t chip, uint32_t row, const uint8_t* bytes, int n)
    {
        Select(chip);
        Flash(0x80);
        Cmd(0xA2); Dat(0x00); Dat(static_cast<uint8_t>(row)); Dat(static_cast<uint8_t>(row >> 8));
        Cmd(0xA3);
        for (int i = 0; i < n; ++i) {
            Data(bytes[i]);
            Ctl(i % 2 == 0 ? 0x00 : 0x04);
        }
        Flash(0x10);
    }
    std::vector<uint8_t> Read(uint8_t chip, uint32_t row, int n = 528)
    {
        Select(chip);
        Flash(0x00);
        Cmd(0xA2); Dat(0x00); Dat(static_cast<uint8_t>(row)); Dat(static_cast<uint8_t>(row >> 8));
        WaitReady();
        Cmd(0xA0);
        std::vector<uint8_t> out(static_cast<size_t>(n));
        for (uint8_t& b : out)
            b = ReadByte();
        return out;
    }

private:
    CPortIO& m_port;
    uint16_t m_base;
};
