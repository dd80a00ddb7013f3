// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include <cassert>
#include <cctype>

const char* const kSectionSettings = "Settings";
const char* const kSectionPositions = "Positions";

namespace {

// Every value the program reads or writes; nothing outside this table is stored.
const SettingDefinition kTable[SettingCount] = {
    // section,           name,                  kind,                 int,   string
    {"Settings",  "Port1",              SettingKind::Integer, 888,   ""},
    {"Settings",  "Port2",              SettingKind::Integer, 632,   ""},
    {"Settings",  "IODelayInit",        SettingKind::Integer, 20000, ""},
    {"Settings",  "IODelayTx",          SettingKind::Integer, 100,   ""},
    {"Settings",  "IODelayRx",          SettingKind::Integer, 2,     ""},
    {"Settings",  "LastFilePath",       SettingKind::String,  0,     ""},
    {"Settings",  "LastPLPath",         SettingKind::String,  0,     ""},
    {"Settings",  "LastDLPath",         SettingKind::String,  0,     ""},
    {"Settings",  "LastDriveUpload",    SettingKind::String,  0,     "C:\\"},
    {"Settings",  "CheckHDSpace",       SettingKind::Integer, 1,     ""},
    // 1: downloads read every file back and compare it; any other value: no read-back.
    {"Settings",  "VerifyDownloads",    SettingKind::Integer, 0,     ""},
    // The bitrate in kbit/s that the main window's downloads convert to MP3 at; 0: no conversion.
    {"Settings",  "ConvertBitrate",     SettingKind::Integer, 0,     ""},
    {"Positions", "RioDirFirstColumn",  SettingKind::Integer, 0,     ""},
    {"Positions", "RioDirSecondColumn", SettingKind::Integer, 0,     ""},
    {"Positions", "RioDirThirdColumn",  SettingKind::Integer, 0,     ""},
    {"Positions", "RioDirFourthColumn", SettingKind::Integer, 0,     ""},
};

CMemorySettings g_fallbackStore;
CSettingsStore* g_appStore = nullptr;

std::string Lower(const char* s) {
    std::string out;
    for (; s && *s; ++s)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(*s)));
    return out;
}

}  // namespace

const SettingDefinition& SettingDef(SettingId id) {
    assert(id >= 0 && id < SettingCount);
    return kTable[id];
}

int ReadIntSetting(CSettingsStore& store, SettingId id) {
    const SettingDefinition& d = SettingDef(id);
    assert(d.kind == SettingKind::Integer);
    return store.ReadInt(d.section, d.name, d.intDefault);
}

std::string ReadStringSetting(CSettingsStore& store, SettingId id) {
    const SettingDefinition& d = SettingDef(id);
    assert(d.kind == SettingKind::String);
    return store.ReadString(d.section, d.name, d.stringDefault);
}

void WriteIntSetting(CSettingsStore& store, SettingId id, int value) {
    const SettingDefinition& d = SettingDef(id);
    assert(d.kind == SettingKind::Integer);
    store.WriteInt(d.section, d.name, value);
}

void WriteStringSetting(CSettingsStore& store, SettingId id, const char* value) {
    const SettingDefinition& d = SettingDef(id);
    assert(d.kind == SettingKind::String);
    store.WriteString(d.section, d.name, value ? value : "");
}

CSettingsStore& AppSettings() {
    return g_appStore ? *g_appStore : g_fallbackStore;
}

void SetAppSettings(CSettingsStore* store) {
    g_appStore = store;
}

// ---- CMemorySettings ------------------------------------------------------------

CMemorySettings::Key CMemorySettings::MakeKey(const char* section, const char* name) {
    return {Lower(section), Lower(name)};
}

int CMemorySettings::ReadInt(const char* section, const char* name, int defaultValue) {
    auto it = m_values.find(MakeKey(section, name));
    if (it == m_values.end() || it->second.isString)
        return defaultValue;
    return it->second.number;
}

void CMemorySettings::WriteInt(const char* section, const char* name, int value) {
    Value& v = m_values[MakeKey(section, name)];
    v.isString = false;
    v.number = value;
    v.text.clear();
}

std::string CMemorySettings::ReadString(const char* section, const char* name,
                                        const char* defaultValue) {
    auto it = m_values.find(MakeKey(section, name));
    if (it == m_values.end() || !it->second.isString)
        return defaultValue ? defaultValue : "";
    return it->second.text;
}

void CMemorySettings::WriteString(const char* section, const char* name, const char* value) {
    Value& v = m_values[MakeKey(section, name)];
    v.isString = true;
    v.number = 0;
    v.text = value ? value : "";
}

bool CMemorySettings::Has(const char* section, const char* name) const {
    return m_values.count(MakeKey(section, name)) != 0;
}

void CMemorySettings::Remove(const char* section, const char* name) {
    m_values.erase(MakeKey(section, name));
}
