// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/HelpTopics.h"
#include "app/Settings.h"

TEST(MemorySettings, MissingValuesReadAsTheCallersDefault) {
    CMemorySettings s;
    EXPECT_EQ(s.ReadInt("Settings", "Port1", 888), 888);
    EXPECT_EQ(s.ReadString("Settings", "LastDLPath", "C:\\"), "C:\\");
    EXPECT_EQ(s.ReadString("Settings", "LastDLPath", nullptr), "");
    EXPECT_EQ(s.Count(), 0u);   // reading creates nothing
}

TEST(MemorySettings, NamesIgnoreCaseAndKindsStayApart) {
    CMemorySettings s;
    s.WriteInt("Settings", "IODelayTx", 0);
    EXPECT_EQ(s.ReadInt("SETTINGS", "iodelaytx", 5), 0);   // a stored 0 is not "missing"
    s.WriteString("settings", "iodelaytx", "150");
    EXPECT_EQ(s.Count(), 1u);                              // same value, now a string
    EXPECT_EQ(s.ReadInt("Settings", "IODelayTx", 100), 100);
    EXPECT_EQ(s.ReadString("Settings", "IODelayTx", ""), "150");
    s.WriteInt("Settings", "IODelayTx", -3);
    EXPECT_EQ(s.ReadString("Settings", "IODelayTx", "x"), "x");
    EXPECT_EQ(s.ReadInt("Settings", "IODelayTx", 100), -3);
    // Same value name in another section is another value.
    EXPECT_FALSE(s.Has("Positions", "IODelayTx"));
    s.Remove("Settings", "IODELAYTX");
    EXPECT_FALSE(s.Has("Settings", "IODelayTx"));
}

TEST(SettingsTable, EveryValueWithItsDefault) {
    struct Row { SettingId id; const char* section; const char* name; bool isInt; int i; const char* s; };
    const Row rows[] = {
        {SettingPort1, "Settings", "Port1", true, 888, ""},
        {SettingPort2, "Settings", "Port2", true, 632, ""},
        {SettingIODelayInit, "Settings", "IODelayInit", true, 20000, ""},
        {SettingIODelayTx, "Settings", "IODelayTx", true, 100, ""},
        {SettingIODelayRx, "Settings", "IODelayRx", true, 2, ""},
        {SettingLastFilePath, "Settings", "LastFilePath", false, 0, ""},
        {SettingLastPLPath, "Settings", "LastPLPath", false, 0, ""},
        {SettingLastDLPath, "Settings", "LastDLPath", false, 0, ""},
        {SettingLastDriveUpload, "Settings", "LastDriveUpload", false, 0, "C:\\"},
        {SettingCheckHDSpace, "Settings", "CheckHDSpace", true, 1, ""},
        {SettingVerifyDownloads, "Settings", "VerifyDownloads", true, 0, ""},
        {SettingConvertBitrate, "Settings", "ConvertBitrate", true, 0, ""},
        {SettingRioDirFirstColumn, "Positions", "RioDirFirstColumn", true, 0, ""},
        {SettingRioDirSecondColumn, "Positions", "RioDirSecondColumn", true, 0, ""},
        {SettingRioDirThirdColumn, "Positions", "RioDirThirdColumn", true, 0, ""},
        {SettingRioDirFourthColumn, "Positions", "RioDirFourthColumn", true, 0, ""},
    };
    ASSERT_EQ(sizeof rows / sizeof rows[0], static_cast<size_t>(SettingCount));
    CMemorySettings store;
    std::set<std::string> names;
    for (const Row& r : rows) {
        const SettingDefinition& d = SettingDef(r.id);
        SCOPED_TRACE(r.name);
        EXPECT_STREQ(d.section, r.section);
        EXPECT_STREQ(d.name, r.name);
        EXPECT_TRUE(names.insert(d.name).second);
        if (r.isInt) {
            EXPECT_EQ(d.kind, SettingKind::Integer);
            EXPECT_EQ(ReadIntSetting(store, r.id), r.i);
            WriteIntSetting(store, r.id, 77);
            EXPECT_EQ(store.ReadInt(r.section, r.name, 0), 77);
        } else {
            EXPECT_EQ(d.kind, SettingKind::String);
            EXPECT_EQ(ReadStringSetting(store, r.id), r.s);
            WriteStringSetting(store, r.id, "D:\\mp3");
            EXPECT_EQ(store.ReadString(r.section, r.name, ""), "D:\\mp3");
        }
    }
    EXPECT_EQ(store.Count(), static_cast<size_t>(SettingCount));
}

TEST(SettingsTable, AppStoreFallsBackToMemory) {
    CMemorySettings mine;
    SetAppSettings(&mine);
    WriteIntSetting(AppSettings(), SettingCheckHDSpace, 0);
    EXPECT_EQ(mine.ReadInt("Settings", "CheckHDSpace", 1), 0);
    SetAppSettings(nullptr);
    EXPECT_NE(&AppSettings(), &mine);
    EXPECT_EQ(ReadIntSetting(AppSettings(), SettingCheckHDSpace), 1);
}

TEST(HelpTopics, TopicIsTemplatePlusBase) {
    EXPECT_EQ(kHelpAboutBox, 0x20064u);
    EXPECT_EQ(kHelpMainWindow, 0x20066u);
    EXPECT_EQ(kHelpConnect, 0x20082u);
    EXPECT_EQ(kHelpPlaylist, 0x20086u);
    EXPECT_EQ(kHelpInitialize, 0x2008Eu);
    EXPECT_EQ(kHelpFolderSelect, 0x2008Fu);
    EXPECT_EQ(kHelpOptions, 0x2011Cu);
}
