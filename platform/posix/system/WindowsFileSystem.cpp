#include "posix/system/WindowsFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/Utf16.h"
#include "posix/system/CanonicalPath.h"
#include "posix/system/CaseResolver.h"
#include "posix/system/DirectoryHandle.h"
#include "posix/system/FileStreams.h"
#include "posix/system/FileTimes.h"
#include "posix/system/FileUri.h"
#include "posix/system/PosixErrors.h"
#include "posix/system/RegularFiles.h"
#include "posix/system/WindowsPath.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

std::optional<struct stat> StatOf(const fs::path& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return info;
}

bool IsDirectory(const fs::path& path) {
    const std::optional<struct stat> info = StatOf(path);
    return info && S_ISDIR(info->st_mode);
}

bool IsDriveRoot(std::u16string_view path) {
    const std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    return parsed && parsed->Components.empty();
}

// Where a move to `to` should land: its own spelling when it names the source
// itself in another letter case, so that such a rename is possible.
fs::path MoveTarget(const fs::path& from, const fs::path& to, std::u16string_view toPath) {
    if (from != to) return to;
    const std::optional<WindowsPath> parsed = ParseWindowsPath(toPath);
    if (!parsed || parsed->Components.empty()) return to;
    return to.parent_path() / velmora::ToUtf8(parsed->Components.back());
}

// A directory keeps the code it always had; any other entry that is no
// regular file (a symbolic link at the name, a device, FIFO or socket) is
// refused as no file name at all.
[[noreturn]] void ThrowOpenError(std::u16string_view action, std::u16string_view path, int error,
                                 const fs::path& native) {
    if (error != EISDIR && IsNotRegularFileError(error)) {
        ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a regular file");
    }
    ThrowErrnoFileError(action, path, error, native);
}

}  // namespace

WindowsFileSystem::WindowsFileSystem(DriveMap drives, RenameFunction rename)
    : drives_(std::move(drives)), rename_(rename) {}

std::optional<host::FileEntry> WindowsFileSystem::Find(std::u16string_view path) {
    if (IsDriveRoot(path)) return std::nullopt;
    const std::optional<fs::path> native = ToNative(path);
    if (!native) return std::nullopt;
    const std::optional<struct stat> info = StatOf(*native);
    if (!info) return std::nullopt;
    host::FileEntry entry;
    entry.Name = velmora::FromUtf8(native->filename().native());
    entry.IsDirectory = S_ISDIR(info->st_mode);
    entry.Size = entry.IsDirectory ? 0 : static_cast<std::uint64_t>(info->st_size);
    entry.LastWriteTime = FileTimeFromTimespec(info->st_mtim);
    return entry;
}

bool WindowsFileSystem::FileExists(std::u16string_view path) {
    const std::optional<fs::path> native = ToNative(path);
    if (!native) return false;
    const std::optional<struct stat> info = StatOf(*native);
    return info && !S_ISDIR(info->st_mode);
}

bool WindowsFileSystem::DirectoryExists(std::u16string_view path) {
    const std::optional<fs::path> native = ToNative(path);
    return native && IsDirectory(*native);
}

bool WindowsFileSystem::MakeDirectory(std::u16string_view path) {
    const std::optional<fs::path> native = ToNative(path);
    return native && mkdir(native->c_str(), 0777) == 0;
}

bool WindowsFileSystem::SetLastWriteTime(std::u16string_view path, host::FileTime time) {
    const std::optional<fs::path> native = ToNative(path);
    if (!native) return false;
    OpenedFile opened;
    if (OpenRegularAt(AT_FDCWD, native->c_str(), O_WRONLY, 0, opened) != 0) return false;
    const timespec times[2] = {{0, UTIME_OMIT}, TimespecFromFileTime(time)};
    return futimens(opened.File.Get(), times) == 0;
}

bool WindowsFileSystem::Move(std::u16string_view from, std::u16string_view to) {
    const std::optional<fs::path> source = ToNative(from);
    const std::optional<fs::path> target = ToNative(to);
    if (!source || !target) return false;
    const fs::path landing = MoveTarget(*source, *target, to);
    if (landing == *source) return false;
    return MoveNativeFile(*source, landing, rename_) == 0;
}

bool WindowsFileSystem::Remove(std::u16string_view path) {
    const std::optional<fs::path> native = ToNative(path);
    if (!native) return false;
    struct stat info {};
    if (lstat(native->c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    return unlink(native->c_str()) == 0;
}

std::unique_ptr<host::InputStream> WindowsFileSystem::OpenRead(std::u16string_view path) {
    const fs::path native = NativeOrThrow(u"Cannot open", path);
    OpenedFile opened;
    if (int error = OpenRegularAt(AT_FDCWD, native.c_str(), O_RDONLY, 0, opened)) {
        ThrowOpenError(u"Cannot open", path, error, native);
    }
    return std::make_unique<FileInputStream>(opened.File.Release(), std::u16string(path));
}

std::unique_ptr<host::OutputStream> WindowsFileSystem::Create(std::u16string_view path, host::CreateMode mode) {
    const fs::path native = NativeOrThrow(u"Cannot create", path);
    const int flags = O_WRONLY | O_CREAT | (mode == host::CreateMode::CreateNew ? O_EXCL : O_TRUNC);
    OpenedFile opened;
    if (int error = OpenRegularAt(AT_FDCWD, native.c_str(), flags, 0666, opened)) {
        ThrowOpenError(u"Cannot create", path, error, native);
    }
    return std::make_unique<FileOutputStream>(opened.File.Release(), std::u16string(path));
}

std::u16string WindowsFileSystem::CurrentDirectory() {
    std::error_code error;
    const fs::path current = fs::current_path(error);
    if (!error) {
        if (std::optional<std::u16string> windows = FromNative(current)) return *windows;
    }
    return u"C:\\";
}

std::unique_ptr<host::Directory> WindowsFileSystem::OpenDirectory(std::u16string_view path) {
    const fs::path native = NativeOrThrow(u"Cannot open", path);
    std::u16string windowsPath = FromNative(native).value_or(std::u16string(path));
    return DirectoryHandle::Open(native, std::move(windowsPath));
}

std::u16string WindowsFileSystem::Canonical(std::u16string_view path) { return CanonicalWindowsPath(drives_, path); }

std::u16string WindowsFileSystem::FileUri(std::u16string_view path) { return FileUriOf(drives_, path); }

std::optional<fs::path> WindowsFileSystem::ToNative(std::u16string_view path) const {
    return ResolveWindowsPath(drives_, path);
}

std::optional<std::u16string> WindowsFileSystem::FromNative(const fs::path& nativePath) const {
    return drives_.FromNative(nativePath);
}

fs::path WindowsFileSystem::NativeOrThrow(std::u16string_view action, std::u16string_view path) const {
    const std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a valid absolute path");
    if (!drives_.Root(parsed->Drive)) ThrowFileError(action, path, ERROR_PATH_NOT_FOUND, u"no such drive");
    return ResolveNames(*drives_.Root(parsed->Drive), parsed->Components);
}

}  // namespace posix
