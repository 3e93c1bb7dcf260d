#pragma once

#include "host/FileSystem.h"

namespace win32 {

// host::FileSystem over the Win32 wide calls. Paths are the system's own;
// whole-path calls open the last component without following a reparse
// point where the host asks for that (OpenRead, Create), and refuse devices
// and anything else that is no regular file (ERROR_INVALID_NAME). Errors are
// host::HostError with HRESULT_FROM_WIN32 codes and the path in the message.
// Directories held open are Win32Directory.
class Win32FileSystem final : public host::FileSystem {
public:
    std::optional<host::FileEntry> Find(std::u16string_view path) override;
    bool FileExists(std::u16string_view path) override;
    bool DirectoryExists(std::u16string_view path) override;
    bool MakeDirectory(std::u16string_view path) override;
    bool SetLastWriteTime(std::u16string_view path, host::FileTime time) override;
    // MoveFileExW without replacing, copying across volumes.
    bool Move(std::u16string_view from, std::u16string_view to) override;
    bool Remove(std::u16string_view path) override;
    std::unique_ptr<host::InputStream> OpenRead(std::u16string_view path) override;
    std::unique_ptr<host::OutputStream> Create(std::u16string_view path, host::CreateMode mode) override;
    std::u16string CurrentDirectory() override;
    std::unique_ptr<host::Directory> OpenDirectory(std::u16string_view path) override;
    std::u16string Canonical(std::u16string_view path) override;
    // "file://" and the Windows path, as mail readers on Windows open it.
    std::u16string FileUri(std::u16string_view path) override;
};

}  // namespace win32
