// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/RioSession.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "device/MessageSink.h"
#include "device/PortProvider.h"
#include "playlist/FileEntry.h"

namespace {

const char kDownloadDirectoryFailed[] = "Download directory failed!\r\n\r\n";
const char kInitializeFailed[] = "Initialize (format) failed!\r\n\r\n";
const char kUpdateDirectoryFailed[] = "Update directory failed!\r\n\r\n";
const char kDownloadFileFailed[] = "Download file failed!\r\n\r\n";
const char kUploadFileFailed[] = "Upload file failed!\r\n\r\n";
const char kUploadFileNotice[] = "Upload file done, but:\r\n\r\n";
const char kDeleteFileFailed[] = "Delete file failed!\r\n\r\n";

// A base whose three register addresses (base .. base + 2) are not all valid
// 16-bit port numbers cannot be a printer port: probing it would write to
// whatever wrapped-around port the value lands on.
bool IsUsablePortBase(int base) {
    return base > 0 && base <= 0xFFFF - CRioDevice::kControlOffset;
}

}  // namespace

CRioSession::CRioSession(CSettingsStore& settings, CMessageSink& messages, CPortProvider& ports)
    : m_settings(settings), m_messages(messages), m_ports(ports) {}

CRioSession::~CRioSession() = default;

std::unique_ptr<CRioDevice> CRioSession::CreateDevice(CPortIO& port) {
    return std::make_unique<CRioDevice>(port);
}

// A missing or 0 value reads as the table's default, which is written back so
// that the store shows the values in force.
int CRioSession::ReadWithDefaultWritten(SettingId id) {
    const SettingDefinition& def = SettingDef(id);
    int value = m_settings.ReadInt(def.section, def.name, 0);
    if (value == 0) {
        value = def.intDefault;
        m_settings.WriteInt(def.section, def.name, value);
    }
    return value;
}

bool CRioSession::DetectOn(int port) {
    m_port = port;
    if (!IsUsablePortBase(port))
        return false;
    m_device->SetPort(port);
    return m_device->Detect();
}

bool CRioSession::Connect() {
    const int port1 = ReadWithDefaultWritten(SettingPort1);
    const int port2 = ReadWithDefaultWritten(SettingPort2);
    m_ioDelayInit = ReadWithDefaultWritten(SettingIODelayInit);
    m_ioDelayTx = ReadWithDefaultWritten(SettingIODelayTx);
    m_ioDelayRx = ReadWithDefaultWritten(SettingIODelayRx);
    m_port = port1;

    if (!m_device) {
        CPortIO* io = m_ports.GetPortIO();
        if (!io)
            return false;   // no backend reaches the port: nothing can be found
        m_device = CreateDevice(*io);
    }
    // The delays go in before the first probe: Detect runs the wake-up sequence.
    // A negative stored delay keeps the device's own value.
    if (m_ioDelayInit >= 0)
        m_device->SetIODelayInit(m_ioDelayInit);
    if (m_ioDelayTx >= 0)
        m_device->SetIODelayTx(m_ioDelayTx);
    if (m_ioDelayRx >= 0)
        m_device->SetIODelayRx(m_ioDelayRx);
    m_device->SetMemory(0);
    m_device->SetVerifyDownloads(m_verifyDownloads);
    m_device->SetLeadBytePredicate(m_isLead);

    if (DetectOn(port1))
        return true;
    if (DetectOn(port2)) {
        // Try the working port first next time.
        WriteIntSetting(m_settings, SettingPort1, port2);
        WriteIntSetting(m_settings, SettingPort2, port1);
        return true;
    }
    m_device.reset();
    return false;
}

void CRioSession::SetLeadBytePredicate(LeadBytePredicate isLead)
{
    m_isLead = isLead;
    if (m_device)
        m_device->SetLeadBytePredicate(isLead);
}

void CRioSession::SetVerifyDownloads(bool on)
{
    m_verifyDownloads = on;
    if (m_device)
        m_device->SetVerifyDownloads(on);
}

void CRioSession::ShowFailure(const char* heading, bool withDeviceText) {
    std::string text = heading;
    if (withDeviceText)
        text += m_device->GetErrorText();
    m_messages.ShowError(text.c_str());
}

// A block that fails its checksums is no directory: it is reported like any
// failed read, with the device's own text, and the list shows no rows of it.
// The device then refuses to change or write that image; Initialize still
// works and makes a sound directory again.
bool CRioSession::ReadDirectory() {
    if (!m_device)
        return false;
    if (m_device->ReadDirectory())
        return true;
    ShowFailure(kDownloadDirectoryFailed);
    return false;
}

bool CRioSession::HasDirectory() const {
    return m_device && m_device->HasValidDirectory();
}

bool CRioSession::GetDirectoryHeader(uint8_t header[kRioHeaderSize]) {
    if (!m_device)
        return false;
    std::memcpy(header, m_device->Directory() + kRioHeaderOffset, kRioHeaderSize);
    return true;
}

bool CRioSession::GetMemoryFigure(int& kb, uint16_t DirectoryHeader::*field) {
    kb = 0;
    if (!HasDirectory())
        return false;
    kb = static_cast<int>(m_device->GetHeader().*field) * (kRioBlockSize / 1024);
    return true;
}

bool CRioSession::GetTotalMemory(int& kb) {
    return GetMemoryFigure(kb, &DirectoryHeader::total);
}

bool CRioSession::GetUsedMemory(int& kb) {
    return GetMemoryFigure(kb, &DirectoryHeader::used);
}

bool CRioSession::GetFreeMemory(int& kb) {
    return GetMemoryFigure(kb, &DirectoryHeader::free);
}

bool CRioSession::GetEntryRow(int index, std::unique_ptr<CFileEntry>& row) {
    if (!HasDirectory())
        return false;
    const int count = m_device->EntryCount();   // never more than the 60 slots
    if (count == 0 || index < 0 || index >= count)
        return false;
    row = MakeEntryRow(index, DirectoryEntry::Read(m_device->EntrySlot(index)));
    return true;
}

std::unique_ptr<CFileEntry> CRioSession::MakeEntryRow(int index, const DirectoryEntry& entry) {
    auto e = std::make_unique<CFileEntry>();
    char buf[160];
    e->SetNumber(index + 1);
    // The size as the 32-bit signed value the list has always shown.
    std::snprintf(buf, sizeof buf, "%-8ld", static_cast<long>(static_cast<int32_t>(entry.size)));
    e->SetSizeText(buf);
    e->SetDateTimeText(FormatDateTime(entry.time).c_str());
    // The name field holds 100 bytes without a terminator when it is full.
    char name[kRioNameSize + 1];
    entry.GetName(name);
    std::snprintf(buf, sizeof buf, "%-127.127s", name);
    e->SetNameText(buf);
    uint8_t header[4];
    entry.GetFrameBytes(header);
    std::snprintf(buf, sizeof buf, "%-3d", DecodeBitrate(header));
    e->SetBitrateText(buf);
    return e;
}

bool CRioSession::SelectMemory(int external) {
    if (!m_device)
        return false;
    m_device->SetMemory(external);
    return true;
}

void CRioSession::Initialize(int check, ProgressCallback callback) {
    if (!m_device)
        return;
    if (!m_device->Format(check, callback)) {
        ShowFailure(kInitializeFailed, false);
        return;
    }
    if (!m_device->WriteDirectory())
        ShowFailure(kUpdateDirectoryFailed);
}

bool CRioSession::DownloadFile(const char* path, ProgressCallback callback, const char* name) {
    return Download(path, callback, name, true) == EDownloadEnd::Sent;
}

CRioSession::EDownloadEnd CRioSession::DownloadUnlessStopped(const char* path, ProgressCallback callback,
                                                             const char* name) {
    return Download(path, callback, name, false);
}

// The device ends with "interrupted" exactly when the callback answered stop;
// the image then holds the directory of before the file.
CRioSession::EDownloadEnd CRioSession::Download(const char* path, ProgressCallback callback, const char* name,
                                                bool stopIsFailure) {
    if (!m_device)
        return EDownloadEnd::Failed;
    if (!m_device->DownloadFile(path, callback, name)) {
        if (!stopIsFailure && m_device->GetErrorCode() == kRioErrInterrupted)
            return EDownloadEnd::Stopped;
        ShowFailure(kDownloadFileFailed);
        return EDownloadEnd::Failed;
    }
    if (!m_device->WriteDirectory()) {
        ShowFailure(kUpdateDirectoryFailed);
        return EDownloadEnd::Failed;
    }
    return EDownloadEnd::Sent;
}

void CRioSession::UploadFile(const char* path, ProgressCallback callback, const char* name) {
    if (!m_device)
        return;
    ShowUploadEnd(m_device->UploadFile(path, callback, name));
}

bool CRioSession::UploadEntry(int slot, const char* path, ProgressCallback callback) {
    if (!m_device)
        return false;
    return ShowUploadEnd(m_device->UploadEntry(slot, path, callback));
}

// A good upload may still have something to tell (an old copy left behind).
bool CRioSession::ShowUploadEnd(bool uploaded) {
    if (!uploaded)
        ShowFailure(kUploadFileFailed);
    else if (!m_device->GetNotice().empty())
        m_messages.ShowError((kUploadFileNotice + m_device->GetNotice()).c_str());
    return uploaded;
}

bool CRioSession::DeleteFile(const char* name) {
    if (!m_device)
        return false;
    if (!m_device->DeleteFile(name)) {
        ShowFailure(kDeleteFileFailed);
        return false;
    }
    return WriteAfterDelete();
}

bool CRioSession::DeleteEntry(int slot) {
    if (!m_device)
        return false;
    if (!m_device->DeleteEntry(slot)) {
        ShowFailure(kDeleteFileFailed);
        return false;
    }
    return WriteAfterDelete();
}

bool CRioSession::WriteAfterDelete() {
    if (!m_device->WriteDirectory()) {
        ShowFailure(kUpdateDirectoryFailed);
        return false;
    }
    return true;
}

bool CRioSession::DeleteEntries(const std::vector<int>& slots) {
    if (!m_device)
        return false;
    if (!m_device->DeleteEntries(slots.data(), static_cast<int>(slots.size()))) {
        ShowFailure(kDeleteFileFailed);
        return false;
    }
    if (!m_device->WriteDirectory()) {
        ShowFailure(kUpdateDirectoryFailed);
        return false;
    }
    return true;
}

bool CRioSession::ReorderFiles(const uint32_t* positions, int count) {
    if (!m_device)
        return false;
    // A failed reorder shows the download heading; the list is rebuilt anyway,
    // so the result stays true.
    ApplyOrder(positions, count);
    return true;
}

bool CRioSession::ApplyOrder(const uint32_t* positions, int count) {
    if (!m_device)
        return false;
    if (!m_device->ReorderFiles(positions, count)) {
        ShowFailure(kDownloadFileFailed);
        return false;
    }
    if (!m_device->WriteDirectory()) {
        ShowFailure(kUpdateDirectoryFailed);
        return false;
    }
    return true;
}

void CRioSession::SetIODelayInit(int value) {
    if (!m_device)
        return;
    m_device->SetIODelayInit(value);
    WriteIntSetting(m_settings, SettingIODelayInit, value);
}

void CRioSession::SetIODelayTx(int value) {
    if (!m_device)
        return;
    m_device->SetIODelayTx(value);
    WriteIntSetting(m_settings, SettingIODelayTx, value);
}

void CRioSession::SetIODelayRx(int value) {
    if (!m_device)
        return;
    m_device->SetIODelayRx(value);
    WriteIntSetting(m_settings, SettingIODelayRx, value);
}

std::string CRioSession::FormatDateTime(uint32_t seconds) {
    const int32_t t = static_cast<int32_t>(seconds);
    if (t < 0)
        return "INVALID DATE/TIME";
    const std::time_t when = t;
    std::tm local{};
#ifdef _WIN32
    const bool ok = localtime_s(&local, &when) == 0;
#else
    const bool ok = localtime_r(&when, &local) != nullptr;
#endif
    if (!ok)
        return "INVALID DATE/TIME";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02u/%02u/%02u %02u:%02u:%02u",
                  static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_mon + 1),
                  static_cast<unsigned>((local.tm_year + 1900) % 100),
                  static_cast<unsigned>(local.tm_hour), static_cast<unsigned>(local.tm_min),
                  static_cast<unsigned>(local.tm_sec));
    return buf;
}
