#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// 100-nanosecond intervals since 1 January 1601, as Windows' FILETIME; UTC
// unless a name says local.
using FileTime = std::uint64_t;

struct FileEntry {
    std::u16string Name;  // the last component as stored on disk
    bool IsDirectory = false;
    std::uint64_t Size = 0;
    FileTime LastWriteTime = 0;  // UTC
};

// Reading and writing throw host::HostError on failure.
class InputStream {
public:
    virtual ~InputStream() = default;
    // Up to size bytes; 0 at the end.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
};

class OutputStream {
public:
    virtual ~OutputStream() = default;
    virtual void Write(const void* data, std::size_t size) = 0;
    // Flushes the data to stable storage and closes the file.
    virtual void Commit() = 0;
};

enum class CreateMode { CreateAlways, CreateNew };

// Files and directories under Windows paths: a drive letter and a colon,
// '\' separators, each component matched without regard to letter case.
// (The method names keep clear of the Win32 macros CreateDirectory,
// MoveFile and DeleteFile.)
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The entry of that exact name (no wildcards), file or directory.
    virtual std::optional<FileEntry> Find(std::u16string_view path) = 0;
    virtual bool FileExists(std::u16string_view path) = 0;
    virtual bool DirectoryExists(std::u16string_view path) = 0;
    // One directory whose parent exists; false when it cannot be made or already exists.
    virtual bool MakeDirectory(std::u16string_view path) = 0;
    // Sets the last-write time only; false when the file cannot be opened for writing.
    virtual bool SetLastWriteTime(std::u16string_view path, FileTime time) = 0;
    // Moves a file, also to another drive; false when the destination exists or the move fails.
    virtual bool Move(std::u16string_view from, std::u16string_view to) = 0;
    virtual bool Remove(std::u16string_view path) = 0;
    virtual std::unique_ptr<InputStream> OpenRead(std::u16string_view path) = 0;
    // CreateNew fails when the file exists; CreateAlways truncates it.
    virtual std::unique_ptr<OutputStream> Create(std::u16string_view path, CreateMode mode) = 0;
    virtual std::u16string CurrentDirectory() = 0;
};

}  // namespace host
