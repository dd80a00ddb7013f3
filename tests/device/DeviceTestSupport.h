// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the CRioDevice tests: the expected register traffic written out
// step by step, and small directory builders.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/RioDevice.h"
#include "tests/device/FakePort.h"
#include "tests/device/ProcessTempDir.h"

// Expected register traffic, built by hand from the protocol's strobe rules.
struct CTrace {
    explicit CTrace(uint16_t b = 888) : base(b) {}
    uint16_t base;
    std::vector<PortAccess> v;

    void Data(uint8_t x) { v.push_back({'W', base, x}); }
    void Ctl(uint8_t x) { v.push_back({'W', uint16_t(base + 2), x}); }
    void Status(int n = 1) { for (int i = 0; i < n; ++i) v.push_back({'R', uint16_t(base + 1), 0}); }
    void Cmd(uint8_t b) { Data(b); Ctl(0x0C); Ctl(0x04); }
    void Dat(uint8_t b) { Data(b); Ctl(0x00); Ctl(0x04); }
    void Stream(const uint8_t* p, int n)
    {
        for (int i = 0; i < n; ++i) { Data(p[i]); Ctl(i % 2 ? 0x04 : 0x00); Status(); }
    }
    void ReadByte(int delayRx) { Ctl(0x00); Status(delayRx + 1); Ctl(0x04); Status(delayRx + 1); }
    void OpenLink(int d)
    {
        Ctl(0x04);
        Cmd(0xA8); Ctl(0x00); Status(d); Ctl(0x04); Status(d);
        Cmd(0xAD); Dat(0x55);
        Cmd(0xAE); Dat(0xAA);
        Cmd(0xA8); Ctl(0x00); Status(d); Ctl(0x04); Status(d);
    }
    void StatusStrobe(int d) { Cmd(0xA1); Dat(0x70); Cmd(0xA0); Ctl(0x00); Status(d); Ctl(0x04); Status(d); }
    void Release() { Cmd(0xAD); Dat(0xFF); Data(0x00); }
};

// Index of the first difference between two traces (or the shorter length).
inline size_t FirstDifference(const std::vector<PortAccess>& a, const std::vector<PortAccess>& b)
{
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}

#define EXPECT_TRACE(expected, actual)                                                        \
    do {                                                                                      \
        const size_t at_ = FirstDifference(expected, actual);                                 \
        EXPECT_EQ((expected).size(), (actual).size());                                       \
        if (at_ < (expected).size() && at_ < (actual).size())                                 \
            ADD_FAILURE() << "traffic differs at access " << at_ << ": expected "             \
                          << (expected)[at_].kind << " " << (expected)[at_].address << " "    \
                          << int((expected)[at_].value) << ", got " << (actual)[at_].kind     \
                          << " " << (actual)[at_].address << " " << int((actual)[at_].value); \
    } while (0)

// How often the log holds the release sequence (CMD 0xAD, DAT 0xFF).
inline int CountReleases(const std::vector<PortAccess>& log, uint16_t base = 888)
{
    CTrace t(base);
    t.Cmd(0xAD);
    t.Dat(0xFF);
    int n = 0;
    for (size_t i = 0; i + t.v.size() <= log.size(); ++i)
        n += std::equal(t.v.begin(), t.v.end(), log.begin() + long(i));
    return n;
}

// A directory image entry written straight into a device image.
inline void PutEntry(CRioDevice& dev, int slot, const char* name, uint16_t first, uint16_t blocks,
                     uint32_t size = 0)
{
    DirectoryEntry e;
    e.firstBlock = first;
    e.blocks = blocks;
    e.size = size ? size : uint32_t(blocks) * 32768u;
    e.SetName(name);
    e.Write(dev.EntrySlot(slot));
}

// Marks a chain of blocks used and linked, last link 0.
inline void PutChain(CRioDevice& dev, const std::vector<int>& blocks)
{
    for (size_t i = 0; i < blocks.size(); ++i) {
        dev.SetBlockState(blocks[i], kRioBlockUsed);
        dev.SetBlockLink(blocks[i], uint16_t(i + 1 < blocks.size() ? blocks[i + 1] : 0));
    }
}

// A temporary file removed at the end of the test.
// A device on the fake port with every delay at 0 and the traffic log off: for
// tests of what operations do to the directory and the stored pages.
struct CQuietDeviceTest : ::testing::Test {
    CFakePort port{888};
    CRioDevice dev{port};
    void SetUp() override
    {
        dev.SetPort(888);
        dev.SetIODelayInit(0);
        dev.SetIODelayTx(0);
        dev.SetIODelayRx(0);
        port.logging = false;
    }
    std::vector<uint8_t> Image() const { return std::vector<uint8_t>(dev.Directory(), dev.Directory() + kRioBlockSize); }
};

struct CTempFile {
    std::string path;
    explicit CTempFile(const std::string& name)
        : path(std::string(TempDir()) + name) { std::remove(path.c_str()); }
    ~CTempFile() { std::remove(path.c_str()); }
    static const char* TempDir() { return ProcessTempDir().c_str(); }
    void Write(const std::vector<uint8_t>& bytes) const
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::vector<uint8_t> Read() const
    {
        std::vector<uint8_t> out;
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f)
            return out;
        int c;
        while ((c = std::fgetc(f)) != EOF)
            out.push_back(uint8_t(c));
        std::fclose(f);
        return out;
    }
    bool Exists() const
    {
        FILE* f = std::fopen(path.c_str(), "rb");
        if (f)
            std::fclose(f);
        return f != nullptr;
    }
};
