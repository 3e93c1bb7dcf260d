#include "win32/system/Win32FileSystem.h"

#include <windows.h>

#include <vector>

#include "win32/WideText.h"
#include "win32/system/EntryInfo.h"
#include "win32/system/FileErrors.h"
#include "win32/system/FileStreams.h"
#include "win32/system/FileTimes.h"
#include "win32/system/NtFiles.h"
#include "win32/system/TemporaryNames.h"
#include "win32/system/Win32Directory.h"

namespace win32 {

namespace {

bool HasWildcard(std::u16string_view path) { return path.find_first_of(u"*?") != std::u16string_view::npos; }

std::optional<DWORD> AttributesOf(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

// Opens a regular file by path without following a reparse point at its
// name; anything else (a directory, a link, a device) is refused.
Handle OpenRegular(std::u16string_view action, std::u16string_view path, DWORD access, DWORD share,
                   DWORD disposition) {
    Handle file(CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        // Opening a directory as a file is refused with this code.
        if (error == ERROR_ACCESS_DENIED && AttributesOf(path).value_or(0) & FILE_ATTRIBUTE_DIRECTORY) {
            ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a regular file");
        }
        ThrowFileError(action, path, error);
    }
    if (GetFileType(file.Get()) != FILE_TYPE_DISK || StatusOf(file.Get()).Kind != host::EntryKind::File) {
        ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a regular file");
    }
    return file;
}

// The path as the file system stores the existing entry it names.
std::optional<std::u16string> StoredPath(std::u16string_view path) {
    Handle entry(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.Valid()) return std::nullopt;
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(entry.Get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return std::nullopt;
        if (length < buffer.size()) {
            std::u16string stored = FromWide(std::wstring_view(buffer.data(), length));
            if (stored.starts_with(u"\\\\?\\UNC\\")) return u"\\" + stored.substr(7);
            if (stored.starts_with(u"\\\\?\\")) return stored.substr(4);
            return stored;
        }
        buffer.resize(length + 1);
    }
}

// The length of the root of a full path: "C:\\" or "\\\\server\\share\\".
std::size_t RootLength(std::u16string_view full) {
    if (full.size() >= 3 && full[1] == u':' && full[2] == u'\\') return 3;
    if (!full.starts_with(u"\\\\")) return 0;
    const std::size_t server = full.find(u'\\', 2);
    if (server == std::u16string_view::npos) return full.size();
    const std::size_t share = full.find(u'\\', server + 1);
    return share == std::u16string_view::npos ? full.size() : share + 1;
}

}  // namespace

std::optional<host::FileEntry> Win32FileSystem::Find(std::u16string_view path) {
    if (path.empty() || HasWildcard(path)) return std::nullopt;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(Wide(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    // A drive's root has no name and finds nothing, as on Linux.
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(search);
    host::FileEntry entry;
    entry.Name = FromWide(found.cFileName);
    entry.IsDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.Size = entry.IsDirectory ? 0 : (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.LastWriteTime = FromFiletime(found.ftLastWriteTime);
    return entry;
}

bool Win32FileSystem::FileExists(std::u16string_view path) {
    const std::optional<DWORD> attributes = AttributesOf(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::DirectoryExists(std::u16string_view path) {
    const std::optional<DWORD> attributes = AttributesOf(path);
    return attributes && (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::MakeDirectory(std::u16string_view path) {
    return CreateDirectoryW(Wide(path).c_str(), nullptr) != 0;
}

bool Win32FileSystem::SetLastWriteTime(std::u16string_view path, host::FileTime time) {
    Handle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    const FILETIME written = ToFiletime(time);
    return SetFileTime(file.Get(), nullptr, nullptr, &written) != 0;
}

bool Win32FileSystem::Move(std::u16string_view from, std::u16string_view to) {
    const std::wstring source = Wide(from);
    const std::wstring target = Wide(to);
    const std::optional<std::u16string> sourceStored = StoredPath(from);
    if (sourceStored && sourceStored == StoredPath(to)) {
        // Only the letter case of the name changes: by way of another name,
        // as some file systems take a move onto the same file for no change.
        const std::u16string folder(from.substr(0, from.find_last_of(u'\\') + 1));
        const std::wstring interim = Wide(folder + InterimFileName(NextTemporaryUnique()));
        if (!MoveFileExW(source.c_str(), interim.c_str(), 0)) return false;
        if (MoveFileExW(interim.c_str(), target.c_str(), 0)) return true;
        MoveFileExW(interim.c_str(), source.c_str(), 0);
        return false;
    }
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}

bool Win32FileSystem::Remove(std::u16string_view path) {
    const std::optional<DWORD> attributes = AttributesOf(path);
    if (!attributes || (*attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    return DeleteFileW(Wide(path).c_str()) != 0;
}

std::unique_ptr<host::InputStream> Win32FileSystem::OpenRead(std::u16string_view path) {
    Handle file = OpenRegular(u"Cannot open", path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              OPEN_EXISTING);
    return std::make_unique<FileInputStream>(std::move(file), std::u16string(path));
}

std::unique_ptr<host::OutputStream> Win32FileSystem::Create(std::u16string_view path, host::CreateMode mode) {
    if (mode == host::CreateMode::CreateAlways) {
        // Truncating opens what is there: it must be a regular file first.
        if (const std::optional<DWORD> attributes = AttributesOf(path);
            attributes && (*attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
            ThrowFileError(u"Cannot create", path, ERROR_INVALID_NAME, u"not a regular file");
        }
    }
    Handle file = OpenRegular(u"Cannot create", path, GENERIC_WRITE, 0,
                              mode == host::CreateMode::CreateNew ? CREATE_NEW : CREATE_ALWAYS);
    return std::make_unique<FileOutputStream>(std::move(file), std::u16string(path));
}

std::u16string Win32FileSystem::CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return u"C:\\";
    return FromWide(std::wstring_view(buffer.data(), length));
}

std::unique_ptr<host::Directory> Win32FileSystem::OpenDirectory(std::u16string_view path) {
    return Win32Directory::Open(path);
}

std::u16string Win32FileSystem::Canonical(std::u16string_view path) {
    const std::wstring wide = Wide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::u16string(path);
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return std::u16string(path);
    const std::u16string full = FromWide(std::wstring_view(buffer.data(), length));
    // The longest part that exists, as stored; the rest as given.
    const std::size_t root = RootLength(full);
    std::size_t end = full.size();
    for (;;) {
        if (std::optional<std::u16string> stored = StoredPath(full.substr(0, end))) {
            std::u16string_view rest = std::u16string_view(full).substr(end);
            while (!rest.empty() && rest.front() == u'\\') rest.remove_prefix(1);
            if (rest.empty()) return *stored;
            while (!stored->empty() && stored->back() == u'\\') stored->pop_back();
            return *stored + u"\\" + std::u16string(rest);
        }
        if (end <= root) return full;
        const std::size_t separator = full.find_last_of(u'\\', end - 1);
        end = separator == std::u16string::npos || separator < root ? root : separator;
    }
}

std::u16string Win32FileSystem::FileUri(std::u16string_view path) { return u"file://" + std::u16string(path); }

}  // namespace win32
