// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "cli/CliConvert.h"
#include "cli/CliFiles.h"
#include "cli/CliInterrupt.h"
#include "cli/CliPorts.h"
#include "cli/CliText.h"
#include "cli/PlayerDump.h"
#include "device/RioSession.h"
#include "device/SpeedChoice.h"
#include "playlist/FileEntry.h"
#include "playlist/UploadChecks.h"

namespace {

const char kRioNotFound[] = "Rio not found!\r\n\r\nPlease connect your Rio to the printerport.";
const char kNoCard[] = "Memory card not found!\r\n\r\n";
const char kInitializeFailed[] = "Initialize (format) failed!\r\n\r\n";
const char kMoveFailed[] = "Move file failed!\r\n\r\n";
const char kUploadFailed[] = "Upload file failed!\r\n\r\n";
const char kDownloadFailed[] = "Download file failed!\r\n\r\n";
const char kDeleteFailed[] = "Delete file failed!\r\n\r\n";
const char kDumpFailed[] = "Dump failed!\r\n\r\n";
const char kVerifyFailed[] = "Verify file failed!\r\n\r\n";
const char kMemoryLine[] = "Memory:   total: %ld KB   used : %ld KB   free : %ld KB";
const char* const kColumnNames[kSpeedColumns] = {"init", "tx", "rx"};
const char* const kSpeedNames[kSpeedRows] = {"SLOW", "MEDIUM", "FAST"};

std::string FormatFigures(const char* format, long a, long b, long c)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string SpeedName(int column, int value)
{
    const int row = SpeedRowOf(column, value);
    return row < 0 ? std::to_string(value) : kSpeedNames[row];
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    return s;
}

// s, taking `columns` on the terminal, filled with blanks to width columns.
std::string Padded(const std::string& s, size_t width, size_t columns)
{
    return columns < width ? s + std::string(width - columns, ' ') : s;
}

std::string Padded(const std::string& s, size_t width) { return Padded(s, width, s.size()); }

std::string NotPresent(const std::string& shownName) { return "file '" + shownName + "' not present on device"; }

// "#1, #4": entry numbers as list shows them.
std::string Numbers(const std::vector<int>& slots)
{
    std::string text;
    for (const int slot : slots)
        text += (text.empty() ? "#" : ", #") + std::to_string(slot + 1);
    return text;
}

}  // namespace

void CCliMessages::ShowError(const char* text)
{
    ++m_count;
    m_last = m_convert ? m_convert(text) : text;
    m_err << ConsoleText(m_last) << '\n';
}

CCliCommands::CCliCommands(const SCliOptions& options, SCliIo& io)
    : m_options(options), m_io(io), m_files(io.pcFiles ? *io.pcFiles : SystemPcFiles()), m_messages(io.err),
      m_progress(io.err, io.terminal), m_names(io.codeset ? CNameCodec(io.codeset) : CNameCodec::ForLocale())
{
    m_messages.SetNameConversion([this](const std::string& text) { return ShownNames(text); });
}

CCliCommands::~CCliCommands()
{
    // The session's device object goes before the port it talks through.
    m_session.reset();
    m_ports.reset();
}

CRioDevice& CCliCommands::Device()
{
    return *m_session->GetDevice();
}

void CCliCommands::Fail(const std::string& text)
{
    m_messages.ShowError(text.c_str());
}

bool CCliCommands::PlayerName(const std::string& typed, const char* heading, std::string& name)
{
    std::string error;
    if (m_names.ToPlayer(typed, true, name, error))
        return true;
    Fail(heading + error);
    return false;
}

bool CCliCommands::FindSlot(const std::string& typed, const char* heading, int& slot, int& code, std::string& name)
{
    code = kExitFailed;
    slot = -1;
    if (typed.size() > 1 && typed[0] == '#' && typed.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int count = Device().EntryCount();
        const std::string digits = typed.substr(1);
        const int n = digits.size() <= 2 ? std::stoi(digits) : 0;
        if (n < 1 || n > count) {
            Fail(heading + ("no file number " + digits + " on the device"));
            return false;
        }
        slot = n - 1;
        name = EntryName(slot);
        return true;
    }
    if (!PlayerName(typed, heading, name))
        return false;
    const std::vector<int> slots = SlotsNamed(name);
    if (slots.empty())
        return true;
    if (slots.size() > 1) {
        m_io.err << "quavel-cli: files " << Numbers(slots) << " on the player are all named '" << m_names.Show(name)
                 << "': give the one you mean as #N\n";
        code = kExitUsage;
        return false;
    }
    slot = slots[0];
    return true;
}

std::string CCliCommands::EntryName(int slot)
{
    char name[kRioNameSize + 1];
    DirectoryEntry::Read(Device().EntrySlot(slot)).GetName(name);
    return name;
}

std::vector<int> CCliCommands::SlotsNamed(const std::string& name)
{
    std::vector<int> slots;
    for (int slot = 0; slot < Device().EntryCount(); ++slot)
        if (EntryName(slot) == name)
            slots.push_back(slot);
    return slots;
}

void CCliCommands::AnnounceStoredName(const std::string& typed, const std::string& name, int slot)
{
    const std::string stored = EntryName(slot);
    std::string back;
    if (m_names.ToLocale(stored, back) && back == typed)
        return;
    const std::string cut = StoredName(name);
    std::string why;
    if (cut != name)
        why = "names on the player have at most " + std::to_string(kRioNameSize) + " bytes";
    if (stored != cut)
        why += (why.empty() ? "" : "; ") + std::string("another file has the shortened name");
    if (why.empty())
        why = "in the player's code page";
    m_io.err << "quavel-cli: '" << typed << "' is stored as '" << m_names.Show(stored) << "' (" << why << ")\n";
}

std::string CCliCommands::ShownNames(const std::string& text)
{
    if (!m_session || !m_session->GetDevice())
        return text;
    std::string shown = text;
    for (int slot = 0; slot < Device().EntryCount(); ++slot) {
        const std::string quoted = "'" + EntryName(slot) + "'";
        const std::string converted = "'" + m_names.Show(EntryName(slot)) + "'";
        if (quoted == converted)
            continue;
        for (size_t at = shown.find(quoted); at != std::string::npos; at = shown.find(quoted, at + converted.size()))
            shown.replace(at, quoted.size(), converted);
    }
    return shown;
}

int CCliCommands::Run()
{
    if (Offline())
        return m_options.command == "list" ? ListImage() : Extract();
    int result = Connect();
    if (result == kExitDone) {
        const std::string& c = m_options.command;
        if (c == "list")
            result = List();
        else if (c == "info")
            result = Info();
        else if (c == "put")
            result = Put();
        else if (c == "get")
            result = Get();
        else if (c == "rm")
            result = Remove();
        else if (c == "move")
            result = Move();
        else if (c == "format")
            result = Format();
        else if (c == "dump")
            result = Dump();
        else if (c == "verify")
            result = Verify();
        else if (c == "check")
            result = Check();
        else if (c == "repair")
            result = Repair();
        else if (c == "restore")
            result = Restore();
        else if (c == "sync")
            result = Sync();
    }
    if (m_ports) {
        const std::string failure = m_ports->RunFailure();
        if (!failure.empty()) {
            m_io.err << "quavel-cli: " << failure << '\n';
            result = kExitFailed;
        }
    }
    return result;
}

int CCliCommands::Connect()
{
    std::string error;
    m_ports = CCliPorts::Open(m_options.backend, m_io.err, error);
    if (!m_ports) {
        m_io.err << "quavel-cli: " << error << '\n';
        return kExitFailed;
    }
    WriteIntSetting(m_settings, SettingPort1, m_ports->Port1());
    WriteIntSetting(m_settings, SettingPort2, m_ports->Port2());
    WriteIntSetting(m_settings, SettingIODelayInit, m_options.delays[kSpeedInit]);
    WriteIntSetting(m_settings, SettingIODelayTx, m_options.delays[kSpeedTx]);
    WriteIntSetting(m_settings, SettingIODelayRx, m_options.delays[kSpeedRx]);

    m_session = std::make_unique<CRioSession>(m_settings, m_messages, *m_ports);
    m_session->SetVerifyDownloads(m_options.verify);
    if (!m_session->Connect()) {
        m_io.err << ConsoleText(kRioNotFound) << '\n';
        return kExitFailed;
    }
    Device().SetPcFiles(m_files);
    if (m_options.card) {
        m_session->SelectMemory(1);
        // Identifies the card and learns its size.
        if (!Device().Detect()) {
            Fail(std::string(kNoCard) + Device().GetErrorText());
            return kExitFailed;
        }
    }
    // Initializing does not need the old directory, and must work when it is unreadable.
    if (m_options.command == "format")
        return kExitDone;
    // check and repair take a directory that fails its checksums as it is:
    // they say what is wrong with it and may put it right.
    if (m_options.command == "check" || m_options.command == "repair") {
        if (Device().ReadDirectory() || Device().GetDirectoryState() == CRioDevice::kDirectoryBadChecksum)
            return kExitDone;
        Fail(std::string("Download directory failed!\r\n\r\n") + Device().GetErrorText());
        return kExitFailed;
    }
    // A directory that cannot be read soundly (a checksum fault included) is
    // reported by the session; only format or repair can help then.
    return m_session->ReadDirectory() ? kExitDone : kExitFailed;
}

int CCliCommands::List()
{
    std::vector<std::unique_ptr<CFileEntry>> rows;
    for (int i = 0;; ++i) {
        std::unique_ptr<CFileEntry> row;
        if (!m_session->GetEntryRow(i, row))
            break;
        rows.push_back(std::move(row));
    }
    std::vector<DirectoryEntry> entries;
    for (size_t i = 0; i < rows.size(); ++i)
        entries.push_back(DirectoryEntry::Read(Device().EntrySlot(static_cast<int>(i))));
    int total = 0, used = 0, free = 0;
    m_session->GetTotalMemory(total);
    m_session->GetUsedMemory(used);
    m_session->GetFreeMemory(free);
    return PrintList(rows, entries, total, used, free);
}

int CCliCommands::PrintList(const std::vector<std::unique_ptr<CFileEntry>>& rows,
                            const std::vector<DirectoryEntry>& entries, int total, int used, int free)
{
    if (m_options.json) {
        nlohmann::ordered_json files = nlohmann::ordered_json::array();
        for (size_t i = 0; i < rows.size(); ++i) {
            const CFileEntry& row = *rows[i];
            const DirectoryEntry& e = entries[i];
            const std::string bitrate = Trimmed(row.GetShownBitrate());
            nlohmann::ordered_json file = {
                {"number", row.GetNumber()},
                {"name", PlayerNameToUtf8(row.GetNameText())},
                {"size", e.size},
                {"bitrate", nullptr},
                {"date", row.GetDateTimeText()},
                {"time", e.time},
            };
            if (bitrate != "-")
                file["bitrate"] = std::atoi(bitrate.c_str());
            files.push_back(file);
        }
        nlohmann::ordered_json j = {
            {"memory", MemoryName()},
            {"total_kb", total},
            {"used_kb", used},
            {"free_kb", free},
            {"files", files},
        };
        m_io.out << j.dump(2) << '\n';
        return kExitDone;
    }

    // The main window's columns: number and title, size, bitrate, date and time.
    // Aligned by the columns the names take on the terminal, not by bytes.
    std::vector<std::string> titles;
    std::vector<size_t> titleColumns;
    size_t titleWidth = std::string("  No. Title").size();
    size_t sizeWidth = std::string("Size").size();
    for (const auto& row : rows) {
        size_t columns = 0;
        titles.push_back(row->GetNumberText() + ". " + m_names.Show(row->GetNameText(), &columns));
        titleColumns.push_back(row->GetNumberText().size() + 2 + columns);
        titleWidth = std::max(titleWidth, titleColumns.back());
        sizeWidth = std::max(sizeWidth, row->GetSizeText().size());
    }
    m_io.out << Padded("  No. Title", titleWidth) << "  " << Padded("Size", sizeWidth) << "  Bitr.  Downl. Date/Time\n";
    for (size_t i = 0; i < rows.size(); ++i)
        m_io.out << Padded(titles[i], titleWidth, titleColumns[i]) << "  " << Padded(rows[i]->GetSizeText(), sizeWidth)
                 << "  " << Padded(rows[i]->GetShownBitrate(), 5) << "  " << rows[i]->GetDateTimeText() << '\n';
    m_io.out << FormatFigures(kMemoryLine, total, used, free) << '\n';
    return kExitDone;
}

int CCliCommands::Info()
{
    CRioDevice& d = Device();
    const DirectoryHeader h = d.GetHeader();
    const int blocks = d.TotalBlocks();
    const int megabytes = blocks * (kRioBlockSize / 1024) / 1024;
    std::string chip;
    if (m_options.card)
        chip = "memory card of " + std::to_string(megabytes) + " MB";
    else
        chip = std::to_string(megabytes) + " MB internal memory in chips of " +
               std::to_string(d.GetLargeChip() ? 16 : 8) + " MB";
    const int delays[kSpeedColumns] = {d.GetIODelayInit(), d.GetIODelayTx(), d.GetIODelayRx()};
    const int kb = kRioBlockSize / 1024;

    if (m_options.json) {
        nlohmann::ordered_json speed = nlohmann::ordered_json::object();
        for (int c = 0; c < kSpeedColumns; ++c)
            speed[kColumnNames[c]] = {{"count", delays[c]}, {"speed", SpeedName(c, delays[c])}};
        nlohmann::ordered_json j = {
            {"memory", MemoryName()},
            {"chip", chip},
            {"memory_blocks", blocks},
            {"port", {{"base", m_session->GetPortInUse()}, {"backend", PcTextToUtf8(m_ports->Description())}}},
            {"speed", speed},
            {"files", d.EntryCount()},
            {"total_kb", h.total * kb},
            {"used_kb", h.used * kb},
            {"free_kb", h.free * kb},
            {"bad_blocks", h.bad},
        };
        m_io.out << j.dump(2) << '\n';
        return kExitDone;
    }
    char port[64];
    std::snprintf(port, sizeof port, "0x%X", static_cast<unsigned>(m_session->GetPortInUse()));
    m_io.out << "Memory:     " << MemoryName() << ", " << chip << '\n'
             << "Port:       " << port << " (" << m_ports->Description() << ")\n"
             << "Speed:      " << SpeedName(kSpeedInit, delays[0]) << ", " << SpeedName(kSpeedTx, delays[1]) << ", "
             << SpeedName(kSpeedRx, delays[2]) << " (IODelayInit " << delays[0] << ", IODelayTx " << delays[1]
             << ", IODelayRx " << delays[2] << ")\n"
             << "Files:      " << d.EntryCount() << '\n'
             << "Total:      " << h.total * kb << " KB\n"
             << "Used:       " << h.used * kb << " KB\n"
             << "Free:       " << h.free * kb << " KB\n"
             << "Bad blocks: " << h.bad << '\n';
    return kExitDone;
}

int CCliCommands::Put()
{
    // Every file is identified, every name converted, and every name already
    // on the player has its choice, before anything is sent.
    CCliConvert convert(m_options, m_options.paths, m_io.out);
    std::string error;
    if (!convert.Plan(Device(), error)) {
        Fail(kDownloadFailed + error);
        return kExitFailed;
    }
    std::vector<std::string> names(m_options.paths.size()), shown;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!m_names.ToPlayer(convert.PlayerName(i), false, names[i], error)) {
            Fail(kDownloadFailed + error);
            return kExitFailed;
        }
        const std::string stored = StoredName(names[i]);
        shown.push_back(m_names.Show(stored));
        const std::vector<int> there = SlotsNamed(stored);
        if (there.empty() || m_options.keepBoth || m_options.dryRun)
            continue;
        if (!m_options.replace) {
            m_io.err << "quavel-cli: '" << m_names.Show(stored) << "' is already on the player (" << Numbers(there)
                     << "): give --replace to send the new file and then delete the old one, or --keep-both\n";
            return kExitUsage;
        }
        if (there.size() > 1) {
            m_io.err << "quavel-cli: files " << Numbers(there) << " on the player are all named '"
                     << m_names.Show(stored) << "': --replace cannot tell which one to delete\n";
            return kExitUsage;
        }
    }
    if (m_options.dryRun) {
        convert.Show(shown);
        return kExitDone;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        std::string path;
        if (InterruptRequested() || !convert.Prepare(i, m_progress, path, error)) {
            Fail(kDownloadFailed + (error.empty() ? std::string("operation interrupted") : error));
            return kExitFailed;
        }
        // A replacing file takes the old one's name as it is: no suffix.
        std::string name = names[i];
        int old = -1;
        if (m_options.replace) {
            const std::vector<int> there = SlotsNamed(StoredName(name));
            if (!there.empty()) {
                old = there[0];
                name = StoredName(name);
            }
        }
        m_progress.Begin("put " + std::string(PcBaseName(m_options.paths[i])));
        const bool ok = m_session->DownloadFile(path.c_str(), CCliProgress::Callback(), name.c_str());
        m_progress.End(ok);
        // After a failure the directory image no longer matches the player: stop.
        if (!ok)
            return kExitFailed;
        AnnounceStoredName(convert.PlayerName(i), names[i], Device().EntryCount() - 1);
        if (old >= 0 && !m_session->DeleteEntry(old))
            return kExitFailed;
    }
    return kExitDone;
}

int CCliCommands::Get()
{
    const std::string& folder = m_options.to;
    if (!IsFolder(folder)) {
        m_io.err << "quavel-cli: no folder '" << m_options.to << "'\n";
        return kExitFailed;
    }
    // Refuse every name that has no form on the player or cannot be a file
    // name on this PC before anything is written.
    std::vector<std::string> names(m_options.paths.size()), pcNames(names.size());
    std::vector<int> slots(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        int code = kExitFailed;
        if (!FindSlot(m_options.paths[i], kUploadFailed, slots[i], code, names[i]))
            return code;
        if (!m_names.ToLocale(names[i], pcNames[i])) {
            Fail(std::string(kUploadFailed) + "the name '" + m_names.Show(names[i]) +
                 "' cannot be written in the encoding of this system (" + m_names.Codeset() + ")");
            return kExitFailed;
        }
        if (!IsSafePcFileName(pcNames[i])) {
            Fail(UnsafeNameErrorText(m_names.Show(names[i])));
            return kExitFailed;
        }
    }
    // The window's free-space check, over the files that are there.
    unsigned long long needed = 0;
    for (const int slot : slots)
        if (slot >= 0)
            needed += DirectoryEntry::Read(Device().EntrySlot(slot)).size;
    const unsigned long long available = m_files.FreeSpace(folder);
    if (available < needed) {
        m_io.err << FreeSpaceMessage(available, needed) << '\n';
        return kExitFailed;
    }

    // Each file arrives in a folder of its own first and replaces the PC file
    // of that name only when it is complete: a failed or interrupted upload
    // leaves an older file of the same name as it was.
    std::string part;
    for (int n = 0; n < 1000 && part.empty(); ++n) {
        const std::string candidate = JoinPath(folder, ".quavel-cli-" + std::to_string(n));
        if (!IsFolder(candidate) && MakeFolder(candidate))
            part = candidate;
    }
    if (part.empty()) {
        m_io.err << "quavel-cli: cannot create a folder for partial files in '" << m_options.to << "'\n";
        return kExitFailed;
    }
    int result = kExitDone;
    for (size_t i = 0; i < names.size(); ++i) {
        if (InterruptRequested()) {
            Fail(std::string(kUploadFailed) + "operation interrupted");
            result = kExitFailed;
            break;
        }
        const std::string shown = m_names.Show(names[i]);
        if (slots[i] < 0) {
            Fail(kUploadFailed + NotPresent(shown));
            result = kExitFailed;
            continue;
        }
        const std::string partial = JoinPath(part, pcNames[i]);
        m_progress.Begin("get " + shown);
        bool ok = m_session->UploadEntry(slots[i], partial.c_str(), CCliProgress::Callback());
        m_progress.End(ok);
        std::string error;
        if (ok && !MoveReplacing(m_files, partial, JoinPath(folder, pcNames[i]), error)) {
            Fail(std::string(kUploadFailed) + error);
            ok = false;
        }
        if (!ok) {
            m_files.Remove(partial);
            result = kExitFailed;
        }
    }
    RemoveFolder(part);
    return result;
}

int CCliCommands::Remove()
{
    std::vector<int> slots(m_options.paths.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        int code = kExitFailed;
        std::string name;
        if (!FindSlot(m_options.paths[i], kDeleteFailed, slots[i], code, name))
            return code;
        if (slots[i] < 0) {
            Fail(kDeleteFailed + NotPresent(m_names.Show(name)));
            return kExitFailed;
        }
    }
    // From the highest slot down: a delete moves the entries after it up.
    std::sort(slots.rbegin(), slots.rend());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    for (const int slot : slots)
        if (!m_session->DeleteEntry(slot))
            return kExitFailed;
    return kExitDone;
}

int CCliCommands::Move()
{
    CRioDevice& d = Device();
    const int count = d.EntryCount();
    int from = -1, code = kExitFailed;
    std::string name;
    if (!FindSlot(m_options.name, kMoveFailed, from, code, name))
        return code;
    if (from < 0) {
        Fail(kMoveFailed + NotPresent(m_names.Show(name)));
        return kExitFailed;
    }
    if (m_options.position < 1 || m_options.position > count) {
        Fail(std::string(kMoveFailed) + "invalid file position");
        return kExitFailed;
    }
    // positions[j] is the old index of the entry that goes to place j.
    std::vector<uint32_t> order;
    for (int i = 0; i < count; ++i)
        if (i != from)
            order.push_back(static_cast<uint32_t>(i));
    order.insert(order.begin() + (m_options.position - 1), static_cast<uint32_t>(from));
    const int before = m_messages.Count();
    m_session->ReorderFiles(order.data(), count);
    return m_messages.Count() == before ? kExitDone : kExitFailed;
}

int CCliCommands::Format()
{
    const int before = m_messages.Count();
    m_progress.Begin(m_options.check ? "format --check" : "format");
    m_session->Initialize(m_options.check ? 1 : 0, CCliProgress::Callback());
    const bool ok = m_messages.Count() == before;
    m_progress.End(ok);
    if (ok)
        return kExitDone;
    // A failed format is shown as its heading alone; a console user wants the reason too.
    if (m_messages.Last() == kInitializeFailed && Device().GetErrorCode() != kRioNoError)
        m_io.err << '\n' << Device().GetErrorText() << '\n';
    return kExitFailed;
}

int CCliCommands::Dump()
{
    const std::string& dir = m_options.dumpDir;
    if (!MakeFolder(dir)) {
        m_io.err << "quavel-cli: the folder '" << m_options.dumpDir << "' cannot be created\n";
        return kExitFailed;
    }
    const std::string& playerDir = m_ports->VirtualDir();
    if (!playerDir.empty() && SameFolder(dir, playerDir)) {
        m_io.err << "quavel-cli: the dump cannot go into the virtual player's own folder\n";
        return kExitFailed;
    }
    const std::string image = JoinPath(dir, m_options.card ? "card.img" : "internal.img");
    std::string fileError;
    int skipped = 0;
    m_progress.Begin("dump");
    const EDumpResult result = DumpMemory(Device(), m_files, image, CCliProgress::Callback(), fileError, skipped);
    m_progress.End(result == EDumpResult::Done);
    switch (result) {
    case EDumpResult::Done:
        break;
    case EDumpResult::DeviceFailed:
        Fail(std::string(kDumpFailed) + Device().GetErrorText());
        return kExitFailed;
    case EDumpResult::FileFailed:
        Fail(std::string(kDumpFailed) + fileError);
        return kExitFailed;
    case EDumpResult::Interrupted:
        Fail(std::string(kDumpFailed) + "operation interrupted");
        return kExitFailed;
    }
    if (skipped > 0)
        m_io.err << "quavel-cli: warning: " << skipped << " bad blocks could not be read and are stored erased\n";
    return kExitDone;
}

// Each player file against the PC file of its name in the folder, one line per
// file on stdout; any difference or missing file fails the run.
int CCliCommands::Verify()
{
    const std::string& folder = m_options.in;
    if (!IsFolder(folder)) {
        m_io.err << "quavel-cli: no folder '" << folder << "'\n";
        return kExitFailed;
    }
    // The names asked for, or every entry (two of one name each with its own blocks).
    std::vector<std::pair<std::string, int>> files;
    for (const std::string& typed : m_options.paths) {
        int slot = -1, code = kExitFailed;
        std::string name;
        if (!FindSlot(typed, kVerifyFailed, slot, code, name))
            return code;
        files.emplace_back(name, slot);
    }
    for (int i = 0; m_options.paths.empty() && i < Device().EntryCount(); ++i) {
        char name[kRioNameSize + 1];
        DirectoryEntry::Read(Device().EntrySlot(i)).GetName(name);
        files.emplace_back(name, i);
    }
    int result = kExitDone;
    for (const auto& [name, slot] : files) {
        const std::string shown = m_names.Show(name);
        std::string pcName;
        bool same = false;
        const char* verdict = "differs";
        if (slot < 0) {
            verdict = "missing on the player";
        } else if (!m_names.ToLocale(name, pcName) || !IsSafePcFileName(pcName) ||
                   FileBytes(JoinPath(folder, pcName)) < 0) {
            // A name that would leave the folder, or that this system cannot
            // write, is never looked for.
            verdict = "missing on the PC";
        } else {
            if (InterruptRequested()) {
                Fail(std::string(kVerifyFailed) + "operation interrupted");
                return kExitFailed;
            }
            m_progress.Begin("verify " + shown);
            const std::string path = JoinPath(folder, pcName);
            const bool compared = Device().CompareFile(slot, path.c_str(), CCliProgress::Callback(), same);
            m_progress.End(compared);
            if (!compared) {
                Fail(std::string(kVerifyFailed) + Device().GetErrorText());
                return kExitFailed;
            }
        }
        if (!same)
            result = kExitFailed;
        m_io.out << (same ? "same" : verdict) << ": " << shown << '\n';
    }
    return result;
}
