#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "HangGuard.h"
#include "SentinelFixture.h"
#include "base/Utf16.h"
#include "posix/system/DirectoryHandle.h"
#include "posix/system/FileTimes.h"
#include "posix/system/TemporaryNames.h"

namespace fs = std::filesystem;
using posix_tests::HangGuard;
using posix_tests::SentinelFixture;

namespace {

// Stands in for a destination on another file system.
int CrossDeviceRename(int, const char*, int, const char*, unsigned) {
    errno = EXDEV;
    return -1;
}

struct stat StatOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
}

void Stamp(const fs::path& path, timespec modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

std::string ReadAll(host::InputStream& input) {
    std::string content;
    char buffer[4096];
    while (const std::size_t got = input.Read(buffer, sizeof buffer)) content.append(buffer, got);
    return content;
}

class DirectoryHandleTest : public SentinelFixture {
protected:
    std::unique_ptr<host::Directory> target = files.OpenDirectory(u"C:\\TARGET");
};

}  // namespace

TEST_F(DirectoryHandleTest, OpenDirectoryFollowsTheUsersPathAndNeedsADirectory) {
    EXPECT_EQ(target->Path(), u"C:\\Target");
    fs::create_directory_symlink(Target(), C() / "Linked");
    EXPECT_EQ(files.OpenDirectory(u"c:\\linked\\")->Path(), u"C:\\Linked");
    EXPECT_EQ(files.OpenDirectory(u"C:\\")->Path(), u"C:");
    EXPECT_EQ(files.OpenDirectory(u"C:\\")->Child(u"target", false)->Path(), u"C:\\Target");

    WriteNative(C() / "file.txt", "f");
    EXPECT_EQ(ErrorOf([&] { files.OpenDirectory(u"C:\\missing"); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.OpenDirectory(u"C:\\file.txt"); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.OpenDirectory(u"Q:\\"); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

TEST_F(DirectoryHandleTest, ChildRefusesSymbolicLinksFilesAndNamesThatLeave) {
    fs::create_directory_symlink(Sentinel(), Target() / "out");
    WriteNative(Target() / "file.txt", "f");
    for (const bool create : {false, true}) {
        try {
            target->Child(u"OUT", create);
            ADD_FAILURE() << "a symbolic link was followed";
        } catch (const host::HostError& error) {
            EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
            EXPECT_NE(error.Message().find(u"symbolic link"), std::u16string::npos) << velmora::ToUtf8(error.Message());
        }
        EXPECT_EQ(ErrorOf([&] { target->Child(u"file.txt", create); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(ErrorOf([&] { target->Child(u"..", create); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
        EXPECT_EQ(ErrorOf([&] { target->Child(u"out/x", create); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    }
    EXPECT_EQ(ErrorOf([&] { target->Child(u"Inbox", false); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(fs::exists(Target() / "Inbox"));

    auto inbox = target->Child(u"Inbox", true);
    EXPECT_EQ(inbox->Path(), u"C:\\Target\\Inbox");
    auto again = target->Child(u"INBOX", true);
    EXPECT_EQ(again->Path(), u"C:\\Target\\Inbox");
    auto file = again->CreateTemporary();
    file->Commit();
    ASSERT_TRUE(file->Place(u"mail.txt", false));
    EXPECT_TRUE(fs::is_regular_file(Target() / "Inbox" / "mail.txt"));
}

TEST_F(DirectoryHandleTest, OpenReadTakesRegularFilesOnlyAndNeverBlocks) {
    const HangGuard guard;
    ASSERT_EQ(mkfifo((Target() / "pipe").c_str(), 0600), 0);
    fs::create_symlink(Victim(), Target() / "link.txt");
    fs::create_symlink(Sentinel() / "nothing", Target() / "dangling.txt");
    fs::create_symlink("/dev/zero", Target() / "zero.bin");
    fs::create_directory(Target() / "Dir");
    host::EntryStatus status;
    for (const std::u16string_view name : {u"pipe", u"link.txt", u"dangling.txt", u"zero.bin", u"dir"}) {
        EXPECT_EQ(ErrorOf([&] { target->OpenRead(name, status); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME))
            << velmora::ToUtf8(name);
    }
    EXPECT_EQ(ErrorOf([&] { target->OpenRead(u"missing.txt", status); }), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { target->OpenRead(u"../sentinel/victim.txt", status); }),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));

    auto devices = posix::DirectoryHandle::Open("/dev", u"E:\\");
    for (const std::u16string_view name : {u"null", u"zero"}) {
        EXPECT_EQ(ErrorOf([&] { devices->OpenRead(name, status); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    }

    WriteNative(Target() / "Report.PDF", "report");
    Stamp(Target() / "Report.PDF", {1600000000, 700});
    auto input = target->OpenRead(u"report.pdf", status);
    EXPECT_EQ(ReadAll(*input), "report");
    EXPECT_EQ(status.Kind, host::EntryKind::File);
    EXPECT_EQ(status.Name, u"Report.PDF");
    EXPECT_EQ(status.Size, 6u);
    EXPECT_EQ(status.LastWriteTime, posix::FileTimeFromTimespec({1600000000, 700}));
    EXPECT_EQ(status.FileId, StatOf(Target() / "Report.PDF").st_ino);
}

TEST_F(DirectoryHandleTest, StatusAndListShowEntriesAsStoredWithoutFollowingLinks) {
    WriteNative(Target() / "Report.PDF", "12345");
    Stamp(Target() / "Report.PDF", {1500000000, 100});
    fs::create_symlink(Victim(), Target() / "link.txt");
    fs::create_directory(Target() / "Dir");
    ASSERT_EQ(mkfifo((Target() / "pipe").c_str(), 0600), 0);

    const host::EntryStatus file = target->Status(u"REPORT.pdf");
    EXPECT_EQ(file.Kind, host::EntryKind::File);
    EXPECT_EQ(file.Name, u"Report.PDF");
    EXPECT_EQ(file.Size, 5u);
    EXPECT_EQ(file.LastWriteTime, posix::FileTimeFromTimespec({1500000000, 100}));
    EXPECT_EQ(file.Device, StatOf(Target() / "Report.PDF").st_dev);
    EXPECT_EQ(file.FileId, StatOf(Target() / "Report.PDF").st_ino);
    EXPECT_EQ(target->Status(u"LINK.TXT").Kind, host::EntryKind::SymbolicLink);
    EXPECT_EQ(target->Status(u"dir").Kind, host::EntryKind::Directory);
    EXPECT_EQ(target->Status(u"pipe").Kind, host::EntryKind::Other);
    EXPECT_EQ(target->Status(u"missing").Kind, host::EntryKind::None);
    EXPECT_EQ(target->Status(std::u16string(300, u'x')).Kind, host::EntryKind::None);
    EXPECT_EQ(ErrorOf([&] { target->Status(u".."); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));

    std::vector<std::u16string> names = target->List();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Dir", u"Report.PDF", u"link.txt", u"pipe"}));
}

TEST_F(DirectoryHandleTest, RemoveTakesOnlyTheFileThatWasLookedAt) {
    WriteNative(Target() / "a.txt", "first");
    const host::EntryStatus looked = target->Status(u"a.txt");
    WriteNative(Target() / "other.txt", "second");  // made while the first lives: another file number
    fs::rename(Target() / "other.txt", Target() / "a.txt");

    EXPECT_FALSE(target->Remove(u"A.TXT", &looked));
    EXPECT_EQ(ReadNative(Target() / "a.txt"), "second");
    const host::EntryStatus current = target->Status(u"a.txt");
    EXPECT_TRUE(target->Remove(u"A.TXT", &current));
    EXPECT_FALSE(fs::exists(Target() / "a.txt"));
    EXPECT_FALSE(target->Remove(u"a.txt"));

    fs::create_directory(Target() / "Dir");
    EXPECT_FALSE(target->Remove(u"Dir"));
    EXPECT_TRUE(fs::is_directory(Target() / "Dir"));
    fs::create_symlink(Victim(), Target() / "link.txt");
    EXPECT_TRUE(target->Remove(u"link.txt"));  // the link goes, the victim stays
    EXPECT_FALSE(fs::exists(fs::symlink_status(Target() / "link.txt")));
}

TEST_F(DirectoryHandleTest, SetLastWriteTimeStampsFilesButNeverThroughALink) {
    const timespec victimTime = StatOf(Victim()).st_mtim;
    fs::create_symlink(Victim(), Target() / "link.txt");
    const host::FileTime stamp = posix::FileTimeFromTimespec({1400000000, 0});
    EXPECT_FALSE(target->SetLastWriteTime(u"link.txt", stamp));
    EXPECT_EQ(StatOf(Victim()).st_mtim.tv_sec, victimTime.tv_sec);
    EXPECT_EQ(StatOf(Victim()).st_mtim.tv_nsec, victimTime.tv_nsec);

    WriteNative(Target() / "a.txt", "a");
    EXPECT_TRUE(target->SetLastWriteTime(u"A.txt", stamp));
    EXPECT_EQ(StatOf(Target() / "a.txt").st_mtim.tv_sec, 1400000000);
    EXPECT_FALSE(target->SetLastWriteTime(u"missing.txt", stamp));
}

TEST_F(DirectoryHandleTest, RenameWithinAFileSystem) {
    WriteNative(Target() / "a.txt", "a");
    WriteNative(Target() / "Inbox" / "B.txt", "b");
    auto inbox = target->Child(u"inbox", false);

    EXPECT_FALSE(target->Rename(u"a.txt", *inbox, u"b.txt", false));
    EXPECT_EQ(ReadNative(Target() / "a.txt"), "a");
    ASSERT_TRUE(target->Rename(u"A.TXT", *inbox, u"b.txt", true));
    EXPECT_EQ(ReadNative(Target() / "Inbox" / "B.txt"), "a");
    EXPECT_FALSE(fs::exists(Target() / "a.txt"));

    ASSERT_TRUE(inbox->Rename(u"b.txt", *inbox, u"Final.TXT", false));
    ASSERT_TRUE(inbox->Rename(u"final.txt", *inbox, u"FINAL.txt", false));  // only the letter case changes
    EXPECT_EQ(ReadNative(Target() / "Inbox" / "FINAL.txt"), "a");
    EXPECT_FALSE(fs::exists(Target() / "Inbox" / "Final.TXT"));

    fs::create_symlink(Victim(), Target() / "link.txt");
    EXPECT_EQ(ErrorOf([&] { target->Rename(u"link.txt", *inbox, u"moved.txt", false); }),
              HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    EXPECT_EQ(ErrorOf([&] { target->Rename(u"missing.txt", *inbox, u"moved.txt", false); }),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    fs::create_directory(Target() / "Dir");
    WriteNative(Target() / "c.txt", "c");
    EXPECT_FALSE(target->Rename(u"c.txt", *target, u"dir", true));
    EXPECT_EQ(ReadNative(Target() / "c.txt"), "c");
}

TEST_F(DirectoryHandleTest, RenameAcrossFileSystemsCopiesAndKeepsTheFilesTimes) {
    std::string content(2500000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 13);
    WriteNative(Target() / "a.pdf", content);
    fs::permissions(Target() / "a.pdf", fs::perms(0640));
    Stamp(Target() / "a.pdf", {1500000000, 700});
    WriteNative(Target() / "b.pdf", "b");
    WriteNative(D() / "Taken.pdf", "taken");

    auto source = posix::DirectoryHandle::Open(Target(), u"C:\\Target", CrossDeviceRename);
    auto destination = files.OpenDirectory(u"D:\\");
    EXPECT_FALSE(source->Rename(u"b.pdf", *destination, u"taken.pdf", false));
    EXPECT_EQ(ReadNative(Target() / "b.pdf"), "b");
    EXPECT_EQ(ReadNative(D() / "Taken.pdf"), "taken");
    EXPECT_EQ(std::distance(fs::directory_iterator(D()), {}), 1);  // no copy left behind

    ASSERT_TRUE(source->Rename(u"A.PDF", *destination, u"moved.pdf", false));
    EXPECT_EQ(ReadNative(D() / "moved.pdf"), content);
    EXPECT_FALSE(fs::exists(Target() / "a.pdf"));
    EXPECT_EQ(StatOf(D() / "moved.pdf").st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(StatOf(D() / "moved.pdf").st_mtim.tv_nsec, 700);
    EXPECT_EQ(fs::status(D() / "moved.pdf").permissions(), fs::perms(0640));

    ASSERT_TRUE(source->Rename(u"b.pdf", *destination, u"TAKEN.pdf", true));
    EXPECT_EQ(ReadNative(D() / "Taken.pdf"), "b");
    EXPECT_EQ(std::distance(fs::directory_iterator(D()), {}), 2);
}

TEST_F(DirectoryHandleTest, LeftoversOfWritersThatDiedGoAndThoseOfLiveWritersStay) {
    const pid_t dead = DeadPid();
    const std::string deadFile = posix::TemporaryFileName(dead, 1);
    const std::string liveFile = posix::TemporaryFileName(getpid(), 2);
    const std::string oldLiveFile = posix::TemporaryFileName(getpid(), 3);
    const std::string deadDirectory = posix::TemporaryFileName(dead, 4);
    const std::string deadLink = posix::TemporaryFileName(dead, 5);
    for (const std::string& name : {deadFile, liveFile, oldLiveFile, std::string("notes.tmp")}) {
        WriteNative(Target() / name, "x");
    }
    Stamp(Target() / oldLiveFile, {std::time(nullptr) - 37 * 3600, 0});
    fs::create_directory(Target() / deadDirectory);
    fs::create_symlink(Victim(), Target() / deadLink);
    auto writing = target->CreateTemporary();

    target->RemoveLeftovers();
    EXPECT_FALSE(fs::exists(Target() / deadFile));
    EXPECT_FALSE(fs::exists(Target() / oldLiveFile));
    EXPECT_TRUE(fs::exists(Target() / liveFile));
    EXPECT_TRUE(fs::exists(Target() / velmora::ToUtf8(writing->Name())));
    EXPECT_TRUE(fs::exists(Target() / "notes.tmp"));
    EXPECT_TRUE(fs::is_directory(Target() / deadDirectory));
    EXPECT_TRUE(fs::is_symlink(Target() / deadLink));
}

TEST(TemporaryNames, OnlyTheExactFormNamesAnOwner) {
    EXPECT_EQ(posix::TemporaryFileName(4242, 0xAB), ".~velmora-4242-00000000000000ab.tmp");
    EXPECT_EQ(posix::TemporaryFileOwner(posix::TemporaryFileName(4242, 0xAB)), 4242);
    EXPECT_NE(posix::NextTemporaryUnique(), posix::NextTemporaryUnique());
    for (const char* name : {".~velmora-4242-00000000000000ab.tm", "~velmora-4242-00000000000000ab.tmp",
                             ".~velmora--00000000000000ab.tmp", ".~velmora-0-00000000000000ab.tmp",
                             ".~velmora--5-00000000000000ab.tmp", ".~velmora-42x-00000000000000ab.tmp",
                             ".~velmora-4242-00000000000000AB.tmp", ".~velmora-4242-0000000000000ab.tmp",
                             ".~velmora-4242-000000000000000ab.tmp", ".~velmora-99999999999-00000000000000ab.tmp"}) {
        EXPECT_FALSE(posix::TemporaryFileOwner(name)) << name;
    }
}
