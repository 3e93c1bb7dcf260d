#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "DriveFixture.h"
#include "HangGuard.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "posix/system/FileTimes.h"
#include "posix/system/WindowsFileSystem.h"

namespace fs = std::filesystem;
using posix_tests::DriveFixture;

namespace {

constexpr LONG kErrorInvalidName = 123;

class WindowsFileSystemTest : public DriveFixture {
protected:
    posix::WindowsFileSystem files{drives};

    void WriteThrough(std::u16string_view path, const std::string& content,
                      host::CreateMode mode = host::CreateMode::CreateAlways) {
        auto out = files.Create(path, mode);
        out->Write(content.data(), content.size());
        out->Commit();
    }

    std::string ReadThrough(std::u16string_view path, std::size_t chunk) {
        auto in = files.OpenRead(path);
        std::string content;
        std::string buffer(chunk, '\0');
        while (std::size_t got = in->Read(buffer.data(), buffer.size())) content.append(buffer.data(), got);
        return content;
    }

    // The code of the HostError that action throws.
    template <class Action>
    static HRESULT ErrorOf(Action action) {
        try {
            action();
        } catch (const host::HostError& error) {
            return error.Code();
        }
        return S_OK;
    }
};

}  // namespace

TEST_F(WindowsFileSystemTest, NamesAreMatchedWithoutRegardToCase) {
    WriteNative(C() / "Attachments" / "inbox" / "Report.PDF", "pdf");
    EXPECT_TRUE(files.FileExists(u"c:\\attachments\\Inbox\\report.pdf"));
    EXPECT_TRUE(files.DirectoryExists(u"C:/ATTACHMENTS/INBOX"));
    EXPECT_EQ(files.ToNative(u"c:\\attachments\\Inbox\\report.pdf"), C() / "Attachments" / "inbox" / "Report.PDF");
    const auto entry = files.Find(u"C:\\attachments\\INBOX\\REPORT.pdf");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Name, u"Report.PDF");

    WriteNative(C() / "Документы" / "Ёлка.txt", "x");
    EXPECT_TRUE(files.FileExists(u"C:\\документы\\ёлка.TXT"));
}

TEST_F(WindowsFileSystemTest, NewNamesKeepTheCallersSpellingInsideExistingDirectories) {
    fs::create_directories(C() / "Attachments" / "inbox");
    WriteThrough(u"c:\\ATTACHMENTS\\Inbox\\New Folder\\..\\Mail.txt", "body");
    EXPECT_EQ(ReadNative(C() / "Attachments" / "inbox" / "Mail.txt"), "body");

    ASSERT_TRUE(files.MakeDirectory(u"C:\\attachments\\INBOX\\Sub"));
    EXPECT_TRUE(fs::is_directory(C() / "Attachments" / "inbox" / "Sub"));
    EXPECT_FALSE(files.MakeDirectory(u"C:\\Attachments\\inbox\\sub"));  // already there
    EXPECT_FALSE(files.MakeDirectory(u"C:\\Missing\\Child"));          // no parent
    EXPECT_FALSE(files.MakeDirectory(u"Q:\\Folder"));                  // no such drive
}

TEST_F(WindowsFileSystemTest, AnExactSpellingWinsAndOtherwiseTheSmallestName) {
    WriteNative(C() / "Data" / "a.txt", "mixed");
    WriteNative(C() / "DATA" / "a.txt", "upper");
    WriteNative(C() / "data" / "a.txt", "lower");
    EXPECT_EQ(ReadThrough(u"C:\\Data\\a.txt", 16), "mixed");
    EXPECT_EQ(ReadThrough(u"C:\\data\\a.txt", 16), "lower");
    EXPECT_EQ(ReadThrough(u"C:\\dATA\\a.txt", 16), "upper");
}

TEST_F(WindowsFileSystemTest, DotDotNeverLeavesTheDrive) {
    WriteNative(temp.Path() / "secret.txt", "outside");
    EXPECT_FALSE(files.FileExists(u"C:\\..\\secret.txt"));
    EXPECT_FALSE(files.FileExists(u"C:\\a\\..\\..\\..\\secret.txt"));
    WriteThrough(u"C:\\..\\..\\secret.txt", "inside");
    EXPECT_EQ(ReadNative(temp.Path() / "secret.txt"), "outside");
    EXPECT_EQ(ReadNative(C() / "secret.txt"), "inside");
    EXPECT_FALSE(files.FromNative(temp.Path()));
}

TEST_F(WindowsFileSystemTest, FindReportsFilesAndDirectories) {
    WriteNative(C() / "Dir" / "file.bin", std::string(1234, 'x'));
    const timespec stamp[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, (C() / "Dir" / "file.bin").c_str(), stamp, 0), 0);

    const auto file = files.Find(u"C:\\dir\\FILE.BIN");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Name, u"file.bin");
    EXPECT_FALSE(file->IsDirectory);
    EXPECT_EQ(file->Size, 1234u);
    EXPECT_EQ(file->LastWriteTime, 133444736001234567u);  // 2023-11-14 22:13:20.1234567 UTC

    const auto directory = files.Find(u"C:\\DIR\\");
    ASSERT_TRUE(directory);
    EXPECT_EQ(directory->Name, u"Dir");
    EXPECT_TRUE(directory->IsDirectory);
    EXPECT_FALSE(files.FileExists(u"C:\\Dir"));
    EXPECT_TRUE(files.DirectoryExists(u"C:"));

    EXPECT_FALSE(files.Find(u"C:\\Dir\\missing.bin"));
    EXPECT_FALSE(files.Find(u"C:\\"));
    EXPECT_FALSE(files.Find(u"Q:\\Dir"));
    EXPECT_FALSE(files.Find(u"Dir\\file.bin"));
}

TEST_F(WindowsFileSystemTest, FindGivesSizesBeyondFourGibibytes) {
    const std::uint64_t size = (5ull << 30) + 3;
    WriteNative(D() / "big.iso", "");
    ASSERT_EQ(truncate((D() / "big.iso").c_str(), static_cast<off_t>(size)), 0);  // sparse
    const auto entry = files.Find(u"d:\\BIG.ISO");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->Size, size);
}

TEST_F(WindowsFileSystemTest, SetLastWriteTimeLeavesTheAccessTime) {
    WriteNative(C() / "a.txt", "a");
    const timespec accessOnly[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (C() / "a.txt").c_str(), accessOnly, 0), 0);

    const host::FileTime stamp = posix::kUnixEpochAsFileTime + 1600000000ll * 10000000 + 5;
    ASSERT_TRUE(files.SetLastWriteTime(u"C:\\A.TXT", stamp));
    struct stat info {};
    ASSERT_EQ(stat((C() / "a.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 500);
    EXPECT_EQ(files.Find(u"C:\\a.txt")->LastWriteTime, stamp);

    fs::create_directory(C() / "Dir");
    EXPECT_FALSE(files.SetLastWriteTime(u"C:\\Dir", stamp));
    EXPECT_FALSE(files.SetLastWriteTime(u"C:\\missing.txt", stamp));
}

TEST_F(WindowsFileSystemTest, StreamsCarryDataAcrossBufferBoundaries) {
    std::string content;
    for (int i = 0; i < 200003; ++i) content += static_cast<char>('a' + i % 23);
    {
        auto out = files.Create(u"C:\\data.bin", host::CreateMode::CreateNew);
        out->Write(content.data(), 1);
        out->Write(content.data() + 1, 70000);  // larger than the buffer
        out->Write(content.data() + 70001, 65535);
        out->Write(content.data() + 135536, content.size() - 135536);
        out->Commit();
    }
    EXPECT_EQ(ReadNative(C() / "data.bin"), content);
    EXPECT_EQ(ReadThrough(u"C:\\DATA.BIN", 1000), content);
    EXPECT_EQ(ReadThrough(u"C:\\DATA.BIN", 100000), content);
    EXPECT_EQ(ReadThrough(u"C:\\DATA.BIN", 65536), content);

    WriteThrough(u"C:\\data.bin", "short");  // CreateAlways truncates
    EXPECT_EQ(ReadNative(C() / "data.bin"), "short");
}

TEST_F(WindowsFileSystemTest, AStreamDroppedWithoutCommitKeepsWhatWasWritten) {
    {
        auto out = files.Create(u"C:\\partial.txt", host::CreateMode::CreateAlways);
        out->Write("half", 4);
    }
    EXPECT_EQ(ReadNative(C() / "partial.txt"), "half");

    auto out = files.Create(u"C:\\closed.txt", host::CreateMode::CreateAlways);
    out->Commit();
    EXPECT_THROW(out->Write("x", 1), host::HostError);
    EXPECT_THROW(out->Commit(), host::HostError);
}

TEST_F(WindowsFileSystemTest, OpenAndCreateFailuresCarryWindowsCodesAndThePath) {
    WriteNative(C() / "exists.txt", "old");
    fs::create_directory(C() / "Dir");
    try {
        files.Create(u"C:\\EXISTS.txt", host::CreateMode::CreateNew);
        ADD_FAILURE() << "CreateNew replaced an existing file";
    } catch (const host::HostError& error) {
        EXPECT_EQ(error.Code(), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
        EXPECT_NE(error.Message().find(u"C:\\EXISTS.txt"), std::u16string::npos);
    }
    EXPECT_EQ(ReadNative(C() / "exists.txt"), "old");

    EXPECT_EQ(ErrorOf([&] { files.OpenRead(u"C:\\missing.txt"); }), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.OpenRead(u"C:\\NoDir\\a.txt"); }), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.OpenRead(u"C:\\Dir"); }), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\Dir", host::CreateMode::CreateAlways); }),
              HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\NoDir\\a.txt", host::CreateMode::CreateNew); }),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"Q:\\a.txt", host::CreateMode::CreateNew); }),
              HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"a.txt", host::CreateMode::CreateNew); }),
              HRESULT_FROM_WIN32(kErrorInvalidName));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\what?.txt", host::CreateMode::CreateNew); }),
              HRESULT_FROM_WIN32(kErrorInvalidName));
    EXPECT_FALSE(fs::exists(C() / "NoDir"));
}

TEST_F(WindowsFileSystemTest, RemoveDeletesFilesOnly) {
    WriteNative(C() / "Dir" / "a.txt", "a");
    fs::create_directory(C() / "Empty");
    EXPECT_TRUE(files.Remove(u"C:\\dir\\A.txt"));
    EXPECT_FALSE(fs::exists(C() / "Dir" / "a.txt"));
    EXPECT_FALSE(files.Remove(u"C:\\dir\\A.txt"));
    EXPECT_FALSE(files.Remove(u"C:\\Empty"));
    EXPECT_TRUE(fs::is_directory(C() / "Empty"));
}

TEST_F(WindowsFileSystemTest, CurrentDirectoryOnAMappedDriveElseTheRootOfC) {
    struct RestoreCurrent {
        fs::path previous = fs::current_path();
        ~RestoreCurrent() { fs::current_path(previous); }
    } restore;
    fs::create_directories(D() / "Work" / "Здесь");
    fs::current_path(D() / "Work" / "Здесь");
    EXPECT_EQ(files.CurrentDirectory(), u"D:\\Work\\Здесь");
    fs::current_path(temp.Path());
    EXPECT_EQ(files.CurrentDirectory(), u"C:\\");
}

TEST_F(WindowsFileSystemTest, TheLastNameIsNeverFollowedAsASymbolicLink) {
    const fs::path victim = temp.Path() / "victim.txt";
    WriteNative(victim, "victim");
    struct stat before {};
    ASSERT_EQ(stat(victim.c_str(), &before), 0);
    fs::create_symlink(victim, C() / "link.txt");
    fs::create_symlink(temp.Path() / "planted.txt", C() / "dangling.txt");

    EXPECT_EQ(ErrorOf([&] { files.OpenRead(u"C:\\link.txt"); }), HRESULT_FROM_WIN32(kErrorInvalidName));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\LINK.txt", host::CreateMode::CreateAlways); }),
              HRESULT_FROM_WIN32(kErrorInvalidName));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\dangling.txt", host::CreateMode::CreateAlways); }),
              HRESULT_FROM_WIN32(kErrorInvalidName));
    EXPECT_EQ(ErrorOf([&] { files.Create(u"C:\\dangling.txt", host::CreateMode::CreateNew); }),
              HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
    EXPECT_FALSE(files.SetLastWriteTime(u"C:\\link.txt", posix::kUnixEpochAsFileTime));

    EXPECT_EQ(ReadNative(victim), "victim");
    EXPECT_FALSE(fs::exists(temp.Path() / "planted.txt"));
    struct stat after {};
    ASSERT_EQ(stat(victim.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

TEST_F(WindowsFileSystemTest, FifosAndDevicesAreRefusedWithoutBlocking) {
    const posix_tests::HangGuard guard;
    ASSERT_EQ(mkfifo((C() / "pipe").c_str(), 0600), 0);
    drives.Map(u'E', "/dev");
    posix::WindowsFileSystem withDevices{drives};
    for (const std::u16string_view path : {u"C:\\pipe", u"E:\\null", u"E:\\zero"}) {
        EXPECT_EQ(ErrorOf([&] { withDevices.OpenRead(path); }), HRESULT_FROM_WIN32(kErrorInvalidName))
            << velmora::ToUtf8(path);
        EXPECT_FALSE(withDevices.SetLastWriteTime(path, posix::kUnixEpochAsFileTime));
    }
    EXPECT_EQ(ErrorOf([&] { withDevices.Create(u"C:\\pipe", host::CreateMode::CreateAlways); }),
              HRESULT_FROM_WIN32(kErrorInvalidName));
}
