// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry point (compiled into Quavel.exe itself: the runtime looks
// for WinMain only after the libraries have been searched).
#include "app/QuavelApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine, int /*show*/)
{
    CQuavelApp app(instance, commandLine);
    return app.Run();
}
