// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store in the registry: HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
// Integers are REG_DWORD values, strings REG_SZ values. Keys are created on the
// first write; a read never creates anything.
#pragma once

#include "app/Settings.h"

#include <windows.h>

#include <string>

class CRegistrySettings : public CSettingsStore {
public:
    CRegistrySettings(const std::string& company, const std::string& application);

    int ReadInt(const char* section, const char* name, int defaultValue) override;
    void WriteInt(const char* section, const char* name, int value) override;
    std::string ReadString(const char* section, const char* name, const char* defaultValue) override;
    void WriteString(const char* section, const char* name, const char* value) override;

    // "Software\<company>\<application>", below HKEY_CURRENT_USER.
    const std::string& KeyPath() const { return m_keyPath; }

private:
    std::string SectionPath(const char* section) const;

    std::string m_keyPath;
};
