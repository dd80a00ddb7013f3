// SPDX-License-Identifier: GPL-3.0-or-later
// The system menu's "Check memory...": the directory rules on the selected
// memory's directory block, their findings in a box, and with faults the
// choice to repair it (sound files kept, damaged ones dropped, only block 0
// written) or to leave the player as it is.
#include "device/DirectoryCheck.h"
#include "device/RioSession.h"
#include "mainwindow/MainDlg.h"
#include "win/BusyCursor.h"

#include <string>

namespace {

constexpr const char* kWindowTitle = "Quavel";
constexpr const char* kNoFaults = "Check memory: no faults.";
constexpr const char* kRepairQuestion =
    "Repair the memory? Sound files are kept; damaged files are dropped and their blocks freed.";
constexpr const char* kHalfWritten =
    "The directory block holds an interrupted write: a repair would drop sound files. Restore a backup, or "
    "initialize the memory.";
// A box of more lines would not fit on the screen.
constexpr size_t kShownFindings = 20;

std::string EntryName(const uint8_t* directory, int slot)
{
    char name[kRioNameSize + 1];
    DirectoryEntry::Read(directory + kRioEntriesOffset + slot * kRioEntrySize).GetName(name);
    return name;
}

} // namespace

void CMainDlg::OnCheckMemory()
{
    if (IsOperationRunning()) {
        ::MessageBeep(MB_OK);
        return;
    }
    if (!m_connected) {
        ConnectPlayer();
        if (!m_connected)
            return;
    }
    CommitOrder();
    CRioDevice& device = *m_session->GetDevice();
    {
        COperationScope operation(*this);
        CBusyCursor busy;
        // Which blocks lie in the memory decides the check: a card tells its size.
        if (device.TotalBlocks() <= 0 && !device.Detect()) {
            m_messages.ShowError((std::string("Memory card not found!\r\n\r\n") + device.GetErrorText()).c_str());
            FillList();
            return;
        }
        // A block that fails its checksums is read too: the check says what is wrong with it.
        if (!device.ReadDirectory() && device.GetDirectoryState() != CRioDevice::kDirectoryBadChecksum) {
            m_messages.ShowError((std::string("Download directory failed!\r\n\r\n") + device.GetErrorText()).c_str());
            FillList();
            return;
        }
    }
    const uint8_t* directory = device.Directory();
    const CDirectoryCheck check(directory, device.TotalBlocks());
    if (check.Clean()) {
        ::MessageBoxA(m_hWnd, kNoFaults, kWindowTitle, MB_OK | MB_ICONINFORMATION);
        FillList();
        return;
    }
    std::string text = "Check memory found these faults:\r\n\r\n";
    const auto& findings = check.Findings();
    for (size_t i = 0; i < findings.size() && i < kShownFindings; ++i)
        text += FindingText(findings[i], [&](int slot) { return EntryName(directory, slot); }) + "\r\n";
    if (findings.size() > kShownFindings)
        text += "... and " + std::to_string(findings.size() - kShownFindings) + " more\r\n";
    if (!check.Repairable()) {
        ::MessageBoxA(m_hWnd, (text + "\r\n" + kHalfWritten).c_str(), kWindowTitle, MB_OK | MB_ICONEXCLAMATION);
        FillList();
        return;
    }
    text += std::string("\r\n") + kRepairQuestion;
    if (::MessageBoxA(m_hWnd, text.c_str(), kWindowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
        FillList();
        return;
    }
    const SRepairPlan plan = PlanRepair(directory, device.TotalBlocks());
    {
        COperationScope operation(*this);
        CBusyCursor busy;
        if (!device.ReplaceDirectory(plan.image.data()))
            m_messages.ShowError((std::string("Repair failed!\r\n\r\n") + device.GetErrorText()).c_str());
    }
    RefreshDirectory();
}
