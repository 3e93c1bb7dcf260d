#include "util/ARQ_FUNC.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestPlatform.h"
#include "base/Utf16.h"

namespace velmora {
namespace {

// The test platform's file system, noting which directories are looked at and made.
class RecordingFileSystem : public posix::WindowsFileSystem {
public:
    using WindowsFileSystem::WindowsFileSystem;

    bool DirectoryExists(std::u16string_view path) override {
        ++lookups;
        return WindowsFileSystem::DirectoryExists(path);
    }
    bool MakeDirectory(std::u16string_view path) override {
        made.emplace_back(path);
        return WindowsFileSystem::MakeDirectory(path);
    }

    int lookups = 0;
    std::vector<std::u16string> made;
};

class FileHelpers : public testing::Test {
protected:
    testing_support::TestPlatform platform;
    RecordingFileSystem files{platform.FileSystem().Drives()};
    host::PlatformScope scope{{&platform.Registry(), &files, &platform.Libraries(), &platform.System()}};

    std::optional<host::FileEntry> Entry(std::u16string_view path) { return files.Find(path); }
};

using Paths = std::vector<std::u16string>;

TEST_F(FileHelpers, ForceDirectoriesCreatesTheMissingOnesOutermostFirst) {
    ASSERT_TRUE(files.MakeDirectory(u"C:\\X"));
    files.made.clear();
    EXPECT_TRUE(ForceDirectories(u"C:\\X\\Y\\Z", true));
    EXPECT_EQ(files.made, (Paths{u"C:\\X\\Y", u"C:\\X\\Y\\Z"}));
    EXPECT_TRUE(files.DirectoryExists(u"c:\\x\\y\\z"));

    files.made.clear();
    EXPECT_TRUE(ForceDirectories(u"C:\\X\\Y\\Z", true));
    EXPECT_TRUE(ForceDirectories(u"C:\\", true));
    EXPECT_TRUE(ForceDirectories(u"D:\\W\\V\\\\\\", true));
    EXPECT_EQ(files.made, (Paths{u"D:\\W", u"D:\\W\\V"}));

    EXPECT_FALSE(ForceDirectories(u"C:\\N\\M", false));
    EXPECT_FALSE(files.DirectoryExists(u"C:\\N"));
}

TEST_F(FileHelpers, ForceDirectoriesFailsWhereNothingCanBeCreated) {
    platform.WriteFile(u"C:\\X\\report.pdf", "x");
    for (const std::u16string path : {u"C:\\X\\report.pdf", u"C:\\X\\report.pdf\\sub", u"A\\B", u"Q:\\A\\B", u"\\\\"}) {
        SCOPED_TRACE(ToUtf8(path));
        files.lookups = 0;
        EXPECT_FALSE(ForceDirectories(path, true));
        EXPECT_LE(files.lookups, 4);
    }
    EXPECT_EQ(platform.ReadFile(u"C:\\X\\report.pdf"), "x");
}

TEST_F(FileHelpers, FileTimesPassThroughTheDosFormEvenSecondsOnly) {
    platform.WriteFile(u"C:\\a.txt", "abc");
    SetFileDateTime(u"C:\\A.TXT", EncodeDateTime({2024, 5, 1, 10, 15, 37, 600}));
    TDateTime time = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(GetFileDateTimeAndSize(u"C:\\a.txt", time, size));
    EXPECT_EQ(time, EncodeDateTime({2024, 5, 1, 10, 15, 36, 0}));
    EXPECT_EQ(size, 3u);

    // A time outside 1980-2107 has no DOS form: the stamp stays as it was.
    SetFileDateTime(u"C:\\a.txt", EncodeDateTime({1979, 12, 31, 23, 59, 58, 0}));
    SetFileDateTime(u"C:\\a.txt", EncodeDateTime({2108, 1, 1, 0, 0, 0, 0}));
    SetFileDateTime(u"C:\\missing.txt", EncodeDateTime({2024, 5, 1, 0, 0, 0, 0}));
    time = 0;
    ASSERT_TRUE(GetFileDateTimeAndSize(u"C:\\a.txt", time, size));
    EXPECT_EQ(time, EncodeDateTime({2024, 5, 1, 10, 15, 36, 0}));

    // ... and reading such a stamp leaves the caller's time alone.
    ASSERT_TRUE(files.SetLastWriteTime(u"C:\\a.txt", 116'444'736'000'000'000));  // 1970-01-01 UTC
    time = 42.0;
    size = 0;
    EXPECT_TRUE(GetFileDateTimeAndSize(u"C:\\a.txt", time, size));
    EXPECT_EQ(time, 42.0);
    EXPECT_EQ(size, 3u);
}

TEST_F(FileHelpers, LookupFindsFilesAndDirectoriesAndLeavesMissesUntouched) {
    const auto big = platform.DrivePath(u'C') / "big.bin";
    std::ofstream(big).close();
    std::filesystem::resize_file(big, (std::uint64_t{1} << 32) + 5);  // sparse: no real 4 GiB written
    TDateTime time = 42.0;
    std::uint32_t size = 0;
    EXPECT_TRUE(GetFileDateTimeAndSize(u"C:\\big.bin", time, size));
    EXPECT_EQ(size, 5u);

    ASSERT_TRUE(files.MakeDirectory(u"C:\\Dir"));
    time = 42.0;
    size = 7;
    EXPECT_TRUE(GetFileDateTimeAndSize(u"C:\\dir", time, size));
    EXPECT_NE(time, 42.0);
    EXPECT_EQ(size, 0u);

    time = 42.0;
    size = 7;
    EXPECT_FALSE(GetFileDateTimeAndSize(u"C:\\nothing", time, size));
    EXPECT_FALSE(GetFileDateTimeAndSize(u"Q:\\x", time, size));
    EXPECT_EQ(time, 42.0);
    EXPECT_EQ(size, 7u);
}

// Sets TZ for the test's lifetime and puts the previous value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) setenv("TZ", previous_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

TEST_F(FileHelpers, StampsKeepTheLocalTimeOnBothSidesOfADaylightSavingChange) {
    const ScopedTimeZone berlin("Europe/Berlin");
    const auto utcSeconds = [](std::uint64_t unixSeconds) { return (unixSeconds + 11'644'473'600) * 10'000'000; };
    const struct {
        const char16_t* path;
        TDateTime local;
        host::FileTime utc;
    } stamps[] = {
        {u"C:\\winter.txt", EncodeDateTime({2024, 1, 15, 12, 0, 0, 0}), utcSeconds(1705320000 - 3600)},
        {u"C:\\summer.txt", EncodeDateTime({2024, 7, 15, 12, 0, 0, 0}), utcSeconds(1721044800 - 7200)},
    };
    for (const auto& stamp : stamps) {
        SCOPED_TRACE(ToUtf8(stamp.path));
        platform.WriteFile(stamp.path, "");
        SetFileDateTime(stamp.path, stamp.local);
        EXPECT_EQ(Entry(stamp.path)->LastWriteTime, stamp.utc);
        TDateTime time = 0;
        std::uint32_t size = 1;
        ASSERT_TRUE(GetFileDateTimeAndSize(stamp.path, time, size));
        EXPECT_EQ(time, stamp.local);
    }
}

TEST(ReplaceCharsBySpace, BlanksMembersBelowU0100AndKeepsTheLength) {
    const CharSet unwanted = CharSet{u'*', u'/', u':', u';', u'?', u'\\', u'|', u'\u00A5'}.AddRange(u'\u0001', u'\u001F');
    std::u16string name = u"a:b\tc<d>\"\u00A5.pdf\u013A\u012A\u0100";
    ReplaceCharsBySpace(name, unwanted);
    EXPECT_EQ(name, u"a b c<d>\" .pdf\u013A\u012A\u0100");

    std::u16string members = u"*/:;?\\|\u00A5\u0001\u001F";
    ReplaceCharsBySpace(members, unwanted);
    EXPECT_EQ(members, std::u16string(10, u' '));

    CharSet set;
    EXPECT_THROW(set.Add(u'\u0100'), std::out_of_range);
    EXPECT_FALSE(set.Contains(u'\u0100'));
}

}  // namespace
}  // namespace velmora
