#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "DriveMappedFileSystem.h"
#include "TempDirectory.h"
#include "catalog/SqliteCatalogStore.h"
#include "host/Platform.h"
#include "win32/registry/Win32Registry.h"
#include "win32/system/LockFileRunLocks.h"
#include "win32/system/Win32Libraries.h"
#include "win32/system/Win32System.h"

namespace testing_support {

// The Windows platform over a fresh temporary directory, installed with
// host::PlatformScope for the object's lifetime, as the Linux test platform
// installs the Linux one: drives C: and D: in the folders drives\c and
// drives\d (DriveMappedFileSystem), the registry's roots on private keys
// of the user's hive (each with its "Software" key), the catalog of saved
// files in registry\catalog.db, run locks that never wait (in locks\), the
// system services and the library loader.
class TestPlatform {
public:
    // The system services' class, for tests that change a few of its answers.
    using SystemType = win32::Win32System;

    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    win32::Win32Registry& Registry() { return registry_; }
    DriveMappedFileSystem& FileSystem() { return fileSystem_; }
    win32::Win32System& System() { return system_; }
    win32::Win32Libraries& Libraries() { return libraries_; }
    catalog::SqliteCatalogStore& Catalog() { return catalog_; }
    win32::LockFileRunLocks& RunLocks() { return runLocks_; }

    const std::filesystem::path& Root() const { return temp_.Path(); }
    // The real folder of drive C: or D:.
    std::filesystem::path DrivePath(char16_t letter) const;

    // Writes a file at a path of a mapped drive, creating missing folders;
    // reads one back. Both work on the disk directly and throw
    // std::runtime_error when they cannot.
    void WriteFile(std::u16string_view windowsPath, std::string_view content);
    std::string ReadFile(std::u16string_view windowsPath) const;

    // The user's keys (HKCU) refuse writes, or take them again.
    void SetUserHiveWritable(bool writable);

private:
    std::filesystem::path NativeOf(std::u16string_view windowsPath) const;

    TempDirectory temp_;
    std::wstring registryBase_;
    win32::Win32Registry::Roots roots_;
    win32::Win32Registry registry_;
    DriveMappedFileSystem fileSystem_;
    win32::Win32System system_;
    win32::Win32Libraries libraries_;
    catalog::SqliteCatalogStore catalog_;
    win32::LockFileRunLocks runLocks_;
    host::PlatformScope scope_;
};

}  // namespace testing_support
