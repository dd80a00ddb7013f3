// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the printer-port driver DLL in the port backend tests: a byte
// per port address, and a driver that is open unless QUAVEL_FAKE_DRIVER says
// "closed".
#include <windows.h>

namespace {
unsigned char g_ports[0x10000];
}  // namespace

extern "C" __declspec(dllexport) short WINAPI Inp32(short address)
{
    return g_ports[static_cast<unsigned short>(address)];
}

extern "C" __declspec(dllexport) void WINAPI Out32(short address, short value)
{
    g_ports[static_cast<unsigned short>(address)] = static_cast<unsigned char>(value);
}

extern "C" __declspec(dllexport) BOOL WINAPI IsInpOutDriverOpen()
{
    char state[16] = "";
    ::GetEnvironmentVariableA("QUAVEL_FAKE_DRIVER", state, sizeof state);
    return lstrcmpA(state, "closed") != 0;
}
