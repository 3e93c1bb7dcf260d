#include <fstream>

#include "RegistryFixture.h"

using host::RegistryRoot;
using host::RegistryValue;
namespace fs = std::filesystem;

namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCR = RegistryRoot::ClassesRoot;
constexpr std::u16string_view kSettings = u"Software\\Ondrel\\Velmora";
constexpr std::u16string_view kAddIn = u"Software\\Microsoft\\Office\\Outlook\\AddIns\\VelmoraAddIn.CVelmoraAddIn";

// Every kind of write, each of which must be refused on a read-only hive.
std::vector<LONG> WriteResults(host::Registry& registry, RegistryRoot root) {
    return {registry.CreateKey(root, kSettings),
            registry.CreateKey(root, u"Software\\New"),
            registry.SetValue(root, kSettings, u"LastToDir", RegistryValue::OfString(u"D:\\")),
            registry.DeleteValue(root, kSettings, u"LastToDir"),
            registry.DeleteKeyTree(root, u"Software")};
}

const std::vector<LONG> kAllDenied(5, ERROR_ACCESS_DENIED);

}  // namespace

TEST_F(RegistryTest, AHiveFileNobodyMayWriteRefusesWritesAndStillReads) {
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(HKCU, kSettings, u"LastToDir", RegistryValue::OfString(u"C:\\")), ERROR_SUCCESS);
    fs::permissions(files.user, fs::perms(0444));

    EXPECT_EQ(WriteResults(registry, HKCU), kAllDenied);
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"LastToDir"), RegistryValue::OfString(u"C:\\"));
    EXPECT_EQ(registry.SubKeyNames(HKCU, u"Software"), std::vector<std::u16string>{u"Ondrel"});

    // The journal is written beside the file, so its directory counts too.
    fs::permissions(files.user, fs::perms(0644));
    fs::permissions(files.user.parent_path(), fs::perms(0555));
    EXPECT_EQ(WriteResults(registry, HKCU), kAllDenied);

    fs::permissions(files.user.parent_path(), fs::perms(0755));
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"LastToDir", RegistryValue::OfString(u"E:\\")), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AHiveWhoseDirectoryCannotBeMadeRefusesWrites) {
    // Below a directory nobody may write, and below a plain file.
    fs::create_directory(temp.Path() / "locked");
    fs::permissions(temp.Path() / "locked", fs::perms(0555));
    std::ofstream(temp.Path() / "plain") << "not a directory";
    for (const auto& user : {temp.Path() / "locked" / "velmora" / "user.db", temp.Path() / "plain" / "user.db"}) {
        SCOPED_TRACE(user.string());
        posix::SqliteRegistry blocked({user, files.machine});
        EXPECT_EQ(blocked.CreateKey(HKCU, kSettings), ERROR_ACCESS_DENIED);
        EXPECT_FALSE(blocked.KeyExists(HKCU, kSettings));
        EXPECT_TRUE(blocked.SubKeyNames(HKCU, u"").empty());
    }
    EXPECT_TRUE(fs::is_empty(temp.Path() / "locked"));
}

TEST_F(RegistryTest, AReadOnlyMachineHiveLeavesTheUserHiveWritable) {
    fs::create_directory(files.machine.parent_path());
    fs::permissions(files.machine.parent_path(), fs::perms(0555));

    // What a registration by a user without administrative rights meets.
    EXPECT_EQ(registry.CreateKey(HKLM, kAddIn), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.CreateKey(HKCR, u"CLSID"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(registry.CreateKey(HKCU, kAddIn), ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(HKCU, kAddIn, u"LoadBehavior", RegistryValue::OfDword(3)), ERROR_SUCCESS);
    EXPECT_FALSE(registry.KeyExists(HKLM, kAddIn));
    EXPECT_EQ(registry.QueryValue(HKCU, kAddIn, u"LoadBehavior"), RegistryValue::OfDword(3));
}
