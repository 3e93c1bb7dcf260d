// The file system by whole paths: stored names, regular files only, new
// files exclusively, moves that never replace, canonical paths and URIs.

#include <gtest/gtest.h>

#include <windows.h>

#include "WineFixture.h"
#include "base/Utf16.h"
#include "win32/system/Win32FileSystem.h"

namespace win32test {

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    TempFolder folder;
    win32::Win32FileSystem files;
};

TEST_F(FileSystemTest, FindGivesTheStoredNameAndSizeAndNothingForWildcards) {
    WriteFile(folder / u"Report.PDF", std::string(1234, 'r'));
    MakeDirectory(folder / u"Sub");
    const std::optional<host::FileEntry> file = files.Find(folder / u"report.pdf");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Name, u"Report.PDF");
    EXPECT_EQ(file->Size, 1234u);
    EXPECT_FALSE(file->IsDirectory);
    ASSERT_TRUE(files.Find(folder / u"SUB"));
    EXPECT_TRUE(files.Find(folder / u"SUB")->IsDirectory);
    EXPECT_FALSE(files.Find(folder / u"*.pdf"));
    EXPECT_FALSE(files.Find(folder / u"missing"));
    EXPECT_TRUE(files.FileExists(folder / u"REPORT.pdf"));
    EXPECT_FALSE(files.FileExists(folder / u"Sub"));
    EXPECT_TRUE(files.DirectoryExists(folder / u"sub"));
}

TEST_F(FileSystemTest, StreamsReadOnlyRegularFilesAndCreateNewNeverOpensWhatIsThere) {
    WriteFile(folder / u"a.txt", "old");
    MakeDirectory(folder / u"dir");
    ExpectFileError(ERROR_FILE_EXISTS, [&] { files.Create(folder / u"A.TXT", host::CreateMode::CreateNew); });
    EXPECT_EQ(ReadFile(folder / u"a.txt"), "old");
    ExpectFileError(ERROR_INVALID_NAME, [&] { files.OpenRead(folder / u"dir"); });
    ExpectFileError(ERROR_INVALID_NAME, [&] { files.Create(folder / u"dir", host::CreateMode::CreateAlways); });
    // A device name is the device, never a file.
    ExpectFileError(ERROR_INVALID_NAME, [&] { files.OpenRead(folder / u"NUL"); });
    ExpectFileError(ERROR_PATH_NOT_FOUND, [&] { files.OpenRead(folder / u"missing\\x.txt"); });

    auto output = files.Create(folder / u"b.txt", host::CreateMode::CreateNew);
    output->Write("new", 3);
    output->Commit();
    auto input = files.OpenRead(folder / u"B.txt");
    char buffer[8] = {};
    EXPECT_EQ(input->Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "new");
    EXPECT_EQ(input->Read(buffer, sizeof buffer), 0u);
}

TEST_F(FileSystemTest, OpenAndCreateFailuresNameThePath) {
    try {
        files.OpenRead(folder / u"gone.txt");
        ADD_FAILURE();
    } catch (const host::HostError& error) {
        EXPECT_EQ(Win32CodeOf(error), ERROR_FILE_NOT_FOUND);
        EXPECT_NE(error.Message().find(folder / u"gone.txt"), std::u16string::npos) << error.what();
    }
}

TEST_F(FileSystemTest, MoveNeverReplacesAndRemoveTakesFilesOnly) {
    WriteFile(folder / u"a.txt", "a");
    WriteFile(folder / u"b.txt", "b");
    MakeDirectory(folder / u"dir");
    EXPECT_FALSE(files.Move(folder / u"a.txt", folder / u"B.TXT"));
    EXPECT_EQ(ReadFile(folder / u"b.txt"), "b");
    EXPECT_TRUE(files.Move(folder / u"a.txt", folder / u"dir\\a.txt"));
    EXPECT_TRUE(files.Move(folder / u"dir\\a.txt", folder / u"dir\\A.TXT"));
    EXPECT_EQ(files.Find(folder / u"dir\\a.txt")->Name, u"A.TXT");
    EXPECT_FALSE(files.Remove(folder / u"dir"));
    EXPECT_TRUE(files.Remove(folder / u"b.txt"));
    EXPECT_FALSE(files.Remove(folder / u"b.txt"));
}

TEST_F(FileSystemTest, CanonicalResolvesDotsAndStoredCaseAndKeepsTheMissingRestAsGiven) {
    MakeDirectory(folder / u"Mail");
    const std::u16string canonical = files.Canonical(folder / u"MAIL\\.\\x\\..\\New\\Sub");
    EXPECT_TRUE(canonical.ends_with(u"\\Mail\\New\\Sub")) << velmora::ToUtf8(canonical);
    EXPECT_TRUE(velmora::SameText(canonical, folder / u"Mail\\New\\Sub"));
    EXPECT_EQ(files.Canonical(folder / u"mail"), files.Canonical(folder / u"Mail\\"));
    EXPECT_EQ(files.Canonical(u"Q:\\No\\Such\\..\\Drive"), u"Q:\\No\\Drive");
}

TEST_F(FileSystemTest, FileUrisKeepTheWindowsPath) {
    EXPECT_EQ(files.FileUri(u"C:\\Attachments\\a b#1.pdf"), u"file://C:\\Attachments\\a b#1.pdf");
}

}  // namespace

}  // namespace win32test
