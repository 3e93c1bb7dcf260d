// What registering and unregistering the module writes and removes, for an
// administrator (the machine's hive may be written) and for a user.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "TestPlatform.h"
#include "base/Exception.h"
#include "base/Utf16.h"
#include "addin/ComServer.h"
#include "addin/TypeLibRegistration.h"

namespace {

using host::RegistryRoot;
using host::RegistryValue;
using velmora::ComServer;

constexpr char16_t kModule[] = u"/opt/velmora add-in/lib/libvelmora.so";
constexpr char16_t kClsid[] = u"{5C0E7A21-3B9D-4F62-A8E1-2D74C9B0F613}";
constexpr char16_t kLibid[] = u"{D4A81E36-5C29-4B7F-9E03-6B1F8A2C5D74}";
constexpr char16_t kIid[] = u"{7E41B9D0-62AF-4C35-8B17-E05A3D9C4F28}";
constexpr char16_t kProgId[] = u"VelmoraAddIn.CVelmoraAddIn";
constexpr char16_t kOfficeKey[] = u"Software\\Microsoft\\Office\\Outlook\\AddIns\\VelmoraAddIn.CVelmoraAddIn";

class Registration : public ::testing::Test {
protected:
    std::optional<RegistryValue> Value(RegistryRoot root, const std::u16string& key, std::u16string_view name = u"") {
        return platform.Registry().QueryValue(root, key, name);
    }
    bool Exists(RegistryRoot root, const std::u16string& key) { return platform.Registry().KeyExists(root, key); }

    // Every entry of a registration, under the classes root and prefix given.
    void ExpectClassesUnder(RegistryRoot root, const std::u16string& prefix) {
        const auto s = [&](const std::u16string& key, std::u16string_view name = u"") {
            return Value(root, prefix + key, name);
        };
        const std::u16string clsid = u"CLSID\\" + std::u16string(kClsid);
        EXPECT_EQ(s(clsid), RegistryValue::OfString(u""));
        EXPECT_EQ(s(clsid + u"\\InprocServer32"), RegistryValue::OfString(kModule));
        EXPECT_EQ(s(clsid + u"\\InprocServer32", u"ThreadingModel"), RegistryValue::OfString(u"Apartment"));
        EXPECT_EQ(s(kProgId), RegistryValue::OfString(u""));
        EXPECT_EQ(s(std::u16string(kProgId) + u"\\Clsid"), RegistryValue::OfString(kClsid));
        EXPECT_EQ(s(clsid + u"\\ProgID"), RegistryValue::OfString(kProgId));
        EXPECT_EQ(s(clsid + u"\\Version"), RegistryValue::OfString(u"1.0"));
        EXPECT_EQ(s(clsid + u"\\TypeLib"), RegistryValue::OfString(kLibid));

        const std::u16string library = u"TypeLib\\" + std::u16string(kLibid) + u"\\1.0";
        EXPECT_EQ(s(library), RegistryValue::OfString(u"Velmora Library"));
        EXPECT_EQ(s(library + u"\\409\\" + velmora::kTypeLibPlatform), RegistryValue::OfString(kModule));
        EXPECT_EQ(s(library + u"\\FLAGS"), RegistryValue::OfString(u"0"));
        EXPECT_EQ(s(library + u"\\HELPDIR"), RegistryValue::OfString(u"/opt/velmora add-in/lib"));

        const std::u16string iface = u"Interface\\" + std::u16string(kIid);
        const auto marshaller = RegistryValue::OfString(u"{00020424-0000-0000-C000-000000000046}");
        EXPECT_EQ(s(iface), RegistryValue::OfString(u"IVelmora"));
        EXPECT_EQ(s(iface + u"\\ProxyStubClsid"), marshaller);
        EXPECT_EQ(s(iface + u"\\ProxyStubClsid32"), marshaller);
        EXPECT_EQ(s(iface + u"\\TypeLib"), RegistryValue::OfString(kLibid));
        EXPECT_EQ(s(iface + u"\\TypeLib", u"Version"), RegistryValue::OfString(u"1.0"));
    }

    void ExpectOfficeKeyUnder(RegistryRoot root) {
        EXPECT_EQ(Value(root, kOfficeKey, u"FriendlyName"), RegistryValue::OfString(u"Velmora Add-in"));
        EXPECT_EQ(Value(root, kOfficeKey, u"Description"), RegistryValue::OfString(u""));
        EXPECT_EQ(Value(root, kOfficeKey, u"LoadBehavior"), RegistryValue::OfDword(3));
        EXPECT_EQ(Value(root, kOfficeKey, u"CommandLineSafe"), RegistryValue::OfDword(0));
        EXPECT_EQ(platform.Registry().ValueNames(root, kOfficeKey).size(), 4u);
    }

    void ExpectNothingOfOursUnder(RegistryRoot root, const std::u16string& prefix) {
        for (const std::u16string& key : {u"CLSID\\" + std::u16string(kClsid), std::u16string(kProgId),
                                          u"TypeLib\\" + std::u16string(kLibid), u"Interface\\" + std::u16string(kIid)}) {
            EXPECT_FALSE(Exists(root, prefix + key)) << velmora::ToUtf8(prefix + key);
        }
    }

    void MakeUserHiveReadOnly() {
        std::filesystem::permissions(platform.Hives().user, std::filesystem::perms::owner_read);
    }

    testing_support::TestPlatform platform;
};

TEST_F(Registration, AnAdministratorRegistersForTheWholeMachine) {
    ASSERT_EQ(ComServer().RegisterServer(kModule), S_OK);

    ExpectClassesUnder(RegistryRoot::ClassesRoot, u"");
    ExpectOfficeKeyUnder(RegistryRoot::LocalMachine);
    EXPECT_FALSE(Exists(RegistryRoot::CurrentUser, kOfficeKey));
    ExpectNothingOfOursUnder(RegistryRoot::CurrentUser, u"Software\\Classes\\");
    // Outlook's key only, under the same ProgID as the classes.
    EXPECT_EQ(platform.Registry().SubKeyNames(RegistryRoot::LocalMachine, u"Software\\Microsoft\\Office"),
              std::vector<std::u16string>{u"Outlook"});
}

TEST_F(Registration, AUserRegistersForThemselvesAlone) {
    platform.MakeMachineHiveReadOnly();
    ASSERT_EQ(ComServer().RegisterServer(kModule), S_OK);

    ExpectClassesUnder(RegistryRoot::CurrentUser, u"Software\\Classes\\");
    ExpectOfficeKeyUnder(RegistryRoot::CurrentUser);
    EXPECT_FALSE(Exists(RegistryRoot::LocalMachine, kOfficeKey));
    ExpectNothingOfOursUnder(RegistryRoot::ClassesRoot, u"");
}

TEST_F(Registration, UnregisteringRemovesAPerUserRegistrationAndLeavesOthersAlone) {
    platform.Registry().CreateKey(RegistryRoot::CurrentUser, u"Software\\Classes\\CLSID\\{Someone-Else}");
    platform.MakeMachineHiveReadOnly();
    ASSERT_EQ(ComServer().RegisterServer(kModule), S_OK);

    ASSERT_EQ(ComServer().UnregisterServer(), S_OK);
    ExpectNothingOfOursUnder(RegistryRoot::CurrentUser, u"Software\\Classes\\");
    EXPECT_FALSE(Exists(RegistryRoot::CurrentUser, kOfficeKey));
    EXPECT_TRUE(Exists(RegistryRoot::CurrentUser, u"Software\\Classes\\CLSID\\{Someone-Else}"));
    EXPECT_TRUE(Exists(RegistryRoot::CurrentUser, u"Software\\Microsoft\\Office\\Outlook\\AddIns"));
}

TEST_F(Registration, UnregisteringAfterBothKindsRemovesBothAndAgainFindsNothingToDo) {
    ASSERT_EQ(ComServer().RegisterServer(kModule), S_OK);
    // A per-user registration on top, as made without rights.
    platform.Registry().CreateKey(RegistryRoot::CurrentUser, kOfficeKey);
    platform.Registry().SetValue(RegistryRoot::CurrentUser, kOfficeKey, u"LoadBehavior", RegistryValue::OfDword(3));
    platform.Registry().CreateKey(RegistryRoot::CurrentUser,
                                  u"Software\\Classes\\CLSID\\" + std::u16string(kClsid) + u"\\InprocServer32");

    ASSERT_EQ(ComServer().UnregisterServer(), S_OK);
    ExpectNothingOfOursUnder(RegistryRoot::ClassesRoot, u"");
    ExpectNothingOfOursUnder(RegistryRoot::CurrentUser, u"Software\\Classes\\");
    EXPECT_FALSE(Exists(RegistryRoot::LocalMachine, kOfficeKey));
    EXPECT_FALSE(Exists(RegistryRoot::CurrentUser, kOfficeKey));

    EXPECT_EQ(ComServer().UnregisterServer(), S_OK);
}

TEST_F(Registration, AUserCannotRemoveTheMachinesRegistration) {
    ASSERT_EQ(ComServer().RegisterServer(kModule), S_OK);
    platform.MakeMachineHiveReadOnly();
    EXPECT_EQ(ComServer().UnregisterServer(), E_FAIL);
    EXPECT_TRUE(Exists(RegistryRoot::LocalMachine, kOfficeKey));
}

TEST_F(Registration, WithNeitherHiveWritableTheOfficeKeyFailsWithItsMessage) {
    platform.MakeMachineHiveReadOnly();
    MakeUserHiveReadOnly();

    try {
        velmora::AddInFactory().RegisterAddInKey(u"\\" + std::u16string(kOfficeKey));
        FAIL() << "no error";
    } catch (const velmora::Exception& error) {
        EXPECT_EQ(error.Message(),
                  u"Unable to Register Office Add-in. You don't have the neede rights to access the Windows Registry.");
    }
    EXPECT_EQ(ComServer().RegisterServer(kModule), E_FAIL);
    EXPECT_FALSE(Exists(RegistryRoot::LocalMachine, kOfficeKey));
    EXPECT_FALSE(Exists(RegistryRoot::CurrentUser, kOfficeKey));
}

}  // namespace
