// SPDX-License-Identifier: GPL-3.0-or-later
// A recording, scripted stand-in for the printer port, for the unit tests of
// CRioDevice. It logs every register access, runs a clock that advances on
// each MilliClock call, and decodes the strobes loosely enough to answer
// reads: identification bytes, pages that were programmed (AND into erased
// 0xFF), and a ready bit that tests can hold low at chosen busy phases.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "port/PortIO.h"

struct PortAccess {
    char kind;          // 'W' or 'R'
    uint16_t address;
    uint8_t value;      // value written; reads are compared by address only
    bool operator==(const PortAccess& o) const
    {
        return kind == o.kind && address == o.address && (kind == 'R' || value == o.value);
    }
};

// Busy phases after which the device polls the ready bit.
enum class BusyPhase { Erase, Program, ReadAddress, PageRead };

class CFakePort : public CPortIO {
public:
    explicit CFakePort(uint16_t base = 888) : m_base(base) {}

    // --- what tests set up
    bool logging = true;
    bool attached = true;                      // false: status reads 0x7F
    std::deque<uint8_t> statusScript;          // consumed first by status reads
    int clock = 0;
    int clockStep = 1;                         // ms added per MilliClock call
    uint8_t maker[5] = {0xEC, 0xEC, 0xEC, 0xEC, 0xEC};
    uint8_t device[5] = {0xE6, 0xE6, 0xE6, 0xE6, 0x00};   // chip 4 absent
    // Decides whether the chip stays busy for good after the n-th (from 0)
    // busy phase of its kind; it is ready again at the next command.
    std::function<bool(BusyPhase, int n)> stuck;
    // Filters each programmed byte (weak or bad cells): chip, page of chip, index.
    std::function<uint8_t(int chip, int page, int index, uint8_t v)> programFilter;

    // --- what tests read back
    std::vector<PortAccess> log;
    int clockCalls = 0;
    int phaseCount[4] = {};
    std::map<uint32_t, std::vector<uint8_t>> pages;   // key: chip << 16 | page of chip

    static uint32_t Key(int chip, int page) { return uint32_t(chip) << 16 | uint32_t(page); }
    // 528 bytes of a page (data and spare), 0xFF when erased.
    std::vector<uint8_t> Page(int chip, int page) const
    {
        auto it = pages.find(Key(chip, page));
        return it == pages.end() ? std::vector<uint8_t>(528, 0xFF) : it->second;
    }
    int Count(char kind, int offset) const
    {
        int n = 0;
        for (const PortAccess& a : log)
            n += a.kind == kind && a.address == m_base + offset;
        return n;
    }

    void PortWrite(uint16_t address, uint8_t value) override
    {
        if (logging)
            log.push_back({'W', address, value});
        if (address == m_base)
            m_dataReg = value;
        else if (address == m_base + 2)
            Control(value);
    }
    uint8_t PortRead(uint16_t address) override
    {
        if (logging)
            log.push_back({'R', address, 0});
        if (address != m_base + 1)
            return 0xFF;
        if (!statusScript.empty()) {
            const uint8_t v = statusScript.front();
            statusScript.pop_front();
            return v;
        }
        if (!attached)
            return 0x7F;
        uint8_t s = m_stuck ? 0x00 : 0x08;
        if (m_reading) {
            // control 0x00 shows the upper half, 0x04 the lower; bit 7 inverted.
            const uint8_t b = m_readValue;
            const int hi = (m_control & 0x04) == 0;
            const uint8_t n = hi ? uint8_t(b >> 4) : uint8_t(b & 0x0F);
            s |= uint8_t(((n >> 3) & 1) << 4 | ((n >> 2) & 1) << 5 | ((n >> 1) & 1) << 6 | ((~n & 1) << 7));
        }
        return s;
    }
    int MilliClock() override
    {
        ++clockCalls;
        const int now = clock;
        clock = int(unsigned(clock) + unsigned(clockStep));
        return now;
    }

private:
    void Busy(BusyPhase p)
    {
        const int n = phaseCount[int(p)]++;
        m_stuck = stuck && stuck(p, n);
    }
    int PageOfChip() const { return m_addr[1] | m_addr[2] << 8; }

    void Control(uint8_t v)
    {
        const uint8_t old = m_control;
        m_control = v;
        if ((v & 0x08) && !(old & 0x08)) {
            Command(m_dataReg);
            return;
        }
        if ((v ^ old) & 0x04) {
            const bool falling = !(v & 0x04);
            if (m_streaming)
                Stream(m_dataReg);
            else if (m_reading && falling)
                m_readValue = NextReadByte();
            else if (!m_reading && falling)
                Data(m_dataReg);
        }
    }
    void Command(uint8_t c)
    {
        m_command = c;
        m_stuck = false;
        m_streaming = c == 0xA3;
        m_reading = c == 0xA0;
        m_nAddr = 0;
        if (c == 0xA3)
            m_stream.clear();
        if (c == 0xA0) {
            m_readIndex = 0;
            if (m_flash == 0x00)
                m_readPage = Page(m_chip, PageOfChip());
        }
    }
    void Data(uint8_t d)
    {
        if (m_command == 0xAB) {
            m_chip = d;
        } else if (m_command == 0xA1) {
            if (d == 0xD0) {
                const int unit = m_chip == 4 ? 32 : 16;
                for (int i = 0; i < unit; ++i)
                    pages.erase(Key(m_chip, PageOfChip() + i));
                Busy(BusyPhase::Erase);
            } else if (d == 0x10) {
                std::vector<uint8_t> cur = Page(m_chip, PageOfChip());
                for (size_t i = 0; i < m_stream.size() && i < cur.size(); ++i) {
                    uint8_t b = m_stream[i];
                    if (programFilter)
                        b = programFilter(m_chip, PageOfChip(), int(i), b);
                    cur[i] &= b;
                }
                pages[Key(m_chip, PageOfChip())] = cur;
                Busy(BusyPhase::Program);
            } else {
                m_flash = d;
            }
        } else if (m_command == 0xA2 && m_nAddr < 3) {
            m_addr[m_nAddr++] = d;
            // Erase takes two address bytes (no column), program and read three.
            if (m_flash == 0x60 && m_nAddr == 2) {
                m_addr[2] = m_addr[1];
                m_addr[1] = m_addr[0];
            }
            if (m_flash == 0x00 && m_nAddr == 3)
                Busy(BusyPhase::ReadAddress);
        }
    }
    void Stream(uint8_t d) { m_stream.push_back(d); }
    uint8_t NextReadByte()
    {
        const int i = m_readIndex++;
        if (m_flash == 0x90)
            return i == 0 ? maker[m_chip % 5] : i == 1 ? device[m_chip % 5] : 0xFF;
        if (m_flash == 0x00) {
            const uint8_t v = m_readPage[size_t(i % 528)];
            if (i == 527)
                Busy(BusyPhase::PageRead);
            return v;
        }
        return 0xC0;    // flash status: ready, not protected
    }

    uint16_t m_base;
    uint8_t m_dataReg = 0;
    uint8_t m_control = 0x04;
    uint8_t m_command = 0;
    uint8_t m_flash = 0xFF;
    uint8_t m_chip = 0;
    uint8_t m_addr[3] = {};
    int m_nAddr = 0;
    bool m_streaming = false;
    bool m_reading = false;
    bool m_stuck = false;
    uint8_t m_readValue = 0xFF;
    int m_readIndex = 0;
    std::vector<uint8_t> m_stream;
    std::vector<uint8_t> m_readPage;
};
