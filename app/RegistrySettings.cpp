// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RegistrySettings.h"

#include <cstring>
#include <vector>

namespace {
// Closes a registry key when it goes out of scope.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { if (m_key != nullptr) ::RegCloseKey(m_key); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};
}  // namespace

CRegistrySettings::CRegistrySettings(const std::string& company, const std::string& application)
    : m_keyPath("Software\\" + company + "\\" + application)
{
}

std::string CRegistrySettings::SectionPath(const char* section) const
{
    return m_keyPath + "\\" + (section != nullptr ? section : "");
}

int CRegistrySettings::ReadInt(const char* section, const char* name, int defaultValue)
{
    CRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS
        || type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return static_cast<int>(value);
}

void CRegistrySettings::WriteInt(const char* section, const char* name, int value)
{
    CRegKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
        return;
    DWORD data = static_cast<DWORD>(value);
    ::RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

std::string CRegistrySettings::ReadString(const char* section, const char* name, const char* defaultValue)
{
    const std::string fallback = defaultValue != nullptr ? defaultValue : "";
    CRegKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return fallback;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS
        || (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    // The stored data need not end in a terminator: read into a zeroed buffer one larger.
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD got = size;
    if (::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got)
        != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    buffer[got < size ? got : size] = '\0';
    return std::string(buffer.data());
}

void CRegistrySettings::WriteString(const char* section, const char* name, const char* value)
{
    CRegKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS)
        return;
    const char* text = value != nullptr ? value : "";
    ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(strlen(text) + 1));
}
