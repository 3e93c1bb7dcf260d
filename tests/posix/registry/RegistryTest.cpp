#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "RegistryFixture.h"
#include "base/Utf16.h"
#include "posix/registry/SqliteConnection.h"

using host::RegistryRoot;
using host::RegistryValue;
using host::RegistryValueType;

namespace {

constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCR = RegistryRoot::ClassesRoot;
constexpr std::u16string_view kSettings = u"Software\\Ondrel\\Velmora";

RegistryValue ExpandString(std::u16string text) { return {RegistryValueType::ExpandString, std::move(text), 0}; }

}  // namespace

TEST_F(RegistryTest, ValuesComeBackWithTheTypeTheyWereStoredWith) {
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"IfFileExists", RegistryValue::OfString(u"2")), ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"SaveOnlyBiggerThan", RegistryValue::OfDword(0xFFFFFFFF)),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"Root", ExpandString(u"%USERPROFILE%\\x")), ERROR_SUCCESS);

    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"IfFileExists"), RegistryValue::OfString(u"2"));
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"SaveOnlyBiggerThan"), RegistryValue::OfDword(0xFFFFFFFF));
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"Root"), ExpandString(u"%USERPROFILE%\\x"));

    // Rewriting with another type replaces the type, and the value keeps its place.
    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"IfFileExists", RegistryValue::OfDword(0)), ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"IfFileExists"), RegistryValue::OfDword(0));
    EXPECT_EQ(registry.ValueNames(HKCU, kSettings),
              (std::vector<std::u16string>{u"IfFileExists", u"SaveOnlyBiggerThan", u"Root"}));

    EXPECT_EQ(registry.SetValue(HKCU, kSettings, u"Odd", {static_cast<RegistryValueType>(3), u"x", 0}),
              ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(registry.QueryValue(HKCU, kSettings, u"Odd"));
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    ASSERT_EQ(registry.CreateKey(HKCU, u"Software\\Ondrel\\Вложения"), ERROR_SUCCESS);
    ASSERT_EQ(registry.CreateKey(HKCU, u"\\SOFTWARE\\ondrel\\ВЛОЖЕНИЯ\\Sub\\"), ERROR_SUCCESS);
    EXPECT_EQ(registry.SubKeyNames(HKCU, u""), std::vector<std::u16string>{u"Software"});
    EXPECT_EQ(registry.SubKeyNames(HKCU, u"software\\ONDREL"), std::vector<std::u16string>{u"Вложения"});
    EXPECT_TRUE(registry.KeyExists(HKCU, u"software\\ondrel\\вложения\\SUB"));

    const std::u16string_view key = u"Software\\Ondrel";
    EXPECT_EQ(registry.SetValue(HKCU, key, u"LastToDir", RegistryValue::OfString(u"a")), ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(HKCU, key, u"LASTTODIR", RegistryValue::OfString(u"b")), ERROR_SUCCESS);
    EXPECT_EQ(registry.ValueNames(HKCU, key), std::vector<std::u16string>{u"LastToDir"});
    EXPECT_EQ(registry.QueryValue(HKCU, key, u"lasttodir"), RegistryValue::OfString(u"b"));
    EXPECT_EQ(registry.DeleteValue(HKCU, key, u"LastTodir"), ERROR_SUCCESS);
    EXPECT_TRUE(registry.ValueNames(HKCU, key).empty());

    for (auto name : {u"b", u"C", u"a"}) registry.CreateKey(HKCU, std::u16string(u"List\\") + name);
    EXPECT_EQ(registry.SubKeyNames(HKCU, u"List"), (std::vector<std::u16string>{u"a", u"b", u"C"}));
}

TEST_F(RegistryTest, TheEmptyNameIsTheDefaultValue) {
    ASSERT_EQ(registry.CreateKey(HKCR, u"VelmoraAddIn.CVelmoraAddIn\\Clsid"), ERROR_SUCCESS);
    const std::u16string_view key = u"VelmoraAddIn.CVelmoraAddIn\\Clsid";
    EXPECT_FALSE(registry.QueryValue(HKCR, key, u""));
    EXPECT_EQ(registry.SetValue(HKCR, key, u"", RegistryValue::OfString(u"")), ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValue(HKCR, key, u""), RegistryValue::OfString(u""));
    EXPECT_EQ(registry.ValueNames(HKCR, key), std::vector<std::u16string>{u""});
    EXPECT_EQ(registry.DeleteValue(HKCR, key, u""), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteValue(HKCR, key, u""), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, WritesToMissingKeysFailWithoutCreatingAnything) {
    EXPECT_TRUE(registry.KeyExists(HKCU, u""));
    EXPECT_FALSE(registry.KeyExists(HKCU, u"Software"));
    EXPECT_EQ(registry.SetValue(HKCU, u"Software", u"x", RegistryValue::OfDword(1)), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteValue(HKCU, u"Software", u"x"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteKeyTree(HKCU, u"Software"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(files.user.parent_path()));

    ASSERT_EQ(registry.CreateKey(HKCU, u"Software"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(files.user));
    EXPECT_EQ(registry.SetValue(HKCU, u"Software\\Missing", u"x", RegistryValue::OfDword(1)), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(registry.KeyExists(HKCU, u"Software\\Missing"));
}

TEST_F(RegistryTest, MachineRootsShareAFileButNotTheirKeys) {
    ASSERT_EQ(registry.CreateKey(HKLM, u"Software\\Clients"), ERROR_SUCCESS);
    EXPECT_FALSE(registry.KeyExists(HKCR, u"Software"));
    EXPECT_FALSE(registry.KeyExists(HKCU, u"Software"));
    EXPECT_TRUE(std::filesystem::exists(files.machine));
    EXPECT_FALSE(std::filesystem::exists(files.user));
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesADeepTreeAndNothingBesideIt) {
    ASSERT_EQ(registry.CreateKey(HKCU, u"Keep"), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(HKCU, u"Keep", u"", RegistryValue::OfString(u"kept")), ERROR_SUCCESS);
    std::u16string deep = u"Deep";
    for (int level = 0; level < 150; ++level) {
        ASSERT_EQ(registry.CreateKey(HKCU, deep + u"\\Side"), ERROR_SUCCESS);
        ASSERT_EQ(registry.SetValue(HKCU, deep, u"Level", RegistryValue::OfDword(level)), ERROR_SUCCESS);
        deep += u"\\Next";
    }

    EXPECT_EQ(registry.DeleteKeyTree(HKCU, u"DEEP"), ERROR_SUCCESS);
    EXPECT_EQ(registry.SubKeyNames(HKCU, u""), std::vector<std::u16string>{u"Keep"});
    EXPECT_EQ(registry.QueryValue(HKCU, u"Keep", u""), RegistryValue::OfString(u"kept"));
    // New keys may reuse the numbers of the deleted ones; no old value may come back.
    ASSERT_EQ(registry.CreateKey(HKCU, u"Deep\\Next\\Next"), ERROR_SUCCESS);
    EXPECT_TRUE(registry.ValueNames(HKCU, u"Deep").empty());
    EXPECT_TRUE(registry.ValueNames(HKCU, u"Deep\\Next\\Next").empty());

    EXPECT_EQ(registry.DeleteKeyTree(HKCU, u"Missing\\Key"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteKeyTree(HKCU, u"\\"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(registry.KeyExists(HKCU, u"Keep"));
}

TEST_F(RegistryTest, AnyUtf16TextRoundTrips) {
    const std::u16string key = u"Software\\Документы";
    const std::u16string texts[] = {u"C:\\Документы\\Вложения", u"日本 \U0001F600", std::u16string(u"a\0b", 3),
                                    std::u16string(u"x\xD800y")};
    ASSERT_EQ(registry.CreateKey(HKCU, key), ERROR_SUCCESS);
    for (const auto& text : texts) {
        ASSERT_EQ(registry.SetValue(HKCU, key, u"Вложения" + text, RegistryValue::OfString(text)), ERROR_SUCCESS);
    }
    posix::SqliteRegistry reopened(files);
    EXPECT_EQ(reopened.SubKeyNames(HKCU, u"software"), std::vector<std::u16string>{u"Документы"});
    for (const auto& text : texts) {
        EXPECT_EQ(reopened.QueryValue(HKCU, key, u"ВЛОЖЕНИЯ" + text), RegistryValue::OfString(text));
    }
}

TEST_F(RegistryTest, TwoRegistriesOverTheSameFilesSeeEachOthersWritesAtOnce) {
    posix::SqliteRegistry other(files);
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    EXPECT_TRUE(other.KeyExists(HKCU, kSettings));
    ASSERT_EQ(other.SetValue(HKCU, kSettings, u"ProcessOption", RegistryValue::OfDword(2)), ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValue(HKCU, kSettings, u"ProcessOption"), RegistryValue::OfDword(2));
    ASSERT_EQ(registry.DeleteValue(HKCU, kSettings, u"ProcessOption"), ERROR_SUCCESS);
    EXPECT_FALSE(other.QueryValue(HKCU, kSettings, u"ProcessOption"));
}

TEST_F(RegistryTest, TwoProcessesWritingTogetherBothSucceed) {
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    constexpr int kWrites = 150;
    auto writeAll = [&](std::u16string prefix) {
        posix::SqliteRegistry own(files);
        int failures = 0;
        for (int i = 0; i < kWrites; ++i) {
            auto name = prefix + velmora::FromUtf8(std::to_string(i));
            if (own.SetValue(HKCU, kSettings, name, RegistryValue::OfDword(i)) != ERROR_SUCCESS) ++failures;
        }
        return failures;
    };
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(writeAll(u"child") == 0 ? 0 : 1);
    EXPECT_EQ(writeAll(u"parent"), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(registry.ValueNames(HKCU, kSettings).size(), 2u * kWrites);
}

TEST_F(RegistryTest, RowsOfUnknownTypesReadAsMissing) {
    ASSERT_EQ(registry.CreateKey(HKCU, kSettings), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(HKCU, kSettings, u"Odd", RegistryValue::OfDword(1)), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(HKCU, kSettings, u"Big", RegistryValue::OfDword(1)), ERROR_SUCCESS);
    {
        // Rows another program could have left: an unknown type, a DWORD out of range.
        posix::SqliteConnection db(files.user, posix::OpenMode::ReadWriteCreate);
        db.Execute("UPDATE reg_values SET type = 3 WHERE name = 'Odd'");
        db.Execute("UPDATE reg_values SET data = 4294967296 WHERE name = 'Big'");
    }
    EXPECT_FALSE(registry.QueryValue(HKCU, kSettings, u"Odd"));
    EXPECT_FALSE(registry.QueryValue(HKCU, kSettings, u"Big"));
}
