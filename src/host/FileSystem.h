#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What a name in a directory is, looked at without following it.
enum class EntryKind { None, File, Directory, SymbolicLink, Other };

struct EntryStatus {
    EntryKind Kind = EntryKind::None;
    std::u16string Name;  // the stored spelling (names match without regard to letter case)
    std::uint64_t Size = 0;
    FileTime LastWriteTime = 0;  // UTC
    // Which file it is (device and file number), for telling a replaced file
    // from the one that was there; 0 when the platform cannot tell.
    std::uint64_t Device = 0;
    std::uint64_t FileId = 0;
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

// A file written under a temporary name of its directory, which becomes an
// entry of a real name only through Place: a run that dies leaves no partial
// file under a real name. Dropped without Place, the temporary file goes.
class NewFile : public OutputStream {
public:
    // Writes what is buffered; with durable, also to stable storage
    // (fdatasync). Writing ends there. Commit is Finish(true).
    virtual void Finish(bool durable) = 0;
    // Flushes a finished file's data to stable storage, for a batch of files
    // finished without it; it may be placed already.
    virtual void Sync() = 0;
    // Gives the finished file the name in its directory, spelt exactly so
    // (the caller matches letter case against the names it knows: looking
    // through the directory for each file would slow a filling directory
    // down): without replace, only when no entry has that spelling (false
    // when one has); with replace,
    // atomically in place of the file of that name (never of a directory; a
    // symbolic link of that name is replaced, not followed). Throws
    // host::HostError when the name cannot be made (too long, refused).
    virtual bool Place(std::u16string_view name, bool replace) = 0;
    // The temporary name while unplaced, then the real one.
    virtual const std::u16string& Name() const = 0;
};

// A directory held open: every name is looked up in it, never through a
// symbolic link, so that what is created stays inside the tree the handle
// was opened on, whatever the names hold. Names are single components
// matched without regard to letter case (the stored spelling wins), as the
// file system's paths are. Failures throw host::HostError with the Win32
// code of the cause (ERROR_DISK_FULL, ERROR_ACCESS_DENIED,
// ERROR_FILENAME_EXCED_RANGE, ...) and a message naming the Windows path.
class Directory {
public:
    virtual ~Directory() = default;

    // The Windows path of the directory, without a trailing '\'.
    virtual const std::u16string& Path() const = 0;
    virtual EntryStatus Status(std::u16string_view name) = 0;
    // The names of every entry, as stored.
    virtual std::vector<std::u16string> List() = 0;
    // The sub-directory of that name; with create, made when missing. Throws
    // when anything else (a symbolic link included) has the name, or when it
    // is missing and create is false.
    virtual std::unique_ptr<Directory> Child(std::u16string_view name, bool create) = 0;
    // A new file under a unique temporary name, created exclusively.
    virtual std::unique_ptr<NewFile> CreateTemporary() = 0;
    // A regular file of that name for reading, with its status as opened;
    // a symbolic link, device, FIFO or directory is refused (HostError
    // with ERROR_INVALID_NAME), and opening never blocks.
    virtual std::unique_ptr<InputStream> OpenRead(std::u16string_view name, EntryStatus& status) = 0;
    // Moves the file of that name to another directory's name, also across
    // file systems; without replace, false when the new name is taken.
    virtual bool Rename(std::u16string_view name, Directory& to, std::u16string_view toName, bool replace) = 0;
    // Removes the file (never a directory) of that name; false when none.
    // With expected, only when the entry is still that file (same device and
    // file number).
    virtual bool Remove(std::u16string_view name, const EntryStatus* expected = nullptr) = 0;
    virtual bool SetLastWriteTime(std::u16string_view name, FileTime time) = 0;
    // Whether a name of that spelling can be made here (its length in the
    // file system's encoding within the limit).
    virtual bool NameFits(std::u16string_view name) = 0;
    // Makes the directory's entries (new, renamed, removed) durable.
    virtual void Sync() = 0;
    // Removes the temporary files that writers which no longer run left here.
    virtual void RemoveLeftovers() = 0;
};

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
    // A regular file for reading; the last component is never followed as a
    // symbolic link, and a device, FIFO or directory is refused without
    // blocking (HostError).
    virtual std::unique_ptr<InputStream> OpenRead(std::u16string_view path) = 0;
    // CreateNew fails when any entry has the name (a dangling symbolic link
    // included); CreateAlways truncates the file.
    virtual std::unique_ptr<OutputStream> Create(std::u16string_view path, CreateMode mode) = 0;
    virtual std::u16string CurrentDirectory() = 0;

    // The existing directory at the path, held open; symbolic links on the
    // way to it are followed (the path is the user's choice), none below it.
    // Throws HostError when it is missing or not a directory.
    virtual std::unique_ptr<Directory> OpenDirectory(std::u16string_view path) = 0;
    // The path with "." and ".." resolved and the directories on the way
    // resolved to where they really are (symbolic links followed, letter case
    // as stored); components that do not exist are kept as given.
    virtual std::u16string Canonical(std::u16string_view path) = 0;
    // How a reference to the file is written into a message body for mail
    // readers to open it: a file URI.
    virtual std::u16string FileUri(std::u16string_view path) = 0;
};

}  // namespace host
