#include <gtest/gtest.h>

#include "DriveFixture.h"
#include "base/Utf16.h"
#include "posix/system/WindowsFileSystem.h"

namespace fs = std::filesystem;
using posix_tests::DriveFixture;

namespace {

class PathFormsTest : public DriveFixture {
protected:
    posix::WindowsFileSystem files{drives};
};

}  // namespace

TEST_F(PathFormsTest, CanonicalTakesOutDotsAndKeepsTheMissingRestAsGiven) {
    fs::create_directories(C() / "Target" / "Inbox");
    EXPECT_EQ(files.Canonical(u"c:\\TARGET\\.\\inbox\\sub\\..\\Report.PDF"), u"C:\\Target\\Inbox\\Report.PDF");
    EXPECT_EQ(files.Canonical(u"C:/target/NEW/deeper/../Name.txt"), u"C:\\Target\\NEW\\Name.txt");
    EXPECT_EQ(files.Canonical(u"C:\\..\\..\\target"), u"C:\\Target");
    EXPECT_EQ(files.Canonical(u"c:"), u"C:\\");
    EXPECT_EQ(files.Canonical(u"C:\\target\\inbox\\"), u"C:\\Target\\Inbox");
}

TEST_F(PathFormsTest, CanonicalResolvesSymbolicLinksOnTheWay) {
    fs::create_directories(D() / "Real" / "Sub");
    fs::create_directory_symlink(D() / "Real", C() / "Link");
    EXPECT_EQ(files.Canonical(u"C:\\link\\sub\\New\\file.txt"), u"D:\\Real\\Sub\\New\\file.txt");
    EXPECT_EQ(files.Canonical(u"C:\\Link\\..\\Link"), u"D:\\Real");  // ".." is taken by the name, not the link

    fs::create_directories(temp.Path() / "outside");
    fs::create_directory_symlink(temp.Path() / "outside", C() / "Out");
    EXPECT_EQ(files.Canonical(u"C:\\out\\.\\x"), u"C:\\out\\x");  // nowhere on a drive: only the dots go
}

TEST_F(PathFormsTest, CanonicalOfWhatIsOnNoDriveOnlyTakesOutDots) {
    EXPECT_EQ(files.Canonical(u"Q:\\a\\.\\b\\..\\c"), u"Q:\\a\\c");
    EXPECT_EQ(files.Canonical(u"relative\\..\\x"), u"relative\\..\\x");
}

TEST_F(PathFormsTest, FileUrisEncodeEverythingButUnreservedCharactersAndSlashes) {
    fs::create_directories(C() / "My Files");
    const std::u16string base = u"file://" + velmora::FromUtf8(C().native());
    EXPECT_EQ(files.FileUri(u"C:\\my files\\Grüße #1.pdf"), base + u"/My%20Files/Gr%C3%BC%C3%9Fe%20%231.pdf");
    EXPECT_EQ(files.FileUri(u"C:\\a%b=c&d+e;f'g(h),i~j-k_l.m"),
              base + u"/a%25b%3Dc%26d%2Be%3Bf%27g%28h%29%2Ci~j-k_l.m");
    EXPECT_EQ(files.FileUri(u"C:\\日本"), base + u"/%E6%97%A5%E6%9C%AC");
    EXPECT_EQ(files.FileUri(u"Q:\\a b"), u"file://Q:\\a b");
}
