#include <gtest/gtest.h>

#include <filesystem>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "base/Exception.h"
#include "base/Utf16.h"
#include "engine/uOutlookManagerConfig.h"
#include "velmora/MapiRegistration.h"
#include "velmora/RunOnlyRegistry.h"
#include "velmora/VirtualStoreRegistry.h"

namespace velmora::cli {
namespace {

using host::RegistryRoot;
using host::RegistryValue;

constexpr char16_t kSettings[] = u"Software\\Ondrel\\Velmora";

// The test platform with another registry in its place.
class RegistryScope {
public:
    RegistryScope(testing_support::TestPlatform& platform, host::Registry& registry)
        : scope_(host::Platform{&registry, &platform.FileSystem(), &platform.Libraries(), &platform.System(),
                                &platform.Catalog(), &platform.RunLocks()}) {}

private:
    host::PlatformScope scope_;
};

class RunOnly : public testing::Test {
protected:
    RunOnly() {
        stored_.CreateKey(RegistryRoot::CurrentUser, kSettings);
        stored_.SetValue(RegistryRoot::CurrentUser, kSettings, u"LastToDir", RegistryValue::OfString(u"Z:\\saved"));
        stored_.SetValue(RegistryRoot::CurrentUser, kSettings, u"IfFileExists", RegistryValue::OfDword(2));
    }

    testing_support::TestPlatform platform_;
    posix::SqliteRegistry& stored_ = platform_.Registry();
    RunOnlyRegistry runOnly_{stored_};
};

TEST_F(RunOnly, WritesAreSeenThroughItButNeverStored) {
    EXPECT_EQ(runOnly_.SetValue(RegistryRoot::CurrentUser, kSettings, u"LastToDir",
                                RegistryValue::OfString(u"Z:\\elsewhere")),
              ERROR_SUCCESS);
    EXPECT_EQ(runOnly_.DeleteValue(RegistryRoot::CurrentUser, u"software\\ONDREL\\velmora", u"iffileexists"),
              ERROR_SUCCESS);
    EXPECT_EQ(runOnly_.QueryValue(RegistryRoot::CurrentUser, kSettings, u"LastToDir"),
              RegistryValue::OfString(u"Z:\\elsewhere"));
    EXPECT_FALSE(runOnly_.QueryValue(RegistryRoot::CurrentUser, kSettings, u"IfFileExists"));
    EXPECT_EQ(runOnly_.ValueNames(RegistryRoot::CurrentUser, kSettings), std::vector<std::u16string>{u"LastToDir"});

    EXPECT_EQ(stored_.QueryValue(RegistryRoot::CurrentUser, kSettings, u"LastToDir"),
              RegistryValue::OfString(u"Z:\\saved"));
    EXPECT_EQ(stored_.QueryValue(RegistryRoot::CurrentUser, kSettings, u"IfFileExists"), RegistryValue::OfDword(2));
}

TEST_F(RunOnly, KeysCreatedForTheRunOnly) {
    EXPECT_EQ(runOnly_.SetValue(RegistryRoot::CurrentUser, u"Software\\New\\Key", u"v", RegistryValue::OfDword(1)),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(runOnly_.CreateKey(RegistryRoot::CurrentUser, u"\\Software\\New\\Key"), ERROR_SUCCESS);
    EXPECT_TRUE(runOnly_.KeyExists(RegistryRoot::CurrentUser, u"software\\new"));
    EXPECT_FALSE(runOnly_.KeyExists(RegistryRoot::LocalMachine, u"Software\\New"));
    EXPECT_EQ(runOnly_.SetValue(RegistryRoot::CurrentUser, u"Software\\New\\Key", u"v", RegistryValue::OfDword(1)),
              ERROR_SUCCESS);
    const auto software = runOnly_.SubKeyNames(RegistryRoot::CurrentUser, u"Software");
    EXPECT_NE(std::find(software.begin(), software.end(), u"New"), software.end());
    EXPECT_NE(std::find(software.begin(), software.end(), u"Ondrel"), software.end());
    EXPECT_EQ(runOnly_.SubKeyNames(RegistryRoot::CurrentUser, u"Software\\New"),
              std::vector<std::u16string>{u"Key"});
    EXPECT_FALSE(stored_.KeyExists(RegistryRoot::CurrentUser, u"Software\\New"));
    EXPECT_EQ(runOnly_.DeleteValue(RegistryRoot::CurrentUser, u"Software\\New\\Key", u"missing"),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(runOnly_.DeleteKeyTree(RegistryRoot::CurrentUser, kSettings), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(stored_.KeyExists(RegistryRoot::CurrentUser, kSettings));
}

TEST_F(RunOnly, SettingsTakeTheRunsOptionsAndKeepTheStoredOnes) {
    {
        RegistryScope scope(platform_, runOnly_);
        TOutlookManagerConfig config;
        EXPECT_EQ(config.LastToDir(), u"Z:\\saved");
        config.SetLastToDir(u"Z:\\run");
        config.SetIfFileExists(0);  // the default: its value is deleted
        config.SetSaveOnlyBiggerThan(0);
        EXPECT_EQ(config.IfFileExists(), 0);
        TOutlookManagerConfig secondLook;  // a new instance reads what the run wrote
        EXPECT_EQ(secondLook.LastToDir(), u"Z:\\run");
        EXPECT_EQ(secondLook.SaveOnlyBiggerThan(), 0);
    }
    TOutlookManagerConfig stored;
    EXPECT_EQ(stored.LastToDir(), u"Z:\\saved");
    EXPECT_EQ(stored.IfFileExists(), 2);
    EXPECT_EQ(stored.SaveOnlyBiggerThan(), 10);
}

class VirtualStore : public testing::Test {
protected:
    testing_support::TestPlatform platform_;
    posix::SqliteRegistry& stored_ = platform_.Registry();
    VirtualStoreRegistry seen_{stored_};
};

TEST_F(VirtualStore, TheUsersStoreComesBeforeTheMachinesKeys) {
    const std::u16string key = u"SOFTWARE\\Vendor\\Tool";
    stored_.CreateKey(RegistryRoot::LocalMachine, key);
    stored_.SetValue(RegistryRoot::LocalMachine, key, u"Both", RegistryValue::OfString(u"machine"));
    stored_.SetValue(RegistryRoot::LocalMachine, key, u"MachineOnly", RegistryValue::OfDword(1));
    const std::u16string virtualKey = VirtualStorePath(u"\\software\\Vendor\\Tool");
    EXPECT_EQ(virtualKey, u"Software\\Classes\\VirtualStore\\MACHINE\\software\\Vendor\\Tool");
    stored_.CreateKey(RegistryRoot::CurrentUser, virtualKey);
    stored_.SetValue(RegistryRoot::CurrentUser, virtualKey, u"Both", RegistryValue::OfString(u"user"));
    stored_.SetValue(RegistryRoot::CurrentUser, virtualKey, u"UserOnly", RegistryValue::OfDword(2));

    EXPECT_EQ(seen_.QueryValue(RegistryRoot::LocalMachine, key, u"Both"), RegistryValue::OfString(u"user"));
    EXPECT_EQ(seen_.QueryValue(RegistryRoot::LocalMachine, key, u"MachineOnly"), RegistryValue::OfDword(1));
    EXPECT_EQ(seen_.QueryValue(RegistryRoot::LocalMachine, key, u"UserOnly"), RegistryValue::OfDword(2));
    auto names = seen_.ValueNames(RegistryRoot::LocalMachine, key);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Both", u"MachineOnly", u"UserOnly"}));
}

TEST_F(VirtualStore, OnlyTheMachinesSoftwareKeyIsVirtualised) {
    stored_.CreateKey(RegistryRoot::CurrentUser, VirtualStorePath(u"SYSTEM\\Setup"));
    stored_.CreateKey(RegistryRoot::CurrentUser, VirtualStorePath(u"SOFTWARE\\OnlyHere"));
    EXPECT_FALSE(seen_.KeyExists(RegistryRoot::LocalMachine, u"SYSTEM\\Setup"));
    EXPECT_TRUE(seen_.KeyExists(RegistryRoot::LocalMachine, u"Software\\OnlyHere"));
    EXPECT_FALSE(seen_.KeyExists(RegistryRoot::ClassesRoot, u"SOFTWARE\\OnlyHere"));
    EXPECT_FALSE(IsVirtualized(RegistryRoot::LocalMachine, u"SOFTWAREX\\a"));
    EXPECT_TRUE(IsVirtualized(RegistryRoot::LocalMachine, u"\\Software"));
    // Writes go where they are addressed.
    EXPECT_EQ(seen_.CreateKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Written"), ERROR_SUCCESS);
    EXPECT_TRUE(stored_.KeyExists(RegistryRoot::LocalMachine, u"SOFTWARE\\Written"));
    EXPECT_FALSE(stored_.KeyExists(RegistryRoot::CurrentUser, VirtualStorePath(u"SOFTWARE\\Written")));
}

class Installing : public VirtualStore {
protected:
    std::u16string Library() const { return FromUtf8(testing_support::MapiProviderPath()); }
};

TEST_F(Installing, AnAdministratorRegistersTheProviderForTheMachine) {
    RegistryScope scope(platform_, seen_);
    EXPECT_EQ(MapiProblems().size(), 2u);
    EXPECT_EQ(InstallMapiProvider(stored_, Library()), InstallPlace::Machine);
    EXPECT_EQ(stored_.QueryValue(RegistryRoot::LocalMachine, kMessagingSubsystemKey, u"MAPI"),
              RegistryValue::OfString(u"1"));
    EXPECT_EQ(stored_.QueryValue(RegistryRoot::LocalMachine, kMailClientKey, u"DLLPathEx"),
              RegistryValue::OfString(Library()));
    EXPECT_TRUE(MapiProblems().empty());
}

TEST_F(Installing, WithoutTheRightToWriteTheMachineHiveTheUserGetsIt) {
    platform_.MakeMachineHiveReadOnly();
    RegistryScope scope(platform_, seen_);
    EXPECT_EQ(InstallMapiProvider(stored_, Library()), InstallPlace::CurrentUser);
    EXPECT_FALSE(stored_.KeyExists(RegistryRoot::LocalMachine, kMailClientKey));
    EXPECT_EQ(stored_.QueryValue(RegistryRoot::CurrentUser, VirtualStorePath(kMailClientKey), u"DLLPathEx"),
              RegistryValue::OfString(Library()));
    EXPECT_TRUE(MapiProblems().empty());
}

TEST_F(Installing, NeitherHiveWritableIsAnError) {
    platform_.MakeMachineHiveReadOnly();
    std::filesystem::permissions(platform_.Hives().user, std::filesystem::perms::owner_read);
    EXPECT_THROW(InstallMapiProvider(stored_, Library()), Exception);
}

TEST_F(Installing, ProblemsSayWhatIsMissingOrWrong) {
    RegistryScope scope(platform_, seen_);
    stored_.CreateKey(RegistryRoot::LocalMachine, kMessagingSubsystemKey);
    stored_.SetValue(RegistryRoot::LocalMachine, kMessagingSubsystemKey, u"MAPI", RegistryValue::OfString(u"11"));
    auto problems = MapiProblems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find(u"the value MAPI is \"11\", not the string \"1\""), std::u16string::npos);
    EXPECT_NE(problems[1].find(u"has no value DLLPathEx"), std::u16string::npos);

    InstallMapiProvider(stored_, u"/no/such/libvelmoramapi.so");
    problems = MapiProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find(u"/no/such/libvelmoramapi.so"), std::u16string::npos);
    EXPECT_NE(problems[0].find(u"Unable to load MAPI library"), std::u16string::npos);
}

}  // namespace
}  // namespace velmora::cli
