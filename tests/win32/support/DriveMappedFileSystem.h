#pragma once

#include <map>
#include <string>

#include "win32/system/Win32FileSystem.h"

namespace testing_support {

// The Windows file system with drive letters placed in folders of a test's
// own, as the Linux test platform places its drives: "C:\Out" is
// "<root of C>\Out" on the disk, and paths, directories and error messages
// that come back name "C:\Out" again. Everything else is the real
// win32::Win32FileSystem.
class DriveMappedFileSystem final : public host::FileSystem {
public:
    // Drive letters (upper case) and the Windows paths of their folders.
    explicit DriveMappedFileSystem(std::map<char16_t, std::u16string> drives);

    std::optional<host::FileEntry> Find(std::u16string_view path) override;
    bool FileExists(std::u16string_view path) override;
    bool DirectoryExists(std::u16string_view path) override;
    bool MakeDirectory(std::u16string_view path) override;
    bool SetLastWriteTime(std::u16string_view path, host::FileTime time) override;
    bool Move(std::u16string_view from, std::u16string_view to) override;
    bool Remove(std::u16string_view path) override;
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view path) override;
    std::unique_ptr<host::OutputStream> Create(std::u16string_view path, host::CreateMode mode) override;
    std::u16string CurrentDirectory() override;
    std::unique_ptr<host::Directory> OpenDirectory(std::u16string_view path) override;
    std::u16string Canonical(std::u16string_view path) override;
    std::u16string FileUri(std::u16string_view path) override;

    // Where a path of a mapped drive lies on the disk; other paths as given.
    std::u16string ToReal(std::u16string_view path) const;
    // A real path inside a drive's folder as a path of that drive; others as given.
    std::u16string FromReal(std::u16string_view path) const;
    // Runs a call of the real file system, naming mapped paths in its errors.
    template <class Call>
    auto Mapped(Call&& call) const -> decltype(call());

private:
    std::map<char16_t, std::u16string> drives_;
    win32::Win32FileSystem real_;
};

}  // namespace testing_support
