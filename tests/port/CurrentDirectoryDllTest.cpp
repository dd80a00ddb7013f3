// SPDX-License-Identifier: GPL-3.0-or-later
// The driver DLL is never taken from the current directory: this test runs
// from a folder without the DLL, with the current directory set to the folder
// where the stand-in DLL lies.
#include "port/InpOutPortIO.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(InpOutBackend, NotLoadedFromTheCurrentDirectory)
{
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = self;
    folder = folder.substr(0, folder.find_last_of('\\'));          // ...\nodll
    folder = folder.substr(0, folder.find_last_of('\\'));          // the DLL's folder
    ASSERT_NE(::GetFileAttributesA((folder + "\\inpout32.dll").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::SetCurrentDirectoryA(folder.c_str()));
    ::SetEnvironmentVariableA("QUAVEL_FAKE_DRIVER", "open");
    CInpOutPortIO io;
    EXPECT_FALSE(io.IsLoaded());
    EXPECT_EQ(::GetModuleHandleA("inpout32.dll"), nullptr);
}

}  // namespace
