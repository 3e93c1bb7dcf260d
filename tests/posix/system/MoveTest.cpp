#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>

#include "DriveFixture.h"
#include "posix/system/FileMove.h"
#include "posix/system/WindowsFileSystem.h"

namespace fs = std::filesystem;
using posix_tests::DriveFixture;

namespace {

// Stands in for two drives on different file systems.
int CrossDeviceRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

timespec ModificationTime(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

void Stamp(const fs::path& path, timespec modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// Files may grow only to limit bytes while it lives; a write beyond fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{limit, previous_.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

class MoveTest : public DriveFixture {
protected:
    posix::WindowsFileSystem files{drives};
    posix::WindowsFileSystem crossDevice{drives, CrossDeviceRename};
};

}  // namespace

TEST_F(MoveTest, WithinADriveIntoAnExistingDirectoryOfOtherCase) {
    WriteNative(C() / "Attachments" / "Inbox" / "a.pdf", "pdf");
    fs::create_directories(C() / "Archive");
    ASSERT_TRUE(files.Move(u"c:\\attachments\\INBOX\\A.PDF", u"C:\\archive\\Moved.pdf"));
    EXPECT_FALSE(fs::exists(C() / "Attachments" / "Inbox" / "a.pdf"));
    EXPECT_EQ(ReadNative(C() / "Archive" / "Moved.pdf"), "pdf");
}

TEST_F(MoveTest, OnlyTheLetterCaseOfANameCanChange) {
    WriteNative(C() / "report.pdf", "r");
    ASSERT_TRUE(files.Move(u"C:\\report.pdf", u"C:\\Report.PDF"));
    EXPECT_EQ(ReadNative(C() / "Report.PDF"), "r");
    EXPECT_FALSE(fs::exists(C() / "report.pdf"));
    EXPECT_FALSE(files.Move(u"C:\\Report.PDF", u"C:\\Report.PDF"));
}

TEST_F(MoveTest, NeverReplacesAnExistingDestination) {
    WriteNative(C() / "a.txt", "source");
    WriteNative(C() / "B.txt", "target");
    WriteNative(D() / "b.txt", "other drive");
    EXPECT_FALSE(files.Move(u"C:\\a.txt", u"C:\\b.txt"));
    EXPECT_FALSE(crossDevice.Move(u"C:\\a.txt", u"D:\\B.TXT"));
    EXPECT_EQ(ReadNative(C() / "a.txt"), "source");
    EXPECT_EQ(ReadNative(C() / "B.txt"), "target");
    EXPECT_EQ(ReadNative(D() / "b.txt"), "other drive");
}

TEST_F(MoveTest, FailsWithoutSourceOrDestinationDirectory) {
    WriteNative(C() / "a.txt", "source");
    EXPECT_FALSE(files.Move(u"C:\\missing.txt", u"C:\\b.txt"));
    EXPECT_FALSE(crossDevice.Move(u"C:\\missing.txt", u"D:\\b.txt"));
    EXPECT_FALSE(files.Move(u"C:\\a.txt", u"C:\\NoDir\\a.txt"));
    EXPECT_FALSE(crossDevice.Move(u"C:\\a.txt", u"D:\\NoDir\\a.txt"));
    EXPECT_FALSE(files.Move(u"C:\\a.txt", u"Q:\\a.txt"));
    EXPECT_EQ(ReadNative(C() / "a.txt"), "source");
    EXPECT_FALSE(fs::exists(D() / "b.txt"));
}

TEST_F(MoveTest, AcrossFileSystemsCopiesWithTimesThenRemovesTheSource) {
    std::string content(300000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    WriteNative(C() / "Attachments" / "Inbox" / "a.pdf", content);
    fs::permissions(C() / "Attachments" / "Inbox" / "a.pdf", fs::perms(0640));
    Stamp(C() / "Attachments" / "Inbox" / "a.pdf", {1500000000, 700});
    fs::create_directories(D() / "Attachments" / "Inbox");

    ASSERT_TRUE(crossDevice.Move(u"c:\\attachments\\inbox\\a.pdf", u"D:\\ATTACHMENTS\\INBOX\\a.pdf"));
    const fs::path moved = D() / "Attachments" / "Inbox" / "a.pdf";
    EXPECT_EQ(ReadNative(moved), content);
    EXPECT_FALSE(fs::exists(C() / "Attachments" / "Inbox" / "a.pdf"));
    EXPECT_EQ(ModificationTime(moved).tv_sec, 1500000000);
    EXPECT_EQ(ModificationTime(moved).tv_nsec, 700);
    EXPECT_EQ(fs::status(moved).permissions(), fs::perms(0640));
}

TEST_F(MoveTest, AFailedCopyLeavesTheSourceAndNoPartialDestination) {
    const std::string content(200000, 'z');
    WriteNative(C() / "big.bin", content);
    {
        FileSizeLimit limit(100000);
        EXPECT_FALSE(crossDevice.Move(u"C:\\big.bin", u"D:\\big.bin"));
    }
    EXPECT_EQ(ReadNative(C() / "big.bin"), content);
    EXPECT_FALSE(fs::exists(D() / "big.bin"));
}

TEST_F(MoveTest, DirectoriesDoNotMoveAcrossFileSystems) {
    WriteNative(C() / "Dir" / "a.txt", "a");
    EXPECT_FALSE(crossDevice.Move(u"C:\\Dir", u"D:\\Dir"));
    EXPECT_FALSE(fs::exists(D() / "Dir"));
    ASSERT_TRUE(files.Move(u"C:\\Dir", u"C:\\Renamed"));
    EXPECT_EQ(ReadNative(C() / "Renamed" / "a.txt"), "a");
}

TEST_F(MoveTest, CopyThenRemoveRefusesAnExistingTarget) {
    WriteNative(C() / "a.txt", "a");
    WriteNative(D() / "a.txt", "keep");
    EXPECT_EQ(posix::CopyThenRemove(C() / "a.txt", D() / "a.txt"), EEXIST);
    EXPECT_EQ(ReadNative(D() / "a.txt"), "keep");
    EXPECT_EQ(ReadNative(C() / "a.txt"), "a");
}
