// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store and the one table of every value the program keeps.
//
// Values are addressed by section and value name. A store never reports failure:
// a read that cannot find (or cannot read) a value yields the caller's default,
// and a write that cannot be done is dropped. Production keeps the values in the
// registry (CRegistrySettings, Windows only); native tests use CMemorySettings.
//
// Code that reads or writes a value of the table goes through SettingDef() and
// the Read/Write...Setting helpers, so that names and defaults live only in
// Settings.cpp.
#pragma once
#include <map>
#include <string>
#include <utility>

class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    virtual int ReadInt(const char* section, const char* name, int defaultValue) = 0;
    virtual void WriteInt(const char* section, const char* name, int value) = 0;
    virtual std::string ReadString(const char* section, const char* name,
                                   const char* defaultValue) = 0;
    virtual void WriteString(const char* section, const char* name, const char* value) = 0;
};

// An in-memory store with the registry's rules: section and value names compare
// without regard to case, integers and strings are different kinds, and reading
// a value as the other kind yields the default (as reading a string value as a
// number does in the registry).
class CMemorySettings : public CSettingsStore {
public:
    int ReadInt(const char* section, const char* name, int defaultValue) override;
    void WriteInt(const char* section, const char* name, int value) override;
    std::string ReadString(const char* section, const char* name,
                           const char* defaultValue) override;
    void WriteString(const char* section, const char* name, const char* value) override;

    // For tests: whether a value of either kind exists, and removing one.
    bool Has(const char* section, const char* name) const;
    void Remove(const char* section, const char* name);
    size_t Count() const { return m_values.size(); }

private:
    struct Value {
        bool isString = false;
        int number = 0;
        std::string text;
    };
    using Key = std::pair<std::string, std::string>;   // lower-case section, name
    static Key MakeKey(const char* section, const char* name);
    std::map<Key, Value> m_values;
};

// ---- The table of values ----------------------------------------------------

extern const char* const kSectionSettings;    // "Settings"
extern const char* const kSectionPositions;   // "Positions"

enum class SettingKind { Integer, String };

enum SettingId {
    SettingPort1,
    SettingPort2,
    SettingIODelayInit,
    SettingIODelayTx,
    SettingIODelayRx,
    SettingLastFilePath,
    SettingLastPLPath,
    SettingLastDLPath,
    SettingLastDriveUpload,
    SettingCheckHDSpace,
    SettingVerifyDownloads,
    SettingConvertBitrate,
    SettingRioDirFirstColumn,
    SettingRioDirSecondColumn,
    SettingRioDirThirdColumn,
    SettingRioDirFourthColumn,
    SettingCount
};

struct SettingDefinition {
    const char* section;
    const char* name;
    SettingKind kind;
    int intDefault;              // integer values
    const char* stringDefault;   // string values ("" for integers)
};

const SettingDefinition& SettingDef(SettingId id);

// Reads with the table's default; a missing value is not written.
int ReadIntSetting(CSettingsStore& store, SettingId id);
std::string ReadStringSetting(CSettingsStore& store, SettingId id);
void WriteIntSetting(CSettingsStore& store, SettingId id, int value);
void WriteStringSetting(CSettingsStore& store, SettingId id, const char* value);

// ---- The application's store --------------------------------------------------

// The store the windows use. The application installs its registry store at
// start-up; until then (and in native tests that install nothing) a process-wide
// CMemorySettings answers, so that no caller ever meets a missing store.
CSettingsStore& AppSettings();
void SetAppSettings(CSettingsStore* store);   // null returns to the in-memory store
