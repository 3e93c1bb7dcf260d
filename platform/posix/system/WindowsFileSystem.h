#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "host/FileSystem.h"
#include "posix/system/DriveMap.h"
#include "posix/system/FileMove.h"

namespace posix {

// host::FileSystem over Linux directories: Windows paths are placed by a
// DriveMap, each name matched against what exists without regard to letter
// case (ResolveNames), names that do not exist yet used as the caller spells
// them. A path that is not an absolute path on a mapped drive finds nothing,
// and creating or opening it fails with ERROR_INVALID_NAME or
// ERROR_PATH_NOT_FOUND. Errors of the streams are host::HostError with
// HRESULT_FROM_WIN32 codes and a message naming the Windows path.
class WindowsFileSystem : public host::FileSystem {
public:
    explicit WindowsFileSystem(DriveMap drives, RenameFunction rename = RenameWithoutReplacing);

    // The entry of that name; nullopt for a drive's root, which has no name.
    std::optional<host::FileEntry> Find(std::u16string_view path) override;
    bool FileExists(std::u16string_view path) override;
    bool DirectoryExists(std::u16string_view path) override;
    bool MakeDirectory(std::u16string_view path) override;
    bool SetLastWriteTime(std::u16string_view path, host::FileTime time) override;
    // Also changes only the letter case of a name; a directory moves within its file system only.
    bool Move(std::u16string_view from, std::u16string_view to) override;
    bool Remove(std::u16string_view path) override;
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view path) override;
    std::unique_ptr<host::OutputStream> Create(std::u16string_view path, host::CreateMode mode) override;
    // The process's current directory when it lies on a mapped drive, else "C:\".
    std::u16string CurrentDirectory() override;
    std::unique_ptr<host::Directory> OpenDirectory(std::u16string_view path) override;
    std::u16string Canonical(std::u16string_view path) override;
    std::u16string FileUri(std::u16string_view path) override;

    // Where a Windows path lies, existing names matched as above.
    std::optional<std::filesystem::path> ToNative(std::u16string_view path) const;
    std::optional<std::u16string> FromNative(const std::filesystem::path& nativePath) const;
    const DriveMap& Drives() const { return drives_; }

private:
    std::filesystem::path NativeOrThrow(std::u16string_view action, std::u16string_view path) const;

    DriveMap drives_;
    RenameFunction rename_;
};

}  // namespace posix
