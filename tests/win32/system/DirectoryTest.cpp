// Directories held open: every name looked up relative to the handle,
// without regard to letter case, never through a link at the name.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "WineFixture.h"
#include "base/Utf16.h"
#include "win32/system/FileTimes.h"
#include "win32/system/TemporaryNames.h"
#include "win32/system/Win32FileSystem.h"

namespace win32test {

namespace {

class DirectoryTest : public ::testing::Test {
protected:
    TempFolder folder;
    win32::Win32FileSystem files;
};

std::string ReadAll(host::InputStream& input) {
    std::string content;
    char buffer[1000];
    while (const std::size_t got = input.Read(buffer, sizeof buffer)) content.append(buffer, got);
    return content;
}

TEST_F(DirectoryTest, OpenDirectoryFollowsTheUsersPathAndNeedsADirectory) {
    MakeDirectory(folder / u"Mail");
    WriteFile(folder / u"file.txt", "x");
    auto mail = files.OpenDirectory(folder / u"MAIL\\.\\");
    EXPECT_TRUE(velmora::SameText(mail->Path(), folder / u"Mail"));
    EXPECT_TRUE(mail->Path().ends_with(u"\\Mail")) << velmora::ToUtf8(mail->Path());
    ExpectFileError(ERROR_PATH_NOT_FOUND, [&] { files.OpenDirectory(folder / u"file.txt"); });
    ExpectFileError(ERROR_PATH_NOT_FOUND, [&] { files.OpenDirectory(folder / u"missing"); });
}

TEST_F(DirectoryTest, ChildRefusesLinksFilesAndNamesThatLeave) {
    TempFolder outside;
    MakeUnixLink(folder / u"escape", outside.Path());
    WriteFile(folder / u"file.txt", "x");
    auto directory = files.OpenDirectory(folder.Path());
    ExpectFileError(ERROR_ACCESS_DENIED, [&] { directory->Child(u"ESCAPE", true); });
    ExpectFileError(ERROR_PATH_NOT_FOUND, [&] { directory->Child(u"file.txt", true); });
    ExpectFileError(ERROR_PATH_NOT_FOUND, [&] { directory->Child(u"missing", false); });
    for (const std::u16string name : {u"..", u"a\\b", u"C:"}) {
        ExpectFileError(ERROR_INVALID_NAME, [&] { directory->Child(name, true); });
    }
    EXPECT_FALSE(Exists(outside / u"a"));

    auto made = directory->Child(u"New Folder", true);
    auto again = directory->Child(u"NEW FOLDER", true);
    EXPECT_EQ(again->Path(), folder / u"New Folder");
    // What is made through the child lands inside it.
    auto file = again->CreateTemporary();
    file->Finish(false);
    ASSERT_TRUE(file->Place(u"inner.txt", false));
    EXPECT_TRUE(Exists(folder / u"New Folder\\inner.txt"));
}

TEST_F(DirectoryTest, OpenReadTakesRegularFilesOnlyAndReportsTheStoredName) {
    WriteFile(folder / u"Letter.TXT", "dear");
    MakeDirectory(folder / u"sub");
    auto directory = files.OpenDirectory(folder.Path());
    host::EntryStatus status;
    auto input = directory->OpenRead(u"letter.txt", status);
    EXPECT_EQ(ReadAll(*input), "dear");
    EXPECT_EQ(status.Kind, host::EntryKind::File);
    EXPECT_EQ(status.Name, u"Letter.TXT");
    EXPECT_EQ(status.Size, 4u);
    ExpectFileError(ERROR_INVALID_NAME, [&] { directory->OpenRead(u"sub", status); });
    ExpectFileError(ERROR_FILE_NOT_FOUND, [&] { directory->OpenRead(u"missing.txt", status); });
    ExpectFileError(ERROR_INVALID_NAME, [&] { directory->OpenRead(u"..\\Letter.TXT", status); });
}

TEST_F(DirectoryTest, StatusAndListShowEntriesAsStoredWithoutFollowingLinks) {
    TempFolder outside;
    WriteFile(folder / u"Data.bin", std::string(70000, 'd'));
    MakeDirectory(folder / u"Sub");
    MakeUnixLink(folder / u"linked", outside.Path());
    auto directory = files.OpenDirectory(folder.Path());

    const host::EntryStatus file = directory->Status(u"DATA.BIN");
    EXPECT_EQ(file.Kind, host::EntryKind::File);
    EXPECT_EQ(file.Name, u"Data.bin");
    EXPECT_EQ(file.Size, 70000u);
    EXPECT_NE(file.FileId, 0u);
    EXPECT_EQ(directory->Status(u"sub").Kind, host::EntryKind::Directory);
    EXPECT_EQ(directory->Status(u"linked").Kind, host::EntryKind::SymbolicLink);
    EXPECT_EQ(directory->Status(u"missing").Kind, host::EntryKind::None);
    EXPECT_EQ(directory->Status(u"..").Kind, host::EntryKind::None);

    std::vector<std::u16string> names = directory->List();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Data.bin", u"Sub", u"linked"}));
}

TEST_F(DirectoryTest, RemoveTakesOnlyTheFileThatWasLookedAt) {
    WriteFile(folder / u"a.txt", "first");
    MakeDirectory(folder / u"dir");
    auto directory = files.OpenDirectory(folder.Path());
    const host::EntryStatus looked = directory->Status(u"a.txt");
    // Another file takes the name after the look.
    WriteFile(folder / u"b.txt", "a new file under the old name");
    ASSERT_TRUE(MoveFileExW(reinterpret_cast<const wchar_t*>((folder / u"b.txt").c_str()),
                            reinterpret_cast<const wchar_t*>((folder / u"a.txt").c_str()), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(directory->Remove(u"a.txt", &looked));
    EXPECT_TRUE(Exists(folder / u"a.txt"));
    EXPECT_FALSE(directory->Remove(u"dir"));
    EXPECT_FALSE(directory->Remove(u"missing.txt"));
    const host::EntryStatus current = directory->Status(u"A.TXT");
    EXPECT_TRUE(directory->Remove(u"A.TXT", &current));
    EXPECT_FALSE(Exists(folder / u"a.txt"));
}

TEST_F(DirectoryTest, SetLastWriteTimeStampsFilesOnly) {
    WriteFile(folder / u"a.txt", "x");
    MakeDirectory(folder / u"dir");
    auto directory = files.OpenDirectory(folder.Path());
    constexpr host::FileTime kTime = 132'000'000'000'000'000ull;  // 2019
    EXPECT_TRUE(directory->SetLastWriteTime(u"A.txt", kTime));
    EXPECT_EQ(directory->Status(u"a.txt").LastWriteTime, kTime);
    EXPECT_FALSE(directory->SetLastWriteTime(u"dir", kTime));
    EXPECT_FALSE(directory->SetLastWriteTime(u"missing", kTime));
}

TEST_F(DirectoryTest, RenameWithinAVolumeNeverReplacesUnlessAsked) {
    MakeDirectory(folder / u"from");
    MakeDirectory(folder / u"to");
    WriteFile(folder / u"from\\a.txt", "a");
    WriteFile(folder / u"from\\b.txt", "b");
    WriteFile(folder / u"to\\Taken.txt", "taken");
    auto from = files.OpenDirectory(folder / u"from");
    auto to = files.OpenDirectory(folder / u"to");

    EXPECT_FALSE(from->Rename(u"a.txt", *to, u"taken.TXT", false));
    EXPECT_EQ(ReadFile(folder / u"to\\Taken.txt"), "taken");
    EXPECT_TRUE(from->Rename(u"a.txt", *to, u"taken.txt", true));
    EXPECT_EQ(ReadFile(folder / u"to\\taken.txt"), "a");
    EXPECT_FALSE(Exists(folder / u"from\\a.txt"));
    // Only the letter case changes.
    EXPECT_TRUE(from->Rename(u"b.txt", *from, u"B.TXT", false));
    EXPECT_EQ(from->Status(u"b.txt").Name, u"B.TXT");
    ExpectFileError(ERROR_FILE_NOT_FOUND, [&] { from->Rename(u"missing", *to, u"x", false); });
}

TEST_F(DirectoryTest, RenameAcrossVolumesCopiesWithTheTimesAndRemovesTheSource) {
    // Wine's Z: drive reaches the Unix root: /dev/shm is a file system of its own.
    TempFolder other(u"Z:\\dev\\shm");
    WriteFile(folder / u"big.bin", std::string(3 * 1024 * 1024 + 17, 'b'));
    auto from = files.OpenDirectory(folder.Path());
    auto to = files.OpenDirectory(other.Path());
    constexpr host::FileTime kTime = 131'000'000'000'000'000ull;
    ASSERT_TRUE(from->SetLastWriteTime(u"big.bin", kTime));
    WriteFile(other / u"kept.bin", "kept");

    EXPECT_FALSE(from->Rename(u"big.bin", *to, u"KEPT.bin", false));
    EXPECT_EQ(ReadFile(other / u"kept.bin"), "kept");
    EXPECT_TRUE(Exists(folder / u"big.bin"));
    EXPECT_EQ(to->List().size(), 1u);  // no copy left behind

    ASSERT_TRUE(from->Rename(u"big.bin", *to, u"moved.bin", false));
    EXPECT_EQ(ReadFile(other / u"moved.bin").size(), 3u * 1024 * 1024 + 17);
    EXPECT_EQ(to->Status(u"moved.bin").LastWriteTime, kTime);
    EXPECT_FALSE(Exists(folder / u"big.bin"));
}

TEST_F(DirectoryTest, LeftoversOfWritersThatEndedGoAndThoseOfLiveWritersStay) {
    // A process that has ended: its id is free.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;  // and no output
    PROCESS_INFORMATION process{};
    wchar_t self[MAX_PATH * 2];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --gtest_filter=None";
    ASSERT_TRUE(
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, INFINITE);
    const DWORD ended = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const std::u16string dead = win32::TemporaryFileName(ended, 1);
    const std::u16string mine = win32::TemporaryFileName(GetCurrentProcessId(), 2);
    const std::u16string old = win32::TemporaryFileName(GetCurrentProcessId(), 3);
    for (const auto& name : {dead, mine, old, std::u16string(u".~velmora-x-0000000000000004.tmp")}) {
        WriteFile(folder / name, "partial");
    }
    auto directory = files.OpenDirectory(folder.Path());
    ASSERT_TRUE(directory->SetLastWriteTime(old, 100'000'000'000'000'000ull));  // 1917
    directory->RemoveLeftovers();
    EXPECT_FALSE(Exists(folder / dead));
    EXPECT_TRUE(Exists(folder / mine));
    EXPECT_FALSE(Exists(folder / old));
    EXPECT_TRUE(Exists(folder / u".~velmora-x-0000000000000004.tmp"));
}

TEST(TemporaryNames, OnlyTheExactFormNamesAnOwner) {
    EXPECT_EQ(win32::TemporaryFileOwner(win32::TemporaryFileName(4242, 0xABCDEF)), 4242u);
    for (const std::u16string name : {u".~velmora-4242-00000000abcdef.tmp", u".~velmora--00000000000abcdef.tmp",
                                      u".~velmora-0-0000000000abcdef.tmp", u".~velmora-42-0000000000ABCDEF.tmp",
                                      u"~velmora-42-0000000000abcdef.tmp", u".~velmora-99999999999-0000000000abcdef.tmp",
                                      u".~velmora-42-0000000000abcdef.tmp.txt"}) {
        EXPECT_FALSE(win32::TemporaryFileOwner(name)) << velmora::ToUtf8(name);
    }
    EXPECT_NE(win32::NextTemporaryUnique(), win32::NextTemporaryUnique());
}

}  // namespace

}  // namespace win32test
