#pragma once

// The test platform of the system the tests run on: Windows has its own.
#ifdef _WIN32
#include "../win32/support/Win32TestPlatform.h"
#else

#include <filesystem>
#include <string>
#include <string_view>

#include "TempDirectory.h"
#include "catalog/SqliteCatalogStore.h"
#include "host/Platform.h"
#include "posix/registry/SqliteRegistry.h"
#include "posix/system/FlockRunLocks.h"
#include "posix/system/PosixLibraries.h"
#include "posix/system/PosixSystem.h"
#include "posix/system/WindowsFileSystem.h"

namespace testing_support {

// The Linux platform over a fresh temporary directory, installed with
// host::PlatformScope for the object's lifetime: drives C: and D: on the
// sub-directories drives/c and drives/d, the registry's user and machine
// hives in registry/ (both created, each holding its "Software" key) with
// the catalog of saved files beside them, the file system, run locks that
// never wait (in locks/), the system services and the library loader.
class TestPlatform {
public:
    // The system services' class, for tests that change a few of its answers.
    using SystemType = posix::PosixSystem;

    TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    posix::SqliteRegistry& Registry() { return registry_; }
    posix::WindowsFileSystem& FileSystem() { return fileSystem_; }
    posix::PosixSystem& System() { return system_; }
    posix::PosixLibraries& Libraries() { return libraries_; }
    catalog::SqliteCatalogStore& Catalog() { return catalog_; }
    posix::FlockRunLocks& RunLocks() { return runLocks_; }

    const std::filesystem::path& Root() const { return temp_.Path(); }
    // The native directory of drive C: or D:.
    std::filesystem::path DrivePath(char16_t letter) const;
    const posix::HiveFiles& Hives() const { return hives_; }

    // Writes a file at a Windows path (names matched as the file system
    // matches them), creating missing directories; reads one back. Both work
    // on the disk directly and throw std::runtime_error when they cannot.
    void WriteFile(std::u16string_view windowsPath, std::string_view content);
    std::string ReadFile(std::u16string_view windowsPath) const;

    // A user without administrative rights: the machine hive (HKLM, HKCR)
    // can no longer be written; reads go on working.
    void MakeMachineHiveReadOnly();
    // The user's hive (HKCU) refuses writes, or takes them again: its file's
    // mode lets nobody write it.
    void SetUserHiveWritable(bool writable);

private:
    std::filesystem::path NativeOf(std::u16string_view windowsPath) const;

    TempDirectory temp_;
    posix::DriveMap drives_;
    posix::HiveFiles hives_;
    posix::SqliteRegistry registry_;
    posix::WindowsFileSystem fileSystem_;
    posix::PosixSystem system_;
    posix::PosixLibraries libraries_;
    catalog::SqliteCatalogStore catalog_;
    posix::FlockRunLocks runLocks_;
    host::PlatformScope scope_;
};

}  // namespace testing_support

#endif
