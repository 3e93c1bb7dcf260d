#include "win32/system/Win32Directory.h"

#include <ctime>

#include "host/HostError.h"

#include "win32/WideText.h"
#include "win32/system/EntryInfo.h"
#include "win32/system/EntryNames.h"
#include "win32/system/FileErrors.h"
#include "win32/system/FileStreams.h"
#include "win32/system/FileTimes.h"
#include "win32/system/TemporaryNames.h"

namespace win32 {

namespace {

// Temporary files older than this are removed whoever wrote them: a process
// id used again by another process must not keep them forever.
constexpr host::FileTime kLeftoverAge = 36ull * 60 * 60 * 10'000'000;
constexpr DWORD kUsualNameMax = 255;
constexpr ACCESS_MASK kDirectoryAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
// Others may read and write in a directory held open, but not move or remove it.
constexpr ULONG kDirectoryShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

bool IsMissing(NTSTATUS status) {
    return status == kStatusObjectNameNotFound || status == kStatusObjectPathNotFound;
}

struct Opened {
    Handle File;
    host::EntryStatus Status;
};

host::EntryKind KindOf(ULONG attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return host::EntryKind::SymbolicLink;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return host::EntryKind::Directory;
    return host::EntryKind::File;
}

// Opens the entry and tells what it is: a reparse point when either the
// handle or the directory's record says so (Wine's handles show the target
// of a link; its directory records show the link).
NTSTATUS OpenEntry(HANDLE directory, std::u16string_view name, ACCESS_MASK access, ULONG options, Opened& opened) {
    RelativeOpen how;
    how.Access = access | FILE_READ_ATTRIBUTES;
    how.Options = options;
    const NTSTATUS status = OpenRelative(directory, Wide(name), how, opened.File);
    if (status < 0) return status;
    opened.Status = StatusOf(opened.File.Get());
    EntryRecord record;
    if (QueryEntry(directory, Wide(name), record) >= 0) {
        if (record.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) opened.Status.Kind = host::EntryKind::SymbolicLink;
        opened.Status.Name = FromWide(record.Name);
    }
    return status;
}


[[noreturn]] void ThrowNotRegular(std::u16string_view action, std::u16string_view path) {
    ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a regular file");
}

void RequireName(std::u16string_view action, std::u16string_view name, std::u16string_view path) {
    if (!IsSingleName(name)) ThrowFileError(action, path, ERROR_INVALID_NAME);
}

bool ProcessIsRunning(DWORD processId) {
    Handle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    // A process that may not be opened is someone else's and running.
    if (!process.Valid()) return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

host::FileTime Now() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FromFiletime(now);
}

// The directory path as it is stored, from its handle: "C:\Data\Mail", a
// share "\\server\share\Mail".
std::u16string FinalPath(HANDLE directory, std::u16string_view fallback) {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(directory, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return std::u16string(fallback);
        if (length < buffer.size()) {
            std::u16string path = FromWide(std::wstring_view(buffer.data(), length));
            if (path.starts_with(u"\\\\?\\UNC\\")) return u"\\" + path.substr(7);
            if (path.starts_with(u"\\\\?\\")) return path.substr(4);
            return path;
        }
        buffer.resize(length + 1);
    }
}

}  // namespace

std::unique_ptr<Win32Directory> Win32Directory::Open(std::u16string_view path) {
    const std::u16string given(path);
    Handle directory(CreateFileW(Wide(path).c_str(), kDirectoryAccess | SYNCHRONIZE, kDirectoryShare, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!directory.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_DIRECTORY) ThrowFileError(u"Cannot open", given,
                                                                                       ERROR_PATH_NOT_FOUND);
        ThrowFileError(u"Cannot open", given, error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(directory.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ThrowFileError(u"Cannot open", given, ERROR_PATH_NOT_FOUND, u"not a directory");
    }
    std::u16string stored = FinalPath(directory.Get(), given);
    return std::make_unique<Win32Directory>(std::move(directory), std::move(stored));
}

Win32Directory::Win32Directory(Handle directory, std::u16string path)
    : directory_(std::make_shared<const Handle>(std::move(directory))), path_(std::move(path)) {
    while (path_.size() > 2 && path_.back() == u'\\') path_.pop_back();
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(directory_->Get(), &info)) volume_ = info.dwVolumeSerialNumber;
}

const std::u16string& Win32Directory::Path() const { return path_; }

host::EntryStatus Win32Directory::Status(std::u16string_view name) {
    if (!IsSingleName(name)) return {};
    EntryRecord record;
    const NTSTATUS status = QueryEntry(directory_->Get(), Wide(name), record);
    if (IsMissing(status) || status == kStatusNoSuchFile) return {};
    if (status < 0) ThrowFileError(u"Cannot examine", EntryPath(path_, name), ErrorOf(status));
    host::EntryStatus entry;
    entry.Kind = KindOf(record.Attributes);
    entry.Name = FromWide(record.Name);
    entry.Size = entry.Kind == host::EntryKind::File ? static_cast<std::uint64_t>(record.Size) : 0;
    entry.LastWriteTime = static_cast<host::FileTime>(record.LastWriteTime);
    entry.Device = volume_;
    entry.FileId = static_cast<std::uint64_t>(record.FileId);
    return entry;
}

std::vector<std::u16string> Win32Directory::List() {
    std::vector<std::wstring> names;
    // A handle of its own, so that listing never shares a scan position.
    Handle listing;
    RelativeOpen how;
    how.Access = FILE_LIST_DIRECTORY;
    how.Options = kDirectoryFile;
    NTSTATUS status = OpenRelative(directory_->Get(), L"", how, listing);
    if (status >= 0) status = ListNames(listing.Get(), names);
    if (status < 0) ThrowFileError(u"Cannot list", path_, ErrorOf(status));
    std::vector<std::u16string> listed;
    listed.reserve(names.size());
    for (const std::wstring& name : names) listed.push_back(FromWide(name));
    return listed;
}

std::unique_ptr<host::Directory> Win32Directory::Child(std::u16string_view name, bool create) {
    const std::u16string path = EntryPath(path_, name);
    RequireName(create ? u"Cannot create" : u"Cannot open", name, path);
    RelativeOpen how;
    how.Access = kDirectoryAccess;
    how.Share = kDirectoryShare;
    how.Disposition = create ? kFileOpenIf : kFileOpen;
    how.Options = kDirectoryFile;
    Handle child;
    const NTSTATUS status = OpenRelative(directory_->Get(), Wide(name), how, child);
    if (IsMissing(status)) ThrowFileError(u"Cannot open", path, ERROR_PATH_NOT_FOUND);
    if (status == kStatusNotADirectory) ThrowFileError(u"Cannot open", path, ERROR_PATH_NOT_FOUND, u"not a directory");
    if (status < 0) ThrowFileError(create ? u"Cannot create" : u"Cannot open", path, ErrorOf(status));
    host::EntryStatus found = StatusOf(child.Get());
    EntryRecord record;
    if (QueryEntry(directory_->Get(), Wide(name), record) >= 0) {
        if (record.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) found.Kind = host::EntryKind::SymbolicLink;
        found.Name = FromWide(record.Name);
    }
    if (IsReparsePoint(found)) ThrowFileError(u"Cannot open", path, ERROR_ACCESS_DENIED, u"it is a symbolic link");
    return std::make_unique<Win32Directory>(std::move(child), EntryPath(path_, found.Name.empty() ? name : found.Name));
}

std::unique_ptr<host::NewFile> Win32Directory::CreateTemporary() { return Win32NewFile::Create(directory_, path_); }

std::unique_ptr<host::InputStream> Win32Directory::OpenRead(std::u16string_view name, host::EntryStatus& status) {
    const std::u16string path = EntryPath(path_, name);
    RequireName(u"Cannot open", name, path);
    Opened entry;
    const NTSTATUS result =
        OpenEntry(directory_->Get(), name, GENERIC_READ, kNonDirectoryFile | kSequentialOnly, entry);
    if (IsMissing(result)) ThrowFileError(u"Cannot open", path, ERROR_FILE_NOT_FOUND);
    if (result == kStatusFileIsADirectory) ThrowNotRegular(u"Cannot open", path);
    if (result < 0) ThrowFileError(u"Cannot open", path, ErrorOf(result));
    if (entry.Status.Kind != host::EntryKind::File) ThrowNotRegular(u"Cannot open", path);
    status = entry.Status;
    return std::make_unique<FileInputStream>(std::move(entry.File), EntryPath(path_, status.Name));
}

bool Win32Directory::Rename(std::u16string_view name, host::Directory& to, std::u16string_view toName, bool replace) {
    const std::u16string path = EntryPath(path_, name);
    auto* const target = dynamic_cast<Win32Directory*>(&to);
    if (target == nullptr) ThrowFileError(u"Cannot move", path, ERROR_NOT_SUPPORTED, u"the destination is elsewhere");
    RequireName(u"Cannot move", name, path);
    const std::u16string toPath = EntryPath(target->path_, toName);
    RequireName(u"Cannot move", toName, toPath);

    Opened source;
    const NTSTATUS opened = OpenEntry(directory_->Get(), name, DELETE | FILE_READ_DATA, kNonDirectoryFile, source);
    if (IsMissing(opened)) ThrowFileError(u"Cannot move", path, ERROR_FILE_NOT_FOUND);
    if (opened == kStatusFileIsADirectory) ThrowNotRegular(u"Cannot move", path);
    if (opened < 0) ThrowFileError(u"Cannot move", path, ErrorOf(opened));
    if (source.Status.Kind != host::EntryKind::File) ThrowNotRegular(u"Cannot move", path);

    const host::EntryStatus existing = target->Status(toName);
    const bool sameEntry = existing.Kind != host::EntryKind::None && existing.Device == source.Status.Device &&
                           existing.FileId == source.Status.FileId;
    if (sameEntry) {
        if (existing.Name == toName) return true;  // nothing to change
        // A new spelling of the file's own name: by way of another name, as
        // some file systems take a rename onto the same file for no change.
        const NTSTATUS away = RenameRelative(source.File.Get(), directory_->Get(), Wide(InterimFileName(NextTemporaryUnique())), false);
        if (away < 0) ThrowFileError(u"Cannot move", path, ErrorOf(away));
    } else if (existing.Kind != host::EntryKind::None) {
        if (!replace || existing.Kind == host::EntryKind::Directory) return false;
    }
    const NTSTATUS renamed = RenameRelative(source.File.Get(), target->directory_->Get(), Wide(toName), replace);
    if (renamed >= 0) return true;
    if (sameEntry) RenameRelative(source.File.Get(), directory_->Get(), Wide(existing.Name), false);
    if (renamed == kStatusObjectNameCollision) return false;
    if (renamed == kStatusNotSameDevice) return CopyAcross(source.File.Get(), path, *target, toName, replace);
    ThrowFileError(u"Cannot move", path, ErrorOf(renamed));
}

bool Win32Directory::CopyAcross(HANDLE source, const std::u16string& sourcePath, Win32Directory& to,
                                std::u16string_view toName, bool replace) {
    FILETIME created{};
    FILETIME accessed{};
    FILETIME written{};
    if (!GetFileTime(source, &created, &accessed, &written)) ThrowFileError(u"Cannot move", sourcePath, GetLastError());
    std::unique_ptr<Win32NewFile> copy = Win32NewFile::Create(to.directory_, to.path_);
    std::vector<char> chunk(kNewFileBufferSize);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            ThrowFileError(u"Cannot move", sourcePath, GetLastError());
        }
        if (got == 0) break;
        copy->Write(chunk.data(), got);
    }
    copy->Finish(true);
    SetFileTime(copy->File(), &created, &accessed, &written);
    if (!copy->Place(toName, replace)) return false;
    // The original is the file held open since the start, never one put in its place meanwhile.
    if (const NTSTATUS status = DeleteOnClose(source); status < 0) {
        ThrowFileError(u"Cannot remove", sourcePath, ErrorOf(status));
    }
    return true;
}

bool Win32Directory::Remove(std::u16string_view name, const host::EntryStatus* expected) {
    if (!IsSingleName(name)) return false;
    const std::u16string path = EntryPath(path_, name);
    Opened entry;
    const NTSTATUS opened = OpenEntry(directory_->Get(), name, DELETE, kNonDirectoryFile, entry);
    if (IsMissing(opened) || opened == kStatusFileIsADirectory) return false;
    if (opened < 0) ThrowFileError(u"Cannot remove", path, ErrorOf(opened));
    if (entry.Status.Kind == host::EntryKind::Directory) return false;
    if (expected != nullptr && (expected->Device != entry.Status.Device || expected->FileId != entry.Status.FileId)) {
        return false;
    }
    if (const NTSTATUS status = DeleteOnClose(entry.File.Get()); status < 0) {
        ThrowFileError(u"Cannot remove", path, ErrorOf(status));
    }
    return true;
}

bool Win32Directory::SetLastWriteTime(std::u16string_view name, host::FileTime time) {
    if (!IsSingleName(name)) return false;
    Opened entry;
    if (OpenEntry(directory_->Get(), name, FILE_WRITE_ATTRIBUTES, kNonDirectoryFile, entry) < 0) return false;
    if (entry.Status.Kind != host::EntryKind::File) return false;
    const FILETIME written = ToFiletime(time);
    return SetFileTime(entry.File.Get(), nullptr, nullptr, &written) != 0;
}

bool Win32Directory::NameFits(std::u16string_view name) {
    if (!IsSingleName(name)) return false;
    DWORD limit = 0;
    if (!GetVolumeInformationByHandleW(directory_->Get(), nullptr, 0, nullptr, &limit, nullptr, nullptr, 0) ||
        limit == 0) {
        limit = kUsualNameMax;
    }
    return name.size() <= limit;
}

void Win32Directory::Sync() {
    // The file system logs its own changes of entries; a flush of the
    // directory asks it to commit that log. Some file systems cannot flush a
    // directory: their entries are as durable as they get.
    Handle flushed;
    RelativeOpen how;
    how.Access = FILE_ADD_FILE;
    how.Options = kDirectoryFile;
    if (OpenRelative(directory_->Get(), L"", how, flushed) < 0) return;
    if (!FlushFileBuffers(flushed.Get())) {
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_PARAMETER) {
            ThrowFileError(u"Cannot flush", path_, error);
        }
    }
}

void Win32Directory::RemoveLeftovers() {
    const host::FileTime now = Now();
    for (const std::u16string& name : List()) {
        const std::optional<DWORD> owner = TemporaryFileOwner(name);
        if (!owner) continue;
        try {
            const host::EntryStatus status = Status(name);
            if (status.Kind != host::EntryKind::File) continue;
            const bool stale = now > status.LastWriteTime && now - status.LastWriteTime > kLeftoverAge;
            if (!stale && (*owner == GetCurrentProcessId() || ProcessIsRunning(*owner))) continue;
            Remove(name, &status);
        } catch (const host::HostError&) {
            // Another run may be tidying up at the same time.
        }
    }
}

}  // namespace win32
