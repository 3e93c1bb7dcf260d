#include <gtest/gtest.h>

#include <filesystem>

#include "TempDirectory.h"
#include "base/Exception.h"
#include "posix/system/WindowsFileSystem.h"
#include "velmora/NativePaths.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

class NativePaths : public testing::Test {
protected:
    NativePaths() {
        fs::create_directories(temp_.Path() / "c");
        environment_.Map(u'C', temp_.Path() / "c");
        environment_.Map(u'D', temp_.Path() / "d");
    }

    testing_support::TempDirectory temp_;
    posix::DriveMap environment_;
};

TEST_F(NativePaths, TheNativeRootGetsDriveZ) {
    const posix::DriveMap drives = WithRootDrive(environment_);
    EXPECT_EQ(drives.Root(u'Z'), fs::path("/"));
    EXPECT_EQ(drives.Root(u'C'), environment_.Root(u'C'));
    EXPECT_EQ(drives.FromNative("/"), u"Z:\\");
}

TEST_F(NativePaths, ATakenZLeavesTheRootToTheNextFreeLetter) {
    environment_.Map(u'Z', temp_.Path() / "z");
    const posix::DriveMap drives = WithRootDrive(environment_);
    EXPECT_EQ(drives.Root(u'Z'), temp_.Path() / "z");
    EXPECT_EQ(drives.Root(u'Y'), fs::path("/"));
}

TEST_F(NativePaths, ARootMappedAlreadyIsKept) {
    environment_.Map(u'R', "/");
    const posix::DriveMap drives = WithRootDrive(environment_);
    EXPECT_FALSE(drives.Root(u'Z'));
    EXPECT_EQ(drives.FromNative("/srv"), u"R:\\srv");
}

TEST_F(NativePaths, EveryLetterTakenIsAnError) {
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        environment_.Map(letter, temp_.Path() / std::string(1, static_cast<char>(letter)));
    }
    EXPECT_THROW(WithRootDrive(environment_), Exception);
}

TEST_F(NativePaths, NativePathsTakeTheMostSpecificDrive) {
    const posix::DriveMap drives = WithRootDrive(environment_);
    EXPECT_EQ(ToEnginePath((temp_.Path() / "c" / "Attachments").string(), drives), u"C:\\Attachments");
    EXPECT_EQ(ToEnginePath("/home/me/Attachments", drives), u"Z:\\home\\me\\Attachments");
    EXPECT_EQ(ToEnginePath("/home/me/Attachments/", drives), u"Z:\\home\\me\\Attachments");
    EXPECT_EQ(ToEnginePath("/home/me/../you/./x", drives), u"Z:\\home\\you\\x");
    EXPECT_EQ(ToEnginePath("/", drives), u"Z:\\");
    EXPECT_EQ(ToEnginePath("", drives), u"");
}

TEST_F(NativePaths, RelativePathsStartAtTheCurrentDirectory) {
    const posix::DriveMap drives = WithRootDrive(environment_);
    const fs::path previous = fs::current_path();
    fs::current_path(temp_.Path() / "c");
    const std::u16string relative = ToEnginePath("saved/files", drives);
    const std::u16string parent = ToEnginePath("..", drives);
    fs::current_path(previous);
    EXPECT_EQ(relative, u"C:\\saved\\files");
    EXPECT_EQ(parent, drives.FromNative(temp_.Path()));
}

TEST_F(NativePaths, WindowsPathsKeepTheirForm) {
    const posix::DriveMap drives = WithRootDrive(environment_);
    EXPECT_EQ(ToEnginePath("D:\\Attachments\\Inbox", drives), u"D:\\Attachments\\Inbox");
    EXPECT_EQ(ToEnginePath("d:/Attachments/Inbox", drives), u"d:\\Attachments\\Inbox");
    EXPECT_EQ(ToEnginePath("C:", drives), u"C:");
    // Not an absolute Windows path: a native name that happens to hold a colon.
    EXPECT_EQ(ToEnginePath("/tmp/C:x", drives), u"Z:\\tmp\\C:x");
}

TEST_F(NativePaths, WithoutTheRootDriveAPathOutsideTheDrivesIsAnError) {
    EXPECT_THROW(ToEnginePath("/home/me/Attachments", environment_), Exception);
}

TEST_F(NativePaths, TheWindowsFormLeadsBackToTheSameNativeFile) {
    posix::WindowsFileSystem files(WithRootDrive(environment_));
    const fs::path native = temp_.Path() / "elsewhere" / "Zürich Bericht.pdf";
    fs::create_directories(native.parent_path());
    const std::u16string windows = ToEnginePath(native.string(), files.Drives());
    EXPECT_EQ(windows.substr(0, 3), u"Z:\\");
    EXPECT_EQ(files.ToNative(windows), native);
    EXPECT_EQ(files.FromNative(native), windows);
}

}  // namespace
}  // namespace velmora::cli
