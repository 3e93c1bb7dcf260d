// The registry over advapi32, on private keys that stand in for the roots.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "WineFixture.h"
#include "win32/registry/Win32Registry.h"

namespace win32test {

namespace {

using host::RegistryRoot;
using host::RegistryValue;
using host::RegistryValueType;

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() = default;
    ~RegistryTest() override {
        for (HKEY root : {roots_.ClassesRoot, roots_.CurrentUser, roots_.LocalMachine}) RegCloseKey(root);
        RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
    }

    HKEY Create(const std::wstring& name) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        return key;
    }

    // Private keys in the user's hive stand in for the three roots.
    std::wstring base_ = L"Software\\VelmoraTests\\" + std::to_wstring(GetCurrentProcessId());
    win32::Win32Registry::Roots roots_{Create(L"\\Classes"), Create(L"\\User"), Create(L"\\Machine")};
    win32::Win32Registry registry{roots_};
};

TEST_F(RegistryTest, KeysAreMadeWithTheirParentsAndMatchedWithoutRegardToCase) {
    EXPECT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, u"\\Software\\Ondrel\\Velmora"), ERROR_SUCCESS);
    EXPECT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, u"software\\ondrel\\velmora"), ERROR_SUCCESS);
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, u"SOFTWARE\\Ondrel"));
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"Software\\Ondrel"));
    EXPECT_EQ(registry.SubKeyNames(RegistryRoot::CurrentUser, u"software"), std::vector<std::u16string>{u"Ondrel"});
    EXPECT_TRUE(registry.SubKeyNames(RegistryRoot::CurrentUser, u"Missing").empty());
}

TEST_F(RegistryTest, ValuesRoundTripByTypeAndNameCase) {
    ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, u"Settings"), ERROR_SUCCESS);
    const std::u16string unicode = u"C:\\Anh\u00e4nge \u03b1\u03b2 \U0001F4CE";
    EXPECT_EQ(registry.SetValue(RegistryRoot::CurrentUser, u"Settings", u"LastToDir", RegistryValue::OfString(unicode)),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(RegistryRoot::CurrentUser, u"Settings", u"MinSize", RegistryValue::OfDword(0xFFFFFFFF)),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.SetValue(RegistryRoot::CurrentUser, u"Settings", u"",
                                RegistryValue{RegistryValueType::ExpandString, u"%TEMP%\\x", 0}),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.QueryValue(RegistryRoot::CurrentUser, u"settings", u"LASTTODIR"), RegistryValue::OfString(unicode));
    EXPECT_EQ(registry.QueryValue(RegistryRoot::CurrentUser, u"Settings", u"minsize"), RegistryValue::OfDword(0xFFFFFFFF));
    EXPECT_EQ(registry.QueryValue(RegistryRoot::CurrentUser, u"Settings", u""),
              (RegistryValue{RegistryValueType::ExpandString, u"%TEMP%\\x", 0}));
    std::vector<std::u16string> names = registry.ValueNames(RegistryRoot::CurrentUser, u"Settings");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"", u"LastToDir", u"MinSize"}));

    EXPECT_EQ(registry.DeleteValue(RegistryRoot::CurrentUser, u"Settings", u"minSize"), ERROR_SUCCESS);
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::CurrentUser, u"Settings", u"MinSize"));
    EXPECT_EQ(registry.DeleteValue(RegistryRoot::CurrentUser, u"Settings", u"MinSize"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(registry.QueryValue(RegistryRoot::CurrentUser, u"Missing", u"LastToDir"));
}

TEST_F(RegistryTest, WritesToAMissingKeyFailAndRootsStay) {
    EXPECT_EQ(registry.SetValue(RegistryRoot::LocalMachine, u"Missing", u"x", RegistryValue::OfDword(1)),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteKeyTree(RegistryRoot::LocalMachine, u"Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.DeleteKeyTree(RegistryRoot::LocalMachine, u"\\"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(registry.CreateKey(RegistryRoot::LocalMachine, u"A\\B\\C"), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(RegistryRoot::LocalMachine, u"A\\B", u"v", RegistryValue::OfDword(1)), ERROR_SUCCESS);
    EXPECT_EQ(registry.DeleteKeyTree(RegistryRoot::LocalMachine, u"a"), ERROR_SUCCESS);
    EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, u"A"));
    EXPECT_TRUE(registry.SubKeyNames(RegistryRoot::LocalMachine, u"").empty());
}

TEST_F(RegistryTest, AValueOfAnotherTypeIsAnErrorThatNamesItNotAMissingValue) {
    ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, u"Odd"), ERROR_SUCCESS);
    const BYTE bytes[] = {1, 2, 3};
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(roots_.CurrentUser, L"Odd", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"Binary", 0, REG_BINARY, bytes, sizeof bytes);
    RegSetValueExW(key, L"ShortDword", 0, REG_DWORD, bytes, 2);
    RegCloseKey(key);
    for (const std::u16string name : {u"Binary", u"ShortDword"}) {
        try {
            registry.QueryValue(RegistryRoot::CurrentUser, u"Odd", name);
            ADD_FAILURE() << "no error";
        } catch (const host::HostError& error) {
            EXPECT_EQ(Win32CodeOf(error), ERROR_INVALID_DATA);
            EXPECT_NE(error.Message().find(name), std::u16string::npos) << error.what();
        }
    }
}

}  // namespace

}  // namespace win32test
