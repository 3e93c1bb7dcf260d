#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "ScopedEnvironment.h"
#include "base/Exception.h"
#include "base/Utf16.h"
#include "posix/system/WindowsPath.h"

namespace fs = std::filesystem;
using posix::ParseWindowsPath;
using posix_tests::DriveFixture;
using posix_tests::ScopedVariable;

namespace {

std::u16string Normalised(std::u16string_view path) {
    const auto parsed = ParseWindowsPath(path);
    return parsed ? posix::FormatWindowsPath(*parsed) : u"<none>";
}

}  // namespace

TEST(WindowsPath, AcceptsBothSeparatorsEitherCaseAndTheBareDrive) {
    EXPECT_EQ(Normalised(u"c:\\Attachments\\Inbox"), u"C:\\Attachments\\Inbox");
    EXPECT_EQ(Normalised(u"d:/a//b\\\\c\\"), u"D:\\a\\b\\c");
    EXPECT_EQ(Normalised(u"C:"), u"C:\\");
    EXPECT_EQ(Normalised(u"C:\\"), u"C:\\");
}

TEST(WindowsPath, DotsStayInsideTheDrive) {
    EXPECT_EQ(Normalised(u"C:\\a\\.\\b\\..\\c"), u"C:\\a\\c");
    EXPECT_EQ(Normalised(u"C:\\..\\..\\x"), u"C:\\x");
    EXPECT_EQ(Normalised(u"C:\\a\\..\\..\\..\\"), u"C:\\");
    EXPECT_EQ(Normalised(u"C:\\...\\a"), u"C:\\...\\a");  // only "." and ".." are special
}

TEST(WindowsPath, RefusesWhatIsNotAnAbsolutePathWithValidNames) {
    for (std::u16string_view path : {u"", u"a\\b", u"C:a", u"\\\\server\\share\\x", u"\\x", u"1:\\x",
                                     u"C:\\a:b", u"C:\\a?", u"C:\\a*", u"C:\\<a>", u"C:\\a|b", u"C:\\\"a\""}) {
        EXPECT_FALSE(ParseWindowsPath(path)) << velmora::ToUtf8(path);
    }
    EXPECT_FALSE(ParseWindowsPath(std::u16string(u"C:\\a\0b", 6)));
    EXPECT_FALSE(ParseWindowsPath(u"C:\\a\tb"));
}

using DriveMapTest = DriveFixture;

TEST_F(DriveMapTest, PlacesWindowsPathsUnderTheDriveDirectory) {
    EXPECT_EQ(drives.ToNative(u"c:\\Docs\\..\\..\\a.txt"), C() / "a.txt");
    EXPECT_EQ(drives.ToNative(u"D:"), D());
    EXPECT_EQ(drives.ToNative(u"C:\\Документы\\x"), C() / "Документы" / "x");
    EXPECT_FALSE(drives.ToNative(u"E:\\a"));
    EXPECT_FALSE(drives.ToNative(u"C:a"));
    EXPECT_EQ(drives.Root(u'c'), C());
    EXPECT_THROW(drives.Map(u'1', temp.Path()), velmora::Exception);
}

TEST_F(DriveMapTest, FromNativeTakesTheLongestMappedDirectory) {
    drives.Map(u'E', C() / "inner");
    EXPECT_EQ(drives.FromNative(C() / "a" / "b.txt"), u"C:\\a\\b.txt");
    EXPECT_EQ(drives.FromNative(C() / "inner" / "b.txt"), u"E:\\b.txt");
    EXPECT_EQ(drives.FromNative(C() / "inner"), u"E:\\");
    EXPECT_EQ(drives.FromNative(C() / "x" / ".." / "y"), u"C:\\y");
    EXPECT_EQ(drives.FromNative(C() / ""), u"C:\\");
}

TEST_F(DriveMapTest, FromNativeOutsideEveryDriveIsNothing) {
    EXPECT_FALSE(drives.FromNative(temp.Path()));
    EXPECT_FALSE(drives.FromNative(temp.Path() / "cc" / "a"));  // a longer name is not a sub-directory
    EXPECT_FALSE(drives.FromNative(C() / ".." / "outside"));
}

TEST_F(DriveMapTest, FromNativeFollowsSymbolicLinksWhenNothingElseMatches) {
    fs::create_directory(C() / "real");
    fs::create_directory_symlink(C(), temp.Path() / "link");
    EXPECT_EQ(drives.FromNative(temp.Path() / "link" / "real"), u"C:\\real");
}

TEST_F(DriveMapTest, EnvironmentListsTheDrives) {
    const std::string listed = "C=" + C().string() + ";bad;x;1=/nowhere;d=" + D().string() + ";";
    ScopedVariable variable("VELMORA_DRIVES", listed.c_str());
    const posix::DriveMap fromEnvironment = posix::DriveMap::FromEnvironment();
    EXPECT_EQ(fromEnvironment.Root(u'C'), C());
    EXPECT_EQ(fromEnvironment.Root(u'D'), D());
    for (char16_t letter = u'E'; letter <= u'Z'; ++letter) EXPECT_FALSE(fromEnvironment.Root(letter));
}

TEST_F(DriveMapTest, DefaultDrivesAreCreatedUnderTheDrivesRoot) {
    ScopedVariable noList("VELMORA_DRIVES", nullptr);
    const fs::path root = temp.Path() / "root";
    {
        ScopedVariable variable("VELMORA_DRIVES_ROOT", root.c_str());
        const posix::DriveMap fromEnvironment = posix::DriveMap::FromEnvironment();
        EXPECT_EQ(fromEnvironment.Root(u'C'), root / "c");
        EXPECT_EQ(fromEnvironment.Root(u'D'), root / "d");
        EXPECT_TRUE(fs::is_directory(root / "c"));
        EXPECT_TRUE(fs::is_directory(root / "d"));
    }
    ScopedVariable noRoot("VELMORA_DRIVES_ROOT", nullptr);
    {
        ScopedVariable data("XDG_DATA_HOME", (temp.Path() / "data").c_str());
        EXPECT_EQ(posix::DriveMap::FromEnvironment().Root(u'C'), temp.Path() / "data" / "velmora" / "drives" / "c");
    }
    ScopedVariable noData("XDG_DATA_HOME", nullptr);
    ScopedVariable home("HOME", (temp.Path() / "home").c_str());
    EXPECT_EQ(posix::DriveMap::FromEnvironment().Root(u'D'),
              temp.Path() / "home" / ".local" / "share" / "velmora" / "drives" / "d");
    EXPECT_TRUE(fs::is_directory(temp.Path() / "home" / ".local" / "share" / "velmora" / "drives" / "d"));
}
