// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of quavel-cli on one device session: the session finds the
// player, runs each change as the device operation followed by a directory
// write and reports failures in its own words, which go to stderr here.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "cli/Cli.h"
#include "cli/CliProgress.h"
#include "cli/NameCodec.h"
#include "device/DirectoryCheck.h"
#include "device/MessageSink.h"
#include "playlist/FileEntry.h"

class CCliPorts;
class CRioDevice;
class CRioSession;

// The session's messages as console lines on stderr, counted, so that the
// commands can tell a failure from the operations that report only through them.
class CCliMessages : public CMessageSink {
public:
    explicit CCliMessages(std::ostream& err) : m_err(err) {}
    void ShowError(const char* text) override;
    // Player names in the texts shown as the console shows them (the device's
    // texts carry them in the player's code page).
    void SetNameConversion(std::function<std::string(const std::string&)> convert) { m_convert = std::move(convert); }
    int Count() const { return m_count; }
    const std::string& Last() const { return m_last; }

private:
    std::ostream& m_err;
    std::function<std::string(const std::string&)> m_convert;
    int m_count = 0;
    std::string m_last;
};

class CCliCommands {
public:
    CCliCommands(const SCliOptions& options, SCliIo& io);
    ~CCliCommands();
    CCliCommands(const CCliCommands&) = delete;
    CCliCommands& operator=(const CCliCommands&) = delete;

    // Opens the port, finds the player, reads the directory and runs the command.
    int Run();

private:
    int Connect();
    int List();
    int Info();
    int Put();
    int Get();
    int Remove();
    int Move();
    int Format();
    int Dump();
    int Verify();
    // The directory checks and the dump image reader (CliChecks.cpp).
    int Check();
    int Repair();
    int ListImage();
    int Extract();
    int Restore();
    bool Offline() const;
    int PrintList(const std::vector<std::unique_ptr<CFileEntry>>& rows, const std::vector<DirectoryEntry>& entries,
                  int total, int used, int free);
    // The name of an entry of a directory image as this console shows it.
    std::string ShownName(const uint8_t* directory, int slot);
    void PrintFindings(const uint8_t* directory, const CDirectoryCheck& check, std::ostream& out);
    int Sync();     // CliSync.cpp

    void Fail(const std::string& text);     // a failure in the session's style
    // A name typed on the command line as the player stores it; false after
    // a failure under heading when it has no form there.
    bool PlayerName(const std::string& typed, const char* heading, std::string& name);
    // The slot of the entry a name or "#N" typed on the command line means
    // (-1 for a name no entry has) and its player name; false after a failure
    // under heading, code then the exit code it calls for (kExitUsage for a
    // name that several entries hold).
    bool FindSlot(const std::string& typed, const char* heading, int& slot, int& code, std::string& name);
    // Slots of the entries whose stored name is name, in directory order.
    std::vector<int> SlotsNamed(const std::string& name);
    std::string EntryName(int slot);
    // On stderr when the new entry in slot does not hold the name typed.
    void AnnounceStoredName(const std::string& typed, const std::string& name, int slot);
    // text with each quoted player name of the directory in the console's form.
    std::string ShownNames(const std::string& text);
    CRioDevice& Device();
    const char* MemoryName() const { return m_options.card ? "card" : "internal"; }

    const SCliOptions& m_options;
    SCliIo& m_io;
    CPcFiles& m_files;
    CMemorySettings m_settings;
    CCliMessages m_messages;
    CCliProgress m_progress;
    CNameCodec m_names;
    std::unique_ptr<CCliPorts> m_ports;
    std::unique_ptr<CRioSession> m_session;
};
