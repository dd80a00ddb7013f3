// The driver DLL backend against a stand-in DLL beside the test: used only
// while its driver is open, and freed when it is not used.
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

}  // namespace
