#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "SentinelFixture.h"
#include "base/Utf16.h"
#include "posix/system/DirectoryHandle.h"
#include "posix/system/TemporaryNames.h"

namespace fs = std::filesystem;
using posix_tests::SentinelFixture;

namespace {

// A competing writer that takes the name between the look-up and the rename.
fs::path competitorPath;

void PlantCompetitor(int toDirectory, const char* to) {
    const int fd = openat(toDirectory, to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        const char content[] = "competitor";
        EXPECT_EQ(write(fd, content, sizeof content - 1), static_cast<ssize_t>(sizeof content - 1));
        close(fd);
    }
}

int RenameAfterACompetitor(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags) {
    PlantCompetitor(toDirectory, to);
    return renameat2(fromDirectory, from, toDirectory, to, flags);
}

// A file system without RENAME_NOREPLACE, where a competitor also comes first.
int RenameWithoutNoReplace(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags) {
    if ((flags & RENAME_NOREPLACE) != 0) {
        PlantCompetitor(toDirectory, to);
        errno = EINVAL;
        return -1;
    }
    return renameat2(fromDirectory, from, toDirectory, to, flags);
}

int RenameWithoutNoReplaceAlone(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags) {
    if ((flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return renameat2(fromDirectory, from, toDirectory, to, flags);
}

class NewFileTest : public SentinelFixture {
protected:
    std::unique_ptr<host::Directory> target = files.OpenDirectory(u"C:\\target");

    std::unique_ptr<host::NewFile> Written(host::Directory& directory, const std::string& content) {
        auto file = directory.CreateTemporary();
        file->Write(content.data(), content.size());
        file->Finish(false);
        return file;
    }

    static bool IsRegularFile(const fs::path& path) { return fs::is_regular_file(fs::symlink_status(path)); }
};

}  // namespace

TEST_F(NewFileTest, ADanglingSymlinkAtTheNameNeverCreatesAFileWhereItPoints) {
    fs::create_symlink(Sentinel() / "newfile", Target() / "x.bin");

    EXPECT_FALSE(Written(*target, "attachment")->Place(u"x.bin", false));  // the link is an entry of that name
    EXPECT_EQ(TargetEntryCount(), 1u);  // no temporary file left behind

    auto file = Written(*target, "attachment");
    ASSERT_TRUE(file->Place(u"x.bin", true));
    EXPECT_EQ(file->Name(), u"x.bin");
    EXPECT_TRUE(IsRegularFile(Target() / "x.bin"));
    EXPECT_EQ(ReadNative(Target() / "x.bin"), "attachment");
    EXPECT_FALSE(fs::exists(fs::symlink_status(Sentinel() / "newfile")));
}

TEST_F(NewFileTest, ReplacingASymlinkToAVictimReplacesTheEntryAndLeavesTheVictim) {
    fs::create_symlink(Victim(), Target() / "report.pdf");
    auto file = Written(*target, "new report");
    ASSERT_TRUE(file->Place(u"report.pdf", true));
    EXPECT_TRUE(IsRegularFile(Target() / "report.pdf"));
    EXPECT_EQ(ReadNative(Target() / "report.pdf"), "new report");
}

TEST_F(NewFileTest, NeitherModeReplacesADirectory) {
    fs::create_directories(Target() / "Reports" / "inner");
    EXPECT_FALSE(Written(*target, "a")->Place(u"Reports", true));
    EXPECT_FALSE(Written(*target, "a")->Place(u"Reports", false));
    EXPECT_TRUE(fs::is_directory(Target() / "Reports" / "inner"));
    EXPECT_EQ(TargetEntryCount(), 1u);
}

// The name is taken as spelt: the caller, who keeps the directory's names,
// matches letter case; another spelling is another entry.
TEST_F(NewFileTest, WithoutReplaceAnExistingFileStaysAndWithReplaceItGoes) {
    WriteNative(Target() / "Report.PDF", "old");
    EXPECT_FALSE(Written(*target, "new")->Place(u"Report.PDF", false));
    EXPECT_EQ(ReadNative(Target() / "Report.PDF"), "old");

    auto file = Written(*target, "new");
    ASSERT_TRUE(file->Place(u"Report.PDF", true));
    EXPECT_EQ(ReadNative(Target() / "Report.PDF"), "new");
    EXPECT_EQ(TargetEntryCount(), 1u);

    ASSERT_TRUE(Written(*target, "other")->Place(u"report.pdf", false));
    EXPECT_EQ(ReadNative(Target() / "Report.PDF"), "new");
    EXPECT_EQ(TargetEntryCount(), 2u);
}

TEST_F(NewFileTest, ALoserOfTheRaceForANameGetsFalseAndTheWinnerKeepsIt) {
    for (const posix::RenameAtFunction rename : {RenameAfterACompetitor, RenameWithoutNoReplace}) {
        fs::remove(Target() / "a.txt");
        auto directory = posix::DirectoryHandle::Open(Target(), u"C:\\Target", rename);
        auto file = Written(*directory, "mine");
        EXPECT_FALSE(file->Place(u"a.txt", false));
        EXPECT_EQ(ReadNative(Target() / "a.txt"), "competitor");
        EXPECT_FALSE(file->Name() == u"a.txt");
        file.reset();
        EXPECT_EQ(TargetEntryCount(), 1u);
    }
}

TEST_F(NewFileTest, WithoutRenameNoReplaceAHardLinkClaimsTheName) {
    auto directory = posix::DirectoryHandle::Open(Target(), u"C:\\Target", RenameWithoutNoReplaceAlone);
    auto file = Written(*directory, "linked");
    ASSERT_TRUE(file->Place(u"b.txt", false));
    EXPECT_EQ(ReadNative(Target() / "b.txt"), "linked");
    EXPECT_EQ(fs::hard_link_count(Target() / "b.txt"), 1u);  // the temporary name went
    EXPECT_EQ(TargetEntryCount(), 1u);
}

TEST_F(NewFileTest, ANameTooLongForTheFileSystemDoesNotFitAndCannotBePlaced) {
    const std::u16string longest(255, u'a');
    EXPECT_TRUE(target->NameFits(longest));
    EXPECT_FALSE(target->NameFits(longest + u"a"));
    EXPECT_FALSE(target->NameFits(std::u16string(128, u'ü')));  // 256 bytes in UTF-8
    EXPECT_FALSE(target->NameFits(u".."));
    EXPECT_FALSE(target->NameFits(u"a/b"));

    const std::u16string tooLong(300, u'n');
    auto file = Written(*target, "x");
    EXPECT_EQ(ErrorOf([&] { file->Place(tooLong, false); }), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(ErrorOf([&] { file->Place(tooLong, true); }), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
    file.reset();
    EXPECT_EQ(TargetEntryCount(), 0u);
}

TEST_F(NewFileTest, NamesThatLeaveTheDirectoryAreRefused) {
    const std::u16string names[] = {u"../escape.txt", u"..", u".", u"", u"sub/x.txt", std::u16string(u"a\0b", 3)};
    for (const std::u16string& name : names) {
        auto file = Written(*target, "escape");
        EXPECT_EQ(ErrorOf([&] { file->Place(name, false); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
        EXPECT_EQ(ErrorOf([&] { file->Place(name, true); }), HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
    }
    EXPECT_FALSE(fs::exists(Target().parent_path() / "escape.txt"));
    EXPECT_EQ(TargetEntryCount(), 0u);
}

TEST_F(NewFileTest, DataCrossesTheBufferAndATemporaryGoesWhenDroppedUnplaced) {
    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + i / 4096);
    {
        auto file = target->CreateTemporary();
        const std::optional<pid_t> owner = posix::TemporaryFileOwner(velmora::ToUtf8(file->Name()));
        ASSERT_TRUE(owner);
        EXPECT_EQ(*owner, getpid());
        EXPECT_TRUE(fs::exists(Target() / velmora::ToUtf8(file->Name())));
        std::size_t offset = 0;
        for (const std::size_t size : {std::size_t{1}, std::size_t{1024 * 1024 - 2}, std::size_t{2 * 1024 * 1024}}) {
            file->Write(content.data() + offset, size);
            offset += size;
        }
        file->Write(content.data() + offset, content.size() - offset);
        EXPECT_EQ(ErrorOf([&] { file->Place(u"early.bin", false); }), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(ErrorOf([&] { file->Sync(); }), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
        file->Commit();
        EXPECT_EQ(ErrorOf([&] { file->Write("x", 1); }), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
        ASSERT_TRUE(file->Place(u"data.bin", false));
        EXPECT_EQ(file->Name(), u"data.bin");
        file->Sync();  // later, as a batch does
        EXPECT_EQ(ErrorOf([&] { file->Place(u"again.bin", true); }), HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));
    }
    EXPECT_EQ(ReadNative(Target() / "data.bin"), content);

    try {
        auto file = target->CreateTemporary();
        file->Write("partial", 7);
        throw std::runtime_error("the run failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(TargetEntryCount(), 1u);
}
