// Saves a picture of the About box, as it shows on the screen, as a .BMP file
// in the folder named on the command line. scripts/screenshots runs it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "win/Gdi.h"

namespace {

void Pump(DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
}

// The window's screen rectangle (its shape shows as on screen) as a 24-bit .BMP.
bool SaveShot(HWND window, const std::string& path)
{
    RECT rc{};
    ::GetWindowRect(window, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return false;
    CWindowDC screen(nullptr);
    CMemoryDC memory(screen);
    CBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    {
        CSelectObject select(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    if (::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == 0)
        return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
    std::printf("%s: %d x %d\n", path.c_str(), width, height);
    return true;
}

}  // namespace

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
    Pump(600);
    const bool saved = SaveShot(about.Handle(), folder + "\\about.bmp");
    ::DestroyWindow(about.Handle());
    return saved ? 0 : 1;
}
