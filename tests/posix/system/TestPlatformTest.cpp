#include <gtest/gtest.h>

#include "TestPlatform.h"
#include "host/HostError.h"

using host::RegistryRoot;
using host::RegistryValue;

TEST(TestPlatform, InstallsItsServicesAndPutsThePreviousOnesBack) {
    EXPECT_THROW(host::TheFileSystem(), host::HostError);
    {
        testing_support::TestPlatform outer;
        EXPECT_EQ(&host::TheFileSystem(), &outer.FileSystem());
        {
            testing_support::TestPlatform inner;
            EXPECT_EQ(&host::TheRegistry(), &inner.Registry());
            EXPECT_EQ(&host::TheLibraries(), &inner.Libraries());
            EXPECT_EQ(&host::TheSystem(), &inner.System());
            EXPECT_NE(inner.Root(), outer.Root());
        }
        EXPECT_EQ(&host::TheRegistry(), &outer.Registry());
    }
    EXPECT_THROW(host::TheRegistry(), host::HostError);
}

TEST(TestPlatform, FilesWrittenByWindowsPathAreSeenByTheInstalledFileSystem) {
    testing_support::TestPlatform platform;
    platform.WriteFile(u"C:\\Attachments\\Inbox\\a.txt", "first");
    platform.WriteFile(u"c:\\attachments\\INBOX\\a.TXT", "second");  // the same file
    EXPECT_EQ(platform.ReadFile(u"C:\\ATTACHMENTS\\inbox\\A.txt"), "second");
    EXPECT_TRUE(host::TheFileSystem().FileExists(u"c:\\attachments\\inbox\\a.txt"));
    EXPECT_TRUE(std::filesystem::is_regular_file(platform.DrivePath(u'C') / "Attachments" / "Inbox" / "a.txt"));
    EXPECT_TRUE(std::filesystem::is_directory(platform.DrivePath(u'd')));
    EXPECT_NE(platform.DrivePath(u'C'), platform.DrivePath(u'D'));
    EXPECT_THROW(platform.DrivePath(u'E'), std::runtime_error);
    EXPECT_THROW(platform.ReadFile(u"D:\\missing.txt"), std::runtime_error);
    EXPECT_THROW(platform.WriteFile(u"Q:\\a.txt", "x"), std::runtime_error);
}

TEST(TestPlatform, AReadOnlyMachineHiveRefusesWritesButStillReads) {
    testing_support::TestPlatform platform;
    host::Registry& registry = host::TheRegistry();
    ASSERT_EQ(registry.CreateKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Clients\\Mail"), ERROR_SUCCESS);
    ASSERT_EQ(registry.SetValue(RegistryRoot::LocalMachine, u"SOFTWARE\\Clients\\Mail", u"DLLPathEx",
                                RegistryValue::OfString(u"C:\\mapi.dll")),
              ERROR_SUCCESS);

    platform.MakeMachineHiveReadOnly();
    EXPECT_EQ(registry.SetValue(RegistryRoot::LocalMachine, u"SOFTWARE\\Clients\\Mail", u"DLLPathEx",
                                RegistryValue::OfString(u"C:\\other.dll")),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.CreateKey(RegistryRoot::ClassesRoot, u"CLSID"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry.QueryValue(RegistryRoot::LocalMachine, u"software\\clients\\mail", u"dllpathex"),
              RegistryValue::OfString(u"C:\\mapi.dll"));
    EXPECT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, u"Software\\Ondrel\\Velmora"), ERROR_SUCCESS);
}
