#pragma once

// The native calls that open, rename and delete files relative to a
// directory handle, as openat and renameat do on POSIX systems: the Win32
// calls take only whole paths, which a link in the tree could redirect.

#include <windows.h>
#include <winternl.h>

#include <string>
#include <string_view>
#include <vector>

namespace win32 {

// One handle, closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(other.Release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release();
    void Close();

private:
    HANDLE handle_ = nullptr;
};

struct RelativeOpen {
    ACCESS_MASK Access = 0;
    ULONG Share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ULONG Disposition = 1;  // FILE_OPEN
    ULONG Options = 0;      // FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE, ...
};

// NtCreateFile dispositions and options (ntifs.h).
inline constexpr ULONG kFileOpen = 1;
inline constexpr ULONG kFileCreate = 2;
inline constexpr ULONG kFileOpenIf = 3;
inline constexpr ULONG kDirectoryFile = 0x00000001;
inline constexpr ULONG kSynchronousIo = 0x00000020;
inline constexpr ULONG kSequentialOnly = 0x00000004;
inline constexpr ULONG kNonDirectoryFile = 0x00000040;
inline constexpr ULONG kOpenReparsePoint = 0x00200000;

// Opens or creates the entry of a single name in the directory, its letter
// case ignored, never following a reparse point at the name (the caller
// looks at what it got). Always synchronous. Returns the NTSTATUS.
NTSTATUS OpenRelative(HANDLE directory, std::wstring_view name, const RelativeOpen& how, Handle& opened);

// Renames the open file (opened with DELETE access) to a name in another
// directory held open; STATUS_OBJECT_NAME_COLLISION when taken and not
// replace.
NTSTATUS RenameRelative(HANDLE file, HANDLE directory, std::wstring_view name, bool replace);

// Marks the open file (opened with DELETE access) for deletion when its
// last handle closes.
NTSTATUS DeleteOnClose(HANDLE file);

// The names of every entry of the directory held open (opened for listing,
// synchronous), "." and ".." left out.
NTSTATUS ListNames(HANDLE directory, std::vector<std::wstring>& names);

// A directory's own record of one entry, as listing it shows it: the
// attributes there mark a reparse point even where opening the entry would
// show what it points to.
struct EntryRecord {
    std::wstring Name;  // as stored
    ULONG Attributes = 0;
    LONGLONG Size = 0;
    LONGLONG LastWriteTime = 0;
    LONGLONG FileId = 0;
};

// The record of the entry of exactly that name (letter case aside; the name
// holds no wildcard) in the directory, read through a listing handle of its
// own. STATUS_NO_SUCH_FILE or STATUS_OBJECT_NAME_NOT_FOUND when none.
NTSTATUS QueryEntry(HANDLE directory, std::wstring_view name, EntryRecord& record);

// The Win32 error code of a native status.
DWORD ErrorOf(NTSTATUS status);

// NTSTATUS values the file layer tells apart.
inline constexpr NTSTATUS kStatusSuccess = 0;
inline constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
inline constexpr NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000FL);
inline constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
inline constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003AL);
inline constexpr NTSTATUS kStatusObjectNameCollision = static_cast<NTSTATUS>(0xC0000035L);
inline constexpr NTSTATUS kStatusFileIsADirectory = static_cast<NTSTATUS>(0xC00000BAL);
inline constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103L);
inline constexpr NTSTATUS kStatusNotSameDevice = static_cast<NTSTATUS>(0xC00000D4L);
inline constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022L);

}  // namespace win32
