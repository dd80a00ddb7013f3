// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store really writes HKEY_CURRENT_USER\Software\<company>\<app>\<section>
// (read back here with the registry functions themselves), and the application's
// names and help file follow the executable.
#include "app/Application.h"
#include "app/Help.h"
#include "app/RegistrySettings.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A test application name of its own, so that nothing of the program's own key is touched.
const std::string kApp = "QuavelRegistryTest" + std::to_string(::GetCurrentProcessId());
const std::string kKey = "Software\\Kestry\\" + kApp;

bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// The raw value: its type and bytes.
bool RawValue(const std::string& section, const char* name, DWORD& type, std::vector<char>& data)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, (kKey + "\\" + section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        data.assign(size, '\0');
        result = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void SetRawValue(const std::string& section, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, (kKey + "\\" + section).c_str(), 0, nullptr, 0,
                                                KEY_WRITE, nullptr, &key, nullptr));
    ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

class RegistrySettings : public ::testing::Test {
protected:
    void SetUp() override { wintest::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { wintest::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }
    CRegistrySettings store{"Kestry", kApp};
};

TEST_F(RegistrySettings, IntegersAreDwordsUnderTheSectionKey)
{
    EXPECT_EQ("Software\\Kestry\\" + kApp, store.KeyPath());
    store.WriteInt("Settings", "Port1", 632);
    store.WriteInt("Positions", "RioDirFirstColumn", -5);

    DWORD type = 0;
    std::vector<char> data;
    ASSERT_TRUE(RawValue("Settings", "Port1", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    ASSERT_EQ(4u, data.size());
    EXPECT_EQ(632, *reinterpret_cast<const int*>(data.data()));
    ASSERT_TRUE(RawValue("Positions", "RioDirFirstColumn", type, data));
    EXPECT_EQ(-5, *reinterpret_cast<const int*>(data.data()));

    EXPECT_EQ(632, store.ReadInt("Settings", "Port1", 888));
    EXPECT_EQ(-5, store.ReadInt("Positions", "RioDirFirstColumn", 0));
    // Names are not case-sensitive in the registry.
    EXPECT_EQ(632, store.ReadInt("SETTINGS", "port1", 888));
}

TEST_F(RegistrySettings, StringsAreTextValues)
{
    store.WriteString("Settings", "LastDriveUpload", "D:\\");
    store.WriteString("Settings", "LastDLPath", "");
    DWORD type = 0;
    std::vector<char> data;
    ASSERT_TRUE(RawValue("Settings", "LastDriveUpload", type, data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("D:\\", 4), std::string(data.data(), data.size()));  // with its terminator
    EXPECT_EQ("D:\\", store.ReadString("Settings", "LastDriveUpload", "C:\\"));
    // An empty text is a value of its own, not a missing one.
    EXPECT_EQ("", store.ReadString("Settings", "LastDLPath", "default"));
}

TEST_F(RegistrySettings, MissingOrUnreadableValuesGiveTheDefaultAndCreateNothing)
{
    EXPECT_EQ(888, store.ReadInt("Settings", "Port1", 888));
    EXPECT_EQ("C:\\", store.ReadString("Settings", "LastDriveUpload", "C:\\"));
    EXPECT_EQ("", store.ReadString("Settings", "LastPLPath", nullptr));
    EXPECT_FALSE(KeyExists(kKey)) << "a read must not create the key";

    // A value of the other kind, or an integer of the wrong size, reads as the default.
    store.WriteString("Settings", "CheckHDSpace", "1");
    EXPECT_EQ(7, store.ReadInt("Settings", "CheckHDSpace", 7));
    store.WriteInt("Settings", "LastPLPath", 3);
    EXPECT_EQ("dflt", store.ReadString("Settings", "LastPLPath", "dflt"));
    const char twoBytes[2] = {1, 0};
    SetRawValue("Settings", "Port2", REG_BINARY, twoBytes, 2);
    EXPECT_EQ(632, store.ReadInt("Settings", "Port2", 632));
}

TEST_F(RegistrySettings, TextsWithoutTerminatorAreReadWhole)
{
    // Another program may store text without its terminating zero.
    SetRawValue("Settings", "LastFilePath", REG_SZ, "C:\\mp3", 6);
    EXPECT_EQ("C:\\mp3", store.ReadString("Settings", "LastFilePath", ""));
    // Long texts are not cut.
    std::string path(600, 'x');
    store.WriteString("Settings", "LastFilePath", path.c_str());
    EXPECT_EQ(path, store.ReadString("Settings", "LastFilePath", ""));
}

TEST_F(RegistrySettings, TheWholeTableRoundTrips)
{
    // Every value of the program's table lands in its own section and reads back.
    for (int id = 0; id < SettingCount; ++id) {
        const SettingDefinition& def = SettingDef(static_cast<SettingId>(id));
        SCOPED_TRACE(def.name);
        if (def.kind == SettingKind::Integer) {
            EXPECT_EQ(def.intDefault, ReadIntSetting(store, static_cast<SettingId>(id)));
            WriteIntSetting(store, static_cast<SettingId>(id), 1000 + id);
            EXPECT_EQ(1000 + id, ReadIntSetting(store, static_cast<SettingId>(id)));
            DWORD type = 0;
            std::vector<char> data;
            ASSERT_TRUE(RawValue(def.section, def.name, type, data));
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        } else {
            EXPECT_EQ(def.stringDefault, ReadStringSetting(store, static_cast<SettingId>(id)));
            std::string text = std::string("text ") + def.name;
            WriteStringSetting(store, static_cast<SettingId>(id), text.c_str());
            EXPECT_EQ(text, ReadStringSetting(store, static_cast<SettingId>(id)));
            DWORD type = 0;
            std::vector<char> data;
            ASSERT_TRUE(RawValue(def.section, def.name, type, data));
            EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        }
    }
}

TEST(ApplicationNames, FollowTheExecutable)
{
    EXPECT_EQ("Quavel", BaseNameWithoutExtension("C:\\Program Files\\Quavel\\Quavel.EXE"));
    EXPECT_EQ("my.player", BaseNameWithoutExtension("D:\\x\\my.player.exe"));
    EXPECT_EQ("Quavel", BaseNameWithoutExtension("Quavel"));
    EXPECT_EQ(".hidden", BaseNameWithoutExtension("C:/dir/.hidden"));
    // This test program is the application here.
    EXPECT_EQ("registry_settings_test", ApplicationName());

    EXPECT_EQ("C:\\Apps\\Quavel.HLP", HelpFileFor("C:\\Apps\\Quavel.exe"));
    EXPECT_EQ("C:\\Apps.v2\\Quavel.HLP", HelpFileFor("C:\\Apps.v2\\Quavel"));
    EXPECT_EQ("Copy.of.Quavel.HLP", HelpFileFor("Copy.of.Quavel.exe"));
}

struct SHelpCall {
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<SHelpCall> g_helpCalls;

bool RecordHelp(HWND owner, const char* file, UINT command, ULONG_PTR data)
{
    g_helpCalls.push_back({owner, file, command, data});
    return true;
}

TEST(Help, OpensTheExecutablesHelpFileAtTheContext)
{
    HelpEngine previous = SetHelpEngine(RecordHelp);
    g_helpCalls.clear();
    HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(ShowHelpTopic(owner, 0x2011C));
    CloseHelp(owner);
    SetHelpEngine(previous);

    ASSERT_EQ(2u, g_helpCalls.size());
    const std::string expectedFile = HelpFileFor(ExecutablePath());
    EXPECT_EQ(owner, g_helpCalls[0].owner);
    EXPECT_EQ(expectedFile, g_helpCalls[0].file);
    EXPECT_NE(std::string::npos, g_helpCalls[0].file.find("registry_settings_test.HLP"));
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), g_helpCalls[0].command);
    EXPECT_EQ(0x2011Cu, g_helpCalls[0].data);
    EXPECT_EQ(static_cast<UINT>(HELP_QUIT), g_helpCalls[1].command);
}

}  // namespace
