#include <gtest/gtest.h>

#include "SettingsProbe.h"
#include "engine/uOutlookManagerConfig.h"

using host::RegistryValue;
using velmora::TOutlookManagerConfig;

namespace {

class SettingsTest : public ::testing::Test, protected SettingsProbe {};

TEST_F(SettingsTest, FreshUserGetsEveryDefaultAndAnEmptyKey) {
    ASSERT_FALSE(platform.Registry().KeyExists(root, key));
    TOutlookManagerConfig config;
    EXPECT_TRUE(platform.Registry().KeyExists(root, key));
    EXPECT_TRUE(platform.Registry().ValueNames(root, key).empty());
    EXPECT_FALSE(config.SaveInlineAttachments());
    EXPECT_EQ(config.SaveOnlyBiggerThan(), 10);
    EXPECT_EQ(config.SaveOnlyExtensions(), u"");
    EXPECT_TRUE(config.UseFolderNameAsDir());
    EXPECT_EQ(config.SaveAttOptions(), 0);
    EXPECT_EQ(config.LastToDir(), u"c:\\VelmoraAttachments");
    EXPECT_TRUE(config.LastProcessSubFolders());
    EXPECT_TRUE(config.LastRemoveAfterSaving());
    EXPECT_EQ(config.IfFileExists(), 0);
    EXPECT_EQ(config.WhatToProcess(), 0);
    EXPECT_EQ(config.ProcessOption(), 0);
    EXPECT_TRUE(config.DeleteReintrFile());
    EXPECT_FALSE(config.DisplayedWelcomeMsg());
}

TEST_F(SettingsTest, OnlyChangesAreWrittenAndDefaultsAreDeleted) {
    TOutlookManagerConfig config;
    config.SetSaveOnlyBiggerThan(11);
    EXPECT_EQ(Stored(u"SaveOnlyBiggerThan"), RegistryValue::OfDword(11));
    config.SetSaveOnlyBiggerThan(10);
    EXPECT_FALSE(Stored(u"SaveOnlyBiggerThan"));
    config.SetSaveOnlyBiggerThan(11);
    Forget(u"SaveOnlyBiggerThan");
    config.SetSaveOnlyBiggerThan(11);
    EXPECT_FALSE(Stored(u"SaveOnlyBiggerThan")) << "an unchanged value is not written again";

    config.SetUseFolderNameAsDir(false);
    EXPECT_EQ(Stored(u"UseFolderNameAsDir"), RegistryValue::OfDword(0));
    config.SetUseFolderNameAsDir(true);
    EXPECT_FALSE(Stored(u"UseFolderNameAsDir"));

    config.SetSaveOnlyExtensions(u".pdf");
    config.SetSaveOnlyExtensions(u"");
    EXPECT_EQ(Stored(u"SaveOnlyExtensions"), RegistryValue::OfString(u"")) << "strings are never deleted";
}

TEST_F(SettingsTest, StoredValuesLoadAsTheyStandAndCompareByTheirPair) {
    Store(u"IfFileExists", RegistryValue::OfDword(300));
    Store(u"UseFolderNameAsDir", RegistryValue::OfDword(256));
    Store(u"LastToDir", {host::RegistryValueType::ExpandString, u"%TEMP%\\Att", 0});
    TOutlookManagerConfig config;
    EXPECT_EQ(config.IfFileExists(), 300 % 256);
    EXPECT_FALSE(config.UseFolderNameAsDir()) << "a boolean is the low byte";
    EXPECT_EQ(config.LastToDir(), u"%TEMP%\\Att") << "older expandable strings read unexpanded";

    config.SetUseFolderNameAsDir(false);
    EXPECT_EQ(Stored(u"UseFolderNameAsDir"), RegistryValue::OfDword(256)) << "low bytes equal: no write";
    config.SetIfFileExists(300 % 256);
    EXPECT_EQ(Stored(u"IfFileExists"), RegistryValue::OfDword(44)) << "a byte compares the whole cell";
}

TEST_F(SettingsTest, WrongRegistryTypeFailsTheConstruction) {
    Store(u"IfFileExists", RegistryValue::OfString(u"1"));
    EXPECT_EQ(ConfigError([] { TOutlookManagerConfig config; }), "Invalid data type for 'IfFileExists'");
    Forget(u"IfFileExists");
    Store(u"LastToDir", RegistryValue::OfDword(1));
    EXPECT_EQ(ConfigError([] { TOutlookManagerConfig config; }), "Invalid data type for 'LastToDir'");
}

TEST_F(SettingsTest, UnicodeDirectoryComesBackUnchanged) {
    const std::u16string directory = u"C:\\Документы\\Вложения\\日本";
    TOutlookManagerConfig().SetLastToDir(directory);
    EXPECT_EQ(Stored(u"LastToDir"), RegistryValue::OfString(directory));
    EXPECT_EQ(TOutlookManagerConfig().LastToDir(), directory);
}

TEST_F(SettingsTest, UnknownIndexIsNotFound) {
    TOutlookManagerConfig config;
    EXPECT_EQ(ConfigError([&] { config.GetByte(99); }), "Property not found");
    EXPECT_EQ(ConfigError([&] { config.SetBool(0, true); }), "Property not found") << "index 0 has no property";
    EXPECT_EQ(ConfigError([&] { config.GetWideString(2); }), "Invalid data type for 'SaveOnlyBiggerThan'");
}

TEST_F(SettingsTest, InstancesDoNotSeeLaterWritesAndTheLastWriteWins) {
    TOutlookManagerConfig engine;
    TOutlookManagerConfig welcome;
    welcome.SetDisplayedWelcomeMsg(true);
    EXPECT_FALSE(engine.DisplayedWelcomeMsg());
    Forget(u"DisplayedWelcomeMsg");
    engine.SetDisplayedWelcomeMsg(true);
    EXPECT_EQ(Stored(u"DisplayedWelcomeMsg"), RegistryValue::OfDword(1));

    engine.SetSaveOnlyBiggerThan(20);
    welcome.SetSaveOnlyBiggerThan(30);
    EXPECT_EQ(TOutlookManagerConfig().SaveOnlyBiggerThan(), 30);
}

TEST_F(SettingsTest, UnwritableHiveFailsEveryWriteAndKeepsTheStoredValue) {
    Store(u"SaveOnlyBiggerThan", RegistryValue::OfDword(11));
    SetUserHiveWritable(false);
    TOutlookManagerConfig config;
    EXPECT_EQ(config.SaveOnlyBiggerThan(), 11) << "a key that cannot be written is still read";
    EXPECT_EQ(ConfigError([&] { config.SetSaveOnlyBiggerThan(10); }), "Failed to set data for 'SaveOnlyBiggerThan'");
    EXPECT_EQ(config.SaveOnlyBiggerThan(), 11);
    EXPECT_EQ(ConfigError([&] { config.SetSaveAttOptions(2); }), "Failed to set data for 'SaveAttOptions'");
    EXPECT_EQ(ConfigError([&] { config.SetSaveAttOptions(2); }), "Failed to set data for 'SaveAttOptions'")
        << "a failed write is tried again";
    EXPECT_EQ(Stored(u"SaveOnlyBiggerThan"), RegistryValue::OfDword(11));
}

}  // namespace
