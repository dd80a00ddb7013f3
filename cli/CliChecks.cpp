// SPDX-License-Identifier: GPL-3.0-or-later
// quavel-cli's commands on the directory rules: check and repair a player's
// memory, and read a dump image offline (list --image, extract) or put its
// files back onto a player (restore).
#include "cli/CliCommands.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "cli/CliFiles.h"
#include "cli/CliText.h"
#include "cli/DumpImage.h"
#include "device/RioSession.h"
#include "playlist/UploadChecks.h"

namespace {

const char kRepairFailed[] = "Repair failed!\r\n\r\n";
const char kExtractFailed[] = "Extract failed!\r\n\r\n";
const char kRestoreFailed[] = "Restore failed!\r\n\r\n";

const char* FaultName(EDirectoryFault fault)
{
    switch (fault) {
    case EDirectoryFault::HeaderChecksum: return "header-checksum";
    case EDirectoryFault::BodyChecksum: return "body-checksum";
    case EDirectoryFault::EntryCount: return "entry-count";
    case EDirectoryFault::TotalCount: return "total-count";
    case EDirectoryFault::UsedCount: return "used-count";
    case EDirectoryFault::FreeCount: return "free-count";
    case EDirectoryFault::BadCount: return "bad-count";
    case EDirectoryFault::EntrySize: return "entry-size";
    case EDirectoryFault::Outside: return "outside";
    case EDirectoryFault::TooShort: return "too-short";
    case EDirectoryFault::TooLong: return "too-long";
    case EDirectoryFault::LastLink: return "last-link";
    case EDirectoryFault::Loop: return "loop";
    case EDirectoryFault::FreeMarked: return "free-marked";
    case EDirectoryFault::BadMarked: return "bad-marked";
    case EDirectoryFault::Shared: return "shared";
    case EDirectoryFault::UsedUnheld: return "used-unheld";
    case EDirectoryFault::MarkedOutside: return "marked-outside";
    case EDirectoryFault::HalfWritten: return "half-written";
    }
    return "";
}

DirectoryEntry EntryOf(const uint8_t* directory, int slot)
{
    return DirectoryEntry::Read(directory + kRioEntriesOffset + slot * kRioEntrySize);
}

std::string NameOf(const uint8_t* directory, int slot)
{
    char name[kRioNameSize + 1];
    EntryOf(directory, slot).GetName(name);
    return name;
}

// Writes the blocks of a chain into a PC file (under a temporary name first):
// every block whole, but the last one of a chain walked to the entry's count
// keeps only the entry's last-block bytes.
bool WriteChainFile(CPcFiles& files, const std::string& path, const DirectoryEntry& e, const std::vector<int>& blocks,
                    const std::function<bool(int, uint8_t*)>& read, std::string& error)
{
    const std::string part = path + ".part";
    std::vector<uint8_t> data(kRioBlockSize);
    {
        CPcFile file(files, part, CPcFiles::EOpen::Truncate);
        if (!file.IsOpen()) {
            error = "unable to open '" + part + "' for write";
            return false;
        }
        for (size_t i = 0; i < blocks.size(); ++i) {
            if (!read(blocks[i], data.data())) {
                error = "block " + std::to_string(blocks[i]) + " cannot be read";
                file.FlushAndClose();
                files.Remove(part);
                return false;
            }
            size_t len = kRioBlockSize;
            if (i + 1 == size_t(e.blocks) && e.lastBytes != 0 && e.lastBytes < kRioBlockSize)
                len = e.lastBytes;
            if (!file.Write(data.data(), len)) {
                error = "error writing to file '" + part + "'";
                file.FlushAndClose();
                files.Remove(part);
                return false;
            }
        }
        if (!file.FlushAndClose()) {
            error = "error writing to file '" + part + "'";
            files.Remove(part);
            return false;
        }
    }
    if (MoveReplacing(files, part, path, error))
        return true;
    files.Remove(part);
    return false;
}

} // namespace

bool CCliCommands::Offline() const
{
    return m_options.command == "extract" || (m_options.command == "list" && !m_options.image.empty());
}

std::string CCliCommands::ShownName(const uint8_t* directory, int slot)
{
    return m_names.Show(NameOf(directory, slot));
}

void CCliCommands::PrintFindings(const uint8_t* directory, const CDirectoryCheck& check, std::ostream& out)
{
    for (const SDirectoryFinding& f : check.Findings())
        out << FindingText(f, [&](int slot) { return ShownName(directory, slot); }) << '\n';
}

int CCliCommands::Check()
{
    CRioDevice& d = Device();
    const CDirectoryCheck check(d.Directory(), d.TotalBlocks());
    if (m_options.json) {
        nlohmann::ordered_json faults = nlohmann::ordered_json::array();
        for (const SDirectoryFinding& f : check.Findings()) {
            nlohmann::ordered_json j = {
                {"kind", FaultName(f.fault)}, {"entry", nullptr}, {"name", nullptr}, {"block", nullptr}};
            if (f.slot >= 0) {
                j["entry"] = f.slot + 1;
                j["name"] = PlayerNameToUtf8(NameOf(d.Directory(), f.slot));
            }
            if (f.block >= 0)
                j["block"] = f.block;
            j["text"] = PlayerNameToUtf8(FindingText(f, [&](int slot) { return NameOf(d.Directory(), slot); }));
            faults.push_back(j);
        }
        m_io.out << nlohmann::ordered_json{{"memory", MemoryName()}, {"faults", faults}}.dump(2) << '\n';
    } else if (check.Clean()) {
        m_io.out << "no faults\n";
    } else {
        PrintFindings(d.Directory(), check, m_io.out);
    }
    return check.Clean() ? kExitDone : kExitFailed;
}

int CCliCommands::Repair()
{
    CRioDevice& d = Device();
    const uint8_t* directory = d.Directory();
    const CDirectoryCheck check(directory, d.TotalBlocks());
    if (check.Clean()) {
        m_io.out << "no faults: nothing to repair\n";
        return kExitDone;
    }
    if (!check.Repairable()) {
        Fail(std::string(kRepairFailed) + "the directory block holds an interrupted write; a repair would drop sound "
                                          "files (restore a dump image, or initialize)");
        return kExitFailed;
    }
    const SRepairPlan plan = PlanRepair(directory, d.TotalBlocks());
    for (int slot : plan.kept)
        m_io.out << "kept: " << slot + 1 << ". " << ShownName(directory, slot) << '\n';
    for (int slot : plan.dropped)
        m_io.out << "dropped: " << slot + 1 << ". " << ShownName(directory, slot) << '\n';
    auto blockList = [](const std::vector<int>& blocks) {
        std::string text;
        for (int b : blocks)
            text += ' ' + std::to_string(b);
        return blocks.empty() ? std::string(" none") : text;
    };
    m_io.out << "blocks freed:" << blockList(plan.freed) << '\n';
    if (!plan.remarked.empty())
        m_io.out << "blocks marked used again:" << blockList(plan.remarked) << '\n';
    if (m_options.dryRun) {
        m_io.out << "dry run: nothing written\n";
        return kExitDone;
    }

    // What the dropped entries hold goes to the PC before the directory changes.
    if (!m_options.salvage.empty()) {
        if (!MakeFolder(m_options.salvage)) {
            Fail(std::string(kRepairFailed) + "the folder '" + m_options.salvage + "' cannot be created");
            return kExitFailed;
        }
        for (int slot : plan.dropped) {
            const std::string name = NameOf(directory, slot);
            std::string pcName;
            if (!m_names.ToLocale(name, pcName) || !IsSafePcFileName(pcName))
                pcName = "entry-" + std::to_string(slot + 1);
            std::string error, reason;
            auto read = [&](int b, uint8_t* out) {
                const bool ok = d.ReceiveBlock(out, b);
                reason = ok ? "" : std::string(": ") + d.GetErrorText();
                return ok;
            };
            if (!WriteChainFile(m_files, JoinPath(m_options.salvage, pcName + ".salvaged"), EntryOf(directory, slot),
                                check.Chain(slot).blocks, read, error)) {
                Fail(std::string(kRepairFailed) + error + reason);
                return kExitFailed;
            }
        }
        d.ReleaseLink();
    }
    if (!d.ReplaceDirectory(plan.image.data())) {
        Fail(std::string(kRepairFailed) + d.GetErrorText());
        return kExitFailed;
    }
    m_io.out << "directory written\n";
    return kExitDone;
}

int CCliCommands::ListImage()
{
    CDumpImage image;
    std::string error;
    if (!image.Open(m_options.image, error)) {
        m_io.err << "quavel-cli: " << error << '\n';
        return kExitFailed;
    }
    const CDirectoryCheck check(image.Directory(), image.Blocks());
    std::vector<std::unique_ptr<CFileEntry>> rows;
    std::vector<DirectoryEntry> entries;
    for (int i = 0; i < check.Entries(); ++i) {
        entries.push_back(EntryOf(image.Directory(), i));
        rows.push_back(CRioSession::MakeEntryRow(i, entries.back()));
    }
    const DirectoryHeader h = DirectoryHeader::Read(image.Directory());
    const int kb = kRioBlockSize / 1024;
    PrintList(rows, entries, h.total * kb, h.used * kb, h.free * kb);
    if (check.Clean())
        return kExitDone;
    m_io.err << "quavel-cli: the image's directory has faults:\n";
    PrintFindings(image.Directory(), check, m_io.err);
    return kExitFailed;
}

int CCliCommands::Extract()
{
    CDumpImage image;
    std::string error;
    if (!image.Open(m_options.image, error)) {
        Fail(kExtractFailed + error);
        return kExitFailed;
    }
    if (!IsFolder(m_options.to)) {
        m_io.err << "quavel-cli: no folder '" << m_options.to << "'\n";
        return kExitFailed;
    }
    const uint8_t* directory = image.Directory();
    const CDirectoryCheck check(directory, image.Blocks());
    const SRepairPlan plan = PlanRepair(directory, image.Blocks());
    std::vector<int> slots;
    for (const std::string& typed : m_options.paths) {
        std::string name;
        if (!PlayerName(typed, kExtractFailed, name))
            return kExitFailed;
        int found = -1;
        for (int i = 0; i < check.Entries() && found < 0; ++i)
            if (NameOf(directory, i) == name)
                found = i;
        if (found < 0) {
            Fail(kExtractFailed + ("file '" + m_names.Show(name) + "' not present in the image"));
            return kExitFailed;
        }
        slots.push_back(found);
    }
    for (int i = 0; m_options.paths.empty() && i < check.Entries(); ++i)
        slots.push_back(i);

    int result = kExitDone;
    for (int slot : slots) {
        const std::string name = NameOf(directory, slot);
        if (std::find(plan.kept.begin(), plan.kept.end(), slot) == plan.kept.end()) {
            m_io.err << "quavel-cli: '" << m_names.Show(name) << "' is damaged in the image and was not extracted\n";
            result = kExitFailed;
            continue;
        }
        std::string pcName;
        if (!m_names.ToLocale(name, pcName) || !IsSafePcFileName(pcName)) {
            Fail(UnsafeNameErrorText(m_names.Show(name)));
            result = kExitFailed;
            continue;
        }
        auto read = [&image](int b, uint8_t* out) { return image.ReadBlock(b, out); };
        if (!WriteChainFile(m_files, JoinPath(m_options.to, pcName), EntryOf(directory, slot), check.Chain(slot).blocks,
                            read, error)) {
            Fail(kExtractFailed + error);
            return kExitFailed;
        }
    }
    if (!check.Clean()) {
        m_io.err << "quavel-cli: the image's directory has faults:\n";
        PrintFindings(directory, check, m_io.err);
        result = kExitFailed;
    }
    return result;
}

int CCliCommands::Restore()
{
    CDumpImage image;
    std::string error;
    if (!image.Open(m_options.image, error)) {
        Fail(kRestoreFailed + error);
        return kExitFailed;
    }
    const uint8_t* directory = image.Directory();
    const CDirectoryCheck check(directory, image.Blocks());
    const SRepairPlan plan = PlanRepair(directory, image.Blocks());

    // Everything must fit before the first file is sent.
    CRioDevice& d = Device();
    const DirectoryHeader h = d.GetHeader();
    long need = 0;
    for (int slot : plan.kept)
        need += EntryOf(directory, slot).blocks;
    if (h.count == 0 && d.GetBlockState(0) != kRioBlockUsed && !plan.kept.empty())
        ++need; // the first file of an empty directory also takes the directory block
    const long room = kRioMaxEntries - d.EntryCount();
    if (long(plan.kept.size()) > room || need > h.free) {
        Fail(kRestoreFailed + ("the image's " + std::to_string(plan.kept.size()) + " files (" + std::to_string(need) +
                               " blocks) do not fit: the player has room for " + std::to_string(room) +
                               " more files and " + std::to_string(h.free) + " free blocks"));
        return kExitFailed;
    }

    std::error_code ec;
    std::random_device random;
    const std::string folder =
        JoinPath(std::filesystem::temp_directory_path(ec).string(), "quavel-restore-" + std::to_string(random()));
    if (ec || !MakeFolder(folder)) {
        Fail(std::string(kRestoreFailed) + "no temporary folder can be made");
        return kExitFailed;
    }
    const std::string temp = JoinPath(folder, "file");
    int result = kExitDone;
    for (int slot : plan.kept) {
        const std::string name = NameOf(directory, slot);
        auto read = [&image](int b, uint8_t* out) { return image.ReadBlock(b, out); };
        if (!WriteChainFile(m_files, temp, EntryOf(directory, slot), check.Chain(slot).blocks, read, error)) {
            Fail(kRestoreFailed + error);
            result = kExitFailed;
            break;
        }
        m_progress.Begin("restore " + m_names.Show(name));
        const bool ok = m_session->DownloadFile(temp.c_str(), CCliProgress::Callback(), name.c_str());
        m_progress.End(ok);
        if (!ok) {
            result = kExitFailed;
            break;
        }
    }
    m_files.Remove(temp);
    RemoveFolder(folder);
    if (result == kExitDone && !check.Clean()) {
        m_io.err << "quavel-cli: the image's directory has faults; its damaged files were not restored:\n";
        PrintFindings(directory, check, m_io.err);
        result = kExitFailed;
    }
    return result;
}
