// SPDX-License-Identifier: GPL-3.0-or-later
// The port backends of NT-family Windows: the driver DLL against a stand-in
// DLL beside the test (used only while its driver is open, freed when it is
// not used), and direct IN/OUT at addresses the process may not use.
#include "port/DirectPortIO.h"
#include "port/InpOutPortIO.h"

#include <gtest/gtest.h>

namespace {

TEST(InpOutBackend, UsedOnlyWhileItsDriverIsOpen)
{
    ::SetEnvironmentVariableA("QUAVEL_FAKE_DRIVER", "closed");
    {
        CInpOutPortIO closed;
        EXPECT_FALSE(closed.IsLoaded());
        EXPECT_EQ(closed.PortRead(0x379), 0x7F);   // like a port with nothing attached
        closed.PortWrite(0x378, 0x55);
        EXPECT_EQ(::GetModuleHandleA("inpout32.dll"), nullptr);
    }
    ::SetEnvironmentVariableA("QUAVEL_FAKE_DRIVER", "open");
    {
        CInpOutPortIO open;
        ASSERT_TRUE(open.IsLoaded());
        open.PortWrite(0x378, 0xA5);
        EXPECT_EQ(open.PortRead(0x378), 0xA5);
        EXPECT_NE(::GetModuleHandleA("inpout32.dll"), nullptr);
    }
    EXPECT_EQ(::GetModuleHandleA("inpout32.dll"), nullptr);
}

// Under Wine a program may not execute IN/OUT at all: every address is one
// the process may not use. Reading and writing them must not fault.
TEST(DirectBackend, AnAddressTheProcessMayNotUseReadsAsNothingAttached)
{
    ASSERT_FALSE(CDirectPortIO::CanUse(0xD011));
    CDirectPortIO io;
    io.PortWrite(0xD010, 0x55);
    io.PortWrite(0xD012, 0x04);
    EXPECT_EQ(io.PortRead(0xD011), 0x7F);
    EXPECT_EQ(io.PortRead(0xD011), 0x7F);   // the answer is kept
}

}  // namespace
