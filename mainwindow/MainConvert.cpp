// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's conversion to MP3 on the way to the player: the "Convert
// to MP3" submenu of the system menu, the plan of a batch (which files are
// converted, at what bitrate), and the conversion of one file into a temporary
// file that the ordinary download then sends.
#include "mainwindow/MainDlg.h"

#include "app/Settings.h"
#include "audio/Conversion.h"
#include "audio/Mp3Fit.h"
#include "device/RioSession.h"
#include "res/resource.h"

#include <cstdio>
#include <iterator>

namespace {

// The choices of the submenu in kbit/s, Off first; entry n has the command
// IDM_CONVERT_OFF + kConvertCommandStep * n.
constexpr int kConvertChoices[] = {0, 64, 96, 128, 160, 192};
constexpr UINT kConvertCommandStep = 16;
constexpr int kConvertChoiceCount = static_cast<int>(std::size(kConvertChoices));
constexpr const char* kConvertMenuText = "Convert to MP3";
constexpr const char* kConvertingPrefix = "Converting :  ";
// The progress bar's range while a file converts.
constexpr int kConvertSteps = 1000;

UINT ConvertCommand(int choice)
{
    return IDM_CONVERT_OFF + kConvertCommandStep * static_cast<UINT>(choice);
}

// The entry of the stored bitrate; a value the menu does not offer reads as Off.
int StoredChoice()
{
    const int kbps = ReadIntSetting(AppSettings(), SettingConvertBitrate);
    for (int n = 0; n < kConvertChoiceCount; ++n)
        if (kConvertChoices[n] == kbps)
            return n;
    return 0;
}

std::string CannotConvertText(const std::string& path, const std::string& reason)
{
    return "Cannot convert '" + path + "' to MP3 because " + reason + ".\r\n\r\nNothing of it was sent.";
}

}  // namespace

void CMainDlg::AddConvertMenu(HMENU systemMenu)
{
    const int stored = StoredChoice();
    m_convertKbps = kConvertChoices[stored];
    m_convertMenu = ::CreatePopupMenu();
    for (int n = 0; n < kConvertChoiceCount; ++n) {
        const std::string text = n == 0 ? "Off" : std::to_string(kConvertChoices[n]) + " kbit/s";
        ::AppendMenuA(m_convertMenu, MF_STRING, ConvertCommand(n), text.c_str());
    }
    ::CheckMenuRadioItem(m_convertMenu, ConvertCommand(0), ConvertCommand(kConvertChoiceCount - 1),
                         ConvertCommand(stored), MF_BYCOMMAND);
    ::AppendMenuA(systemMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(m_convertMenu), kConvertMenuText);
}

// As "Verify downloads": stored, in force from the next batch on, refused while a transfer runs.
bool CMainDlg::OnConvertCommand(UINT command)
{
    if (m_convertMenu == nullptr || command < ConvertCommand(0) || command > ConvertCommand(kConvertChoiceCount - 1) ||
        (command - ConvertCommand(0)) % kConvertCommandStep != 0)
        return false;
    if (IsOperationRunning()) {
        ::MessageBeep(MB_OK);
        return true;
    }
    const int choice = static_cast<int>((command - ConvertCommand(0)) / kConvertCommandStep);
    m_convertKbps = kConvertChoices[choice];
    WriteIntSetting(AppSettings(), SettingConvertBitrate, m_convertKbps);
    ::CheckMenuRadioItem(m_convertMenu, ConvertCommand(0), ConvertCommand(kConvertChoiceCount - 1), command,
                         MF_BYCOMMAND);
    return true;
}

bool CMainDlg::PlanConversion(const std::vector<std::string>& paths, SConversionPlan& plan)
{
    plan = SConversionPlan();
    if (m_convertKbps == 0)
        return true;
    SConvertOptions options;
    options.kbps = m_convertKbps;
    std::vector<SFitFile> fit;
    for (const std::string& path : paths) {
        plan.converts.push_back(false);
        if (path.empty())
            continue;
        SAudioInfo info;
        std::string error;
        if (!ProbeAudio(path, options, info, error)) {
            AppMessageBox(m_hWnd, CannotConvertText(path, error).c_str(), MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        SFitFile file;
        file.converts = PlanSend(info, options) == ESendAs::Converted;
        file.samples = info.samples;
        file.rate = info.rate;
        file.channels = info.channels;
        file.bytes = info.fileBytes;
        plan.converts.back() = file.converts;
        fit.push_back(file);
    }
    plan.kbps = m_convertKbps;
    const CRioDevice* device = m_session->GetDevice();
    if (device == nullptr || !device->HasValidDirectory())
        return true;   // the download says why it cannot send
    // The first file into an empty directory also takes the directory's own block.
    const DirectoryHeader header = device->GetHeader();
    const int freeBlocks = header.free - (header.count == 0 && device->GetBlockState(0) != kRioBlockUsed ? 1 : 0);
    const int fits = FitBitrate(fit, plan.kbps, freeBlocks, kRioMaxEntries - device->EntryCount());
    // Not even 32 kbit/s fits: the download's out-of-memory message tells.
    if (fits == 0 || fits == plan.kbps)
        return true;
    char text[256];
    std::snprintf(text, sizeof text,
                  "The files do not fit into the free memory at %d kbit/s.\r\n\r\n"
                  "Convert them at %d kbit/s, the highest bitrate at which they all fit?",
                  plan.kbps, fits);
    if (AppMessageBox(m_hWnd, text, MB_YESNO | MB_ICONQUESTION) == IDYES)
        plan.kbps = fits;
    return true;
}

CMainDlg::ESent CMainDlg::SendConverted(const std::string& path, int kbps)
{
    SetStatusText(kConvertingPrefix + path);
    SetProgressTarget();
    CTempMp3 temp;   // removed when this returns, whatever happened
    std::string error;
    const EConvertResult converted = ConvertToMp3(path, temp.Path(), kbps, [](int64_t done, int64_t total) {
        return OnProgress(static_cast<int>(total > 0 ? done * kConvertSteps / total : 0), kConvertSteps) != 0;
    }, error);
    if (converted == EConvertResult::Stopped)
        return ESent::Stopped;
    if (converted == EConvertResult::Failed) {
        AppMessageBox(m_hWnd, CannotConvertText(path, error).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return ESent::Failed;
    }
    const std::string name = PlayerMp3Name(path.substr(path.find_last_of("\\/:") + 1));
    return SendFile(temp.Path(), path, name.c_str());
}
