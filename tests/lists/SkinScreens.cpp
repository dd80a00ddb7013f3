// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the skinned pieces one after another and saves a picture of each as a
// .BMP file in the folder named on the command line: the speed options dialog
// (default and mixed states), a sheet of every button face on the body colour,
// and a main-window preview with the file list (every picture the list uses),
// the counter and the memory bar on the main skin. scripts/screenshots runs it
// and turns the pictures into PNG files.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "device/OptionsDlg.h"
#include "playlist/FileListCtrl.h"
#include "res/resource.h"
#include "skin/Balken.h"
#include "skin/BitmapButton.h"
#include "skin/Led.h"
#include "skin/SkinColours.h"
#include "skin/SkinPaint.h"
#include "win/Dialog.h"
#include "win/Gdi.h"
#include "tests/win/WinTestSupport.h"

namespace {

std::string g_outDir;
int g_failures = 0;

void Shot(HWND window, const char* name)
{
    ::SetWindowPos(window, HWND_TOP, 16, 16, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::UpdateWindow(window);
    wintest::PumpFor(600);
    const std::string path = g_outDir + "\\" + name + ".bmp";
    if (wintest::SaveWindowShot(window, path)) {
        std::printf("%s\n", path.c_str());
    } else {
        std::fprintf(stderr, "no picture of %s\n", name);
        ++g_failures;
    }
}

// The options dialog with whatever the settings hold.
void ShootOptions(CMemorySettings& settings, const char* name)
{
    SetAppSettings(&settings);
    COptionsDlg dialog(nullptr);
    if (!dialog.Create()) {
        std::fprintf(stderr, "options dialog did not open\n");
        ++g_failures;
        return;
    }
    Shot(dialog.Handle(), name);
    ::DestroyWindow(dialog.Handle());
    wintest::PumpFor(100);
    SetAppSettings(nullptr);
}

// ---- Button sheet ---------------------------------------------------------------

const char* const kStems[] = {
    "ABOUT", "ADD", "CANCEL", "CLOSE", "DELETE", "DOWN", "DOWNP", "EXTFL", "FAST", "HELP",
    "HELPB", "INIT", "INTFL", "KESTRY", "MEDIUM", "MOVDOWN", "MOVUP", "NEW", "OK", "OPEN",
    "PLAYLST", "REFRESH", "REMOVE", "SAVE", "SAVEAS", "SETDEF", "SLOW", "UPLOAD",
};
constexpr int kSheetColumns = 2;
constexpr int kLabelWidth = 64;
constexpr int kFaceSlot = 112;
constexpr int kGap = 6;

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof info, &info) == 0)
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// Draws (or only measures, with dc null) the sheet: per stem its name, then
// the U, D and X faces; returns the height used.
int DrawSheet(HDC dc)
{
    const HINSTANCE instance = CDialog::ResourceInstance();
    const int perColumn = (static_cast<int>(sizeof kStems / sizeof kStems[0]) + kSheetColumns - 1) / kSheetColumns;
    int tallest = 0;
    for (int column = 0; column < kSheetColumns; ++column) {
        int y = kGap + 16;
        const int x0 = kGap + column * (kLabelWidth + 3 * kFaceSlot + 2 * kGap);
        for (int i = column * perColumn; i < (column + 1) * perColumn && i < static_cast<int>(sizeof kStems / sizeof kStems[0]); ++i) {
            int rowHeight = 14;
            const char* suffixes[] = {"U", "D", "X"};
            for (int f = 0; f < 3; ++f) {
                CBitmap face(::LoadBitmapA(instance, (std::string(kStems[i]) + suffixes[f]).c_str()));
                const SIZE size = BitmapSize(face);
                if (size.cy > rowHeight)
                    rowHeight = size.cy;
                if (dc != nullptr && face) {
                    CMemoryDC memory(dc);
                    CSelectObject select(memory, face);
                    ::BitBlt(dc, x0 + kLabelWidth + f * kFaceSlot, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
                }
            }
            if (dc != nullptr)
                ::TextOutA(dc, x0, y + 2, kStems[i], static_cast<int>(std::strlen(kStems[i])));
            y += rowHeight + kGap;
        }
        if (y > tallest)
            tallest = y;
    }
    if (dc != nullptr) {
        const char* heading = "faces:   up            down          disabled (X)";
        for (int column = 0; column < kSheetColumns; ++column)
            ::TextOutA(dc, kGap + column * (kLabelWidth + 3 * kFaceSlot + 2 * kGap), kGap - 2, heading,
                       static_cast<int>(std::strlen(heading)));
    }
    return tallest;
}

LRESULT CALLBACK SheetProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        CPaintDC dc(hWnd);
        RECT rc{};
        ::GetClientRect(hWnd, &rc);
        CBrush body(::CreateSolidBrush(kBodyColour));
        ::FillRect(dc, &rc, body);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kBodyTextWhite);
        CSelectObject font(dc, ::GetStockObject(ANSI_VAR_FONT));
        DrawSheet(dc);
        return 0;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

void ShootButtonSheet()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = SheetProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuavelButtonSheet";
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    ::RegisterClassA(&wc);
    const int width = kSheetColumns * (kLabelWidth + 3 * kFaceSlot + 2 * kGap);
    const int height = DrawSheet(nullptr) + kGap;
    HWND sheet = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 16, 16, width, height,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    if (sheet == nullptr) {
        ++g_failures;
        return;
    }
    Shot(sheet, "button-sheet");
    ::DestroyWindow(sheet);
    wintest::PumpFor(100);
}

// ---- Main-window preview ----------------------------------------------------------

// Template 102 with its bitmap buttons, the file list filled with a row for
// every picture, the counter at 7 and the bar at half.
class CMainPreview : public CDialog {
public:
    CMainPreview()
        : CDialog(IDD_MAIN), m_led(49, 55, 65, 78, 2), m_bar(138, 200, 464, 210, 100), m_brush(kBodyColour)
    {
        SetRegionPending(SkinnedWindow::Main);
        m_led.SetStyle(15);
        m_led.SetColour(255, 0, 128);
        m_led.SetValue(7);
        m_bar.SetStyle(WBalken::kSolidFill);
        m_bar.SetMaximum(326);
        m_bar.SetPosition(163);
    }

protected:
    bool OnInitDialog() override
    {
        const int buttons[] = {IDC_MAIN_ABOUT, IDC_MAIN_CLOSE, IDC_MAIN_HELP, IDC_MAIN_INIT,
                               IDC_MAIN_DOWNP, IDC_MAIN_DELETE, IDC_MAIN_UPLOAD, IDC_MAIN_REFRESH,
                               IDC_MAIN_PLAYLST, IDC_MAIN_INTFL, IDC_MAIN_EXTFL, IDC_MAIN_KESTRY};
        for (int i = 0; i < 12; ++i)
            m_buttons[i].AttachBitmapButton(buttons[i], m_hWnd);
        Item(IDC_MAIN_INTFL).SetButtonState(true);     // the internal memory is selected
        Item(IDC_MAIN_DELETE).EnableWindow(false);     // how a disabled face looks
        for (int lamp : {IDC_MAIN_LAMP_UPLOAD, IDC_MAIN_LAMP_DOWNLOAD, IDC_MAIN_LAMP_OFFLINE})
            Item(lamp).Show(false);
        SetDlgItemText(IDC_MAIN_STATUS, "Total: 32000 KB   Used: 16000 KB   Free: 16000 KB");
        // The progress bar lies over the memory bar; it is only wanted during transfers.
        Item(IDC_MAIN_PROGRESS).Show(false);

        m_list.SubclassDlgItem(IDC_MAIN_LIST, m_hWnd);
        m_list.SetupColumns(4);
        m_list.SetColumnWidth(0, 118);
        m_list.SetColumnWidth(3, 104);
        struct SRow {
            const char* name;
            const char* size;
            const char* bitrate;
        } rows[] = {
            {"LIVE.MP3", "4194304", "128"}, {"BACKUP.ZIP", "120333", ""}, {"README.TXT", "2048", ""},
            {"LETTER.DOC", "30720", ""},    {"PHOTO.JPG", "88000", ""},   {"Gone.mp3", "0", "0  "},
            {"TRACK.WAV", "500000", ""},
        };
        for (const SRow& r : rows) {
            auto entry = std::make_unique<CFileEntry>();
            entry->SetNumber(m_list.GetRowCount() + 1);
            entry->SetNameText(r.name);
            entry->SetSizeText(r.size);
            entry->SetBitrateText(r.bitrate);
            entry->SetDateTimeText("07/12/26 06:30:00");
            m_list.InsertEntry(m_list.GetRowCount(), std::move(entry));
        }
        return true;
    }
    bool OnPaint() override
    {
        CPaintDC dc(m_hWnd);
        PaintSkin(m_hWnd, dc, SkinnedWindow::Main);
        m_bar.Draw(dc);
        m_led.Draw(dc);
        return true;
    }
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override
    {
        HBRUSH brush = CDialog::OnCtlColor(dc, control, type);
        if (::GetDlgCtrlID(control) == IDC_MAIN_STATUS)
            return m_brush.Answer(dc, kBodyTextWhite);
        return brush;
    }

private:
    CBitmapButton m_buttons[12];
    CFileListCtrl m_list;
    CLed m_led;
    WBalken m_bar;
    CBodyBrush m_brush;
};

void ShootMainPreview()
{
    CMainPreview preview;
    if (!preview.Create()) {
        std::fprintf(stderr, "main preview did not open\n");
        ++g_failures;
        return;
    }
    Shot(preview.Handle(), "main-list-counter-bar");
    ::DestroyWindow(preview.Handle());
    wintest::PumpFor(100);
}

}  // namespace

int main(int argc, char** argv)
{
    g_outDir = argc > 1 ? argv[1] : ".";
    InitCommonControlClasses();

    CMemorySettings empty;
    ShootOptions(empty, "options-medium");
    CMemorySettings mixed;   // left FAST, middle a hand-written 50 (disabled), right SLOW
    mixed.WriteInt("Settings", "IODelayInit", 15000);
    mixed.WriteInt("Settings", "IODelayTx", 50);
    mixed.WriteInt("Settings", "IODelayRx", 3);
    ShootOptions(mixed, "options-mixed");
    ShootButtonSheet();
    ShootMainPreview();
    return g_failures == 0 ? 0 : 1;
}
