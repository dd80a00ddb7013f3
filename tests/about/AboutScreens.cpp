// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the About box, as it shows on the screen, as a .BMP file
// in the folder named on the command line. scripts/screenshots runs it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/AboutDlg.h"
#include "tests/win/WinTestSupport.h"

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    InitCommonControlClasses();
    CAboutDlg about;
    if (!about.Create()) {
        std::fprintf(stderr, "About box did not open\n");
        return 1;
    }
    ::SetWindowPos(about.Handle(), HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::UpdateWindow(about.Handle());
    wintest::PumpFor(600);
    const std::string path = folder + "\\about.bmp";
    const bool saved = wintest::SaveWindowShot(about.Handle(), path);
    if (saved)
        std::printf("%s\n", path.c_str());
    ::DestroyWindow(about.Handle());
    return saved ? 0 : 1;
}
