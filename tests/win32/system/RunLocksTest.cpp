// Locks between runs: one lock file per target directory, held open without
// sharing; every spelling of a directory is the same lock, nested runs in
// one process share theirs, and a lock held by another opener fails at once.

#include <gtest/gtest.h>

#include <windows.h>

#include "WineFixture.h"
#include "win32/system/LockFileRunLocks.h"
#include "win32/system/Win32FileSystem.h"

namespace win32test {

namespace {

class RunLocksTest : public ::testing::Test {
protected:
    RunLocksTest() { MakeDirectory(folder / u"Target"); }

    // The lock file of a directory, opened as another process holding it would.
    HANDLE HoldElsewhere(const std::u16string& directory) {
        const std::u16string file = folder / (u"locks\\" + win32::LockFileRunLocks::TargetLockName(files.Canonical(directory)));
        return CreateFileW(reinterpret_cast<const wchar_t*>(file.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    TempFolder folder;
    win32::Win32FileSystem files;
    win32::LockFileRunLocks locks{files, {}, folder / u"locks"};
};

TEST_F(RunLocksTest, ALockHeldElsewhereFailsAtOnceNamingTheDirectoryAndKeepsNothing) {
    {
        auto lease = locks.Acquire({folder / u"Target"});
        ASSERT_NE(lease, nullptr);
        EXPECT_EQ(HoldElsewhere(folder / u"Target"), INVALID_HANDLE_VALUE);
    }
    HANDLE held = HoldElsewhere(folder / u"target");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    try {
        locks.Acquire({folder / u"Other", folder / u"TARGET\\.\\"});
        ADD_FAILURE() << "acquired a held lock";
    } catch (const host::HostError& error) {
        EXPECT_EQ(Win32CodeOf(error), ERROR_LOCK_VIOLATION);
        EXPECT_NE(error.Message().find(u"Another run of Velmora is working on "), std::u16string::npos);
        EXPECT_NE(error.Message().find(u"\\Target"), std::u16string::npos) << error.what();
    }
    // The other directory's lock, taken before the failure, was let go.
    HANDLE other = HoldElsewhere(folder / u"Other");
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    CloseHandle(other);
    CloseHandle(held);
    EXPECT_NE(locks.Acquire({folder / u"Target"}), nullptr);
}

TEST_F(RunLocksTest, NestedRunsInOneProcessShareTheLocksUntilTheLastLeaseGoes) {
    win32::LockFileRunLocks second{files, {}, folder / u"locks"};
    auto outer = locks.Acquire({folder / u"Target"});
    auto inner = second.Acquire({folder / u"target", folder / u"Target"});
    outer.reset();
    EXPECT_EQ(HoldElsewhere(folder / u"Target"), INVALID_HANDLE_VALUE);
    inner.reset();
    HANDLE free = HoldElsewhere(folder / u"Target");
    EXPECT_NE(free, INVALID_HANDLE_VALUE);
    CloseHandle(free);
}

TEST_F(RunLocksTest, TheStoresLockFilesAreTakenToo) {
    win32::LockFileRunLocks withStore{files, {folder / u"store.lock"}, folder / u"locks"};
    auto lease = withStore.Acquire({});
    HANDLE store = CreateFileW(reinterpret_cast<const wchar_t*>((folder / u"store.lock").c_str()), GENERIC_READ, 0,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(store, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

}  // namespace

}  // namespace win32test
