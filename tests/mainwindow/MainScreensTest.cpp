// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window as the user sees it, checked pixel by pixel where
// the window draws itself (memory bar, file counter, status line), and saved as
// .BMP files when QUAVEL_SCREENSHOT_DIR names a folder (scripts/screenshots):
// the idle window with files, the window during a download, the offline window.
#include "tests/mainwindow/MainRig.h"

#include "device/RioSession.h"
#include "skin/SkinColours.h"
#include "win/Gdi.h"

namespace {

using namespace maintest;

// The window's rectangle of the screen, as 32-bit pixels.
struct SShot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;   // top-down, 0x00RRGGBB

    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return CLR_INVALID;
        const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    bool Contains(const RECT& area, COLORREF colour) const
    {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) == colour)
                    return true;
        return false;
    }
};

SShot Capture(HWND window)
{
    // Everything painted first: the window's thread paints before this returns.
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Settle(window);
    SShot shot;
    RECT rc{};
    ::GetWindowRect(window, &rc);
    shot.width = rc.right - rc.left;
    shot.height = rc.bottom - rc.top;
    if (shot.width <= 0 || shot.height <= 0)
        return shot;
    CWindowDC screen(nullptr);
    CMemoryDC memory(screen);
    CBitmap bitmap(::CreateCompatibleBitmap(screen, shot.width, shot.height));
    {
        CSelectObject select(memory, bitmap);
        ::BitBlt(memory, 0, 0, shot.width, shot.height, screen, rc.left, rc.top, SRCCOPY);
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = -shot.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    ::GetDIBits(memory, bitmap, 0, shot.height, shot.pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS);
    return shot;
}

// Saves the picture as a 24-bit .BMP file in QUAVEL_SCREENSHOT_DIR, when set.
void Keep(const SShot& shot, const char* name)
{
    const char* dir = std::getenv("QUAVEL_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0' || shot.width == 0)
        return;
    const DWORD stride = (static_cast<DWORD>(shot.width) * 3 + 3) & ~3u;
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * shot.height, 0);
    for (int y = 0; y < shot.height; ++y) {
        uint8_t* row = rows.data() + static_cast<size_t>(shot.height - 1 - y) * stride;
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t p = shot.pixels[static_cast<size_t>(y) * shot.width + x];
            row[3 * x] = static_cast<uint8_t>(p);
            row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        }
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(&file), reinterpret_cast<uint8_t*>(&file) + sizeof file);
    bytes.insert(bytes.end(), reinterpret_cast<uint8_t*>(&info), reinterpret_cast<uint8_t*>(&info) + sizeof info);
    bytes.insert(bytes.end(), rows.begin(), rows.end());
    WriteBytes(std::string(dir) + "\\" + name + ".bmp", bytes);
}

// The memory bar's filled part and the file counter's cells, in window pixels.
constexpr RECT kBarFill = {139, 201, 160, 210};
constexpr RECT kCounterCells = {49, 55, 81, 78};
constexpr COLORREF kBarGreen = RGB(0, 255, 0);
constexpr COLORREF kDownloadDigits = RGB(0, 255, 64);

class MainScreens : public MainWindowTest {};

TEST_F(MainScreens, IdleWithFilesDuringADownloadAndOffline)
{
    MakePlayer();
    Preload({"Morning Walk.mp3", "Printer Port Blues.mp3", "Flash Memory.mp3"}, 3 * 1024 * 1024);
    const std::string slow = MakePcFile("Slow Song.mp3", 40 * 32768, 7);
    CMainDlg window(ports);
    Run(window, [&](HWND main) {
        ::SetWindowPos(main, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_EQ(3, RowCount(main));
        // Idle: the bar shows the used memory, the counter nothing.
        SShot idle;
        EXPECT_TRUE(WaitUntil([&] {
            idle = Capture(main);
            return idle.Contains(kBarFill, kBarGreen);
        }));
        EXPECT_FALSE(idle.Contains(kCounterCells, RGB(255, 0, 128)));
        Keep(idle, "main-idle");

        // The initialize dialog: white text on the body colour.
        Click(main, IDC_MAIN_INIT);
        HWND init = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            init = wintest::FindProcessWindow(::GetCurrentProcessId(), "#32770", nullptr, main);
            return init != nullptr && ::GetDlgItem(init, IDC_INIT_CHECK) != nullptr;
        }));
        ::SetWindowPos(init, HWND_TOP, 16, 320, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        SShot question;
        EXPECT_TRUE(WaitUntil([&] {
            question = Capture(init);
            const RECT all{0, 0, question.width, question.height};
            return question.Contains(all, kBodyColour) && question.Contains(all, RGB(255, 255, 255));
        }));
        Keep(question, "init-dialog");
        Press(init, IDCANCEL);
        WaitUntil([&] { return !::IsWindow(init); });

        // During a download: the counter shows the file in the download colour.
        player->SetRealTime(true);
        DropOn(main, {slow});
        SShot busy;
        EXPECT_TRUE(WaitUntil([&] {
            busy = Capture(main);
            return busy.Contains(kCounterCells, kDownloadDigits) && IsShown(main, IDC_MAIN_LAMP_DOWNLOAD);
        }, 20000));
        Keep(busy, "main-downloading");
        player->SetRealTime(false);
        EXPECT_TRUE(WaitUntil([&] { return RowCount(main) == 4; }, 60000));
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });

    // Offline: no player, Cancel.
    ports.plugged = false;
    CMainDlg offline(ports);
    std::thread answer([&] {
        if (HWND box = WaitForBox("Quavel"))
            Press(box, IDCANCEL);
    });
    Run(offline, [&](HWND main) {
        answer.join();
        ::SetWindowPos(main, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        SShot shot;
        EXPECT_TRUE(WaitUntil([&] {
            shot = Capture(main);
            return IsShown(main, IDC_MAIN_LAMP_OFFLINE) && !shot.Contains(kBarFill, kBarGreen);
        }));
        Keep(shot, "main-offline");
        Click(main, IDC_MAIN_CLOSE);
        WaitUntil([&] { return !::IsWindow(main); });
    });
    if (answer.joinable())
        answer.join();
}

}  // namespace
