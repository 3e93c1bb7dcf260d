#include "posix/system/DirectoryHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "base/Utf16.h"
#include "posix/system/DirectoryEntries.h"
#include "posix/system/EntryLookup.h"
#include "posix/system/FileStreams.h"
#include "posix/system/FileTimes.h"
#include "posix/system/LeftoverFiles.h"
#include "posix/system/PosixErrors.h"
#include "posix/system/RegularFiles.h"

namespace posix {

namespace {

constexpr long kUsualNameMax = 255;

host::EntryKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return host::EntryKind::File;
    if (S_ISDIR(mode)) return host::EntryKind::Directory;
    if (S_ISLNK(mode)) return host::EntryKind::SymbolicLink;
    return host::EntryKind::Other;
}

host::EntryStatus StatusOf(const std::string& storedName, const struct stat& info) {
    host::EntryStatus status;
    status.Kind = KindOf(info.st_mode);
    status.Name = velmora::FromUtf8(storedName);
    status.Size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    status.LastWriteTime = FileTimeFromTimespec(info.st_mtim);
    status.Device = static_cast<std::uint64_t>(info.st_dev);
    status.FileId = static_cast<std::uint64_t>(info.st_ino);
    return status;
}

bool IsSameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

[[noreturn]] void ThrowNotRegular(std::u16string_view action, std::u16string_view path) {
    ThrowFileError(action, path, ERROR_INVALID_NAME, u"not a regular file");
}

}  // namespace

std::unique_ptr<DirectoryHandle> DirectoryHandle::Open(const std::filesystem::path& nativePath,
                                                       std::u16string windowsPath, RenameAtFunction renameAt) {
    Descriptor directory(open(nativePath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR) {
            ThrowFileError(u"Cannot open", windowsPath, ERROR_PATH_NOT_FOUND, ErrnoText(errno));
        }
        ThrowErrnoFileError(u"Cannot open", windowsPath, errno);
    }
    return std::make_unique<DirectoryHandle>(std::move(directory), std::move(windowsPath), renameAt);
}

DirectoryHandle::DirectoryHandle(Descriptor directory, std::u16string windowsPath, RenameAtFunction renameAt)
    : directory_(std::make_shared<const Descriptor>(std::move(directory))),
      path_(std::move(windowsPath)),
      renameAt_(renameAt) {
    while (path_.size() > 2 && path_.back() == u'\\') path_.pop_back();
}

const std::u16string& DirectoryHandle::Path() const { return path_; }

host::EntryStatus DirectoryHandle::Status(std::u16string_view name) {
    const std::optional<FoundEntry> found = FindEntry(directory_->Get(), name, EntryPath(path_, name));
    if (!found) return {};
    return StatusOf(found->Name, found->Info);
}

std::vector<std::u16string> DirectoryHandle::List() {
    const std::optional<std::vector<std::string>> names = EntryNamesAt(directory_->Get());
    if (!names) ThrowErrnoFileError(u"Cannot list", path_, errno);
    std::vector<std::u16string> listed;
    listed.reserve(names->size());
    for (const std::string& name : *names) listed.push_back(velmora::FromUtf8(name));
    return listed;
}

std::unique_ptr<host::Directory> DirectoryHandle::Child(std::u16string_view name, bool create) {
    const std::u16string path = EntryPath(path_, name);
    const int directory = directory_->Get();
    const std::optional<FoundEntry> found = FindEntry(directory, name, path);
    std::string entry;
    if (found) {
        entry = found->Name;
    } else {
        if (!create) ThrowFileError(u"Cannot open", path, ERROR_PATH_NOT_FOUND, ErrnoText(ENOENT));
        entry = SingleName(name, path);
        // Made by another process meanwhile is as good.
        if (mkdirat(directory, entry.c_str(), 0777) != 0 && errno != EEXIST) {
            ThrowErrnoFileError(u"Cannot create", path, errno);
        }
    }
    Descriptor child(openat(directory, entry.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!child.Valid()) {
        const int error = errno;
        struct stat info {};
        if (fstatat(directory, entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISLNK(info.st_mode)) {
                ThrowFileError(u"Cannot open", path, ERROR_ACCESS_DENIED, u"it is a symbolic link");
            }
            if (!S_ISDIR(info.st_mode)) {
                ThrowFileError(u"Cannot open", path, ERROR_PATH_NOT_FOUND, u"not a directory");
            }
        }
        ThrowErrnoFileError(u"Cannot open", path, error);
    }
    return std::make_unique<DirectoryHandle>(std::move(child), EntryPath(path_, velmora::FromUtf8(entry)), renameAt_);
}

std::unique_ptr<host::NewFile> DirectoryHandle::CreateTemporary() { return CreateTemporaryFile(); }

std::unique_ptr<TemporaryFile> DirectoryHandle::CreateTemporaryFile() {
    return TemporaryFile::Create(directory_, path_, renameAt_);
}

std::unique_ptr<host::InputStream> DirectoryHandle::OpenRead(std::u16string_view name, host::EntryStatus& status) {
    const std::u16string path = EntryPath(path_, name);
    const std::optional<FoundEntry> found = FindEntry(directory_->Get(), name, path);
    if (!found) ThrowFileError(u"Cannot open", path, ERROR_FILE_NOT_FOUND, ErrnoText(ENOENT));
    OpenedFile opened;
    if (int error = OpenRegularAt(directory_->Get(), found->Name.c_str(), O_RDONLY, 0, opened)) {
        if (IsNotRegularFileError(error)) ThrowNotRegular(u"Cannot open", path);
        ThrowErrnoFileError(u"Cannot open", path, error);
    }
    status = StatusOf(found->Name, opened.Info);
    return std::make_unique<FileInputStream>(opened.File.Release(), EntryPath(path_, status.Name));
}

bool DirectoryHandle::Rename(std::u16string_view name, host::Directory& to, std::u16string_view toName, bool replace) {
    const std::u16string path = EntryPath(path_, name);
    auto* const target = dynamic_cast<DirectoryHandle*>(&to);
    if (target == nullptr) ThrowFileError(u"Cannot move", path, ERROR_NOT_SUPPORTED, u"the destination is elsewhere");
    const std::optional<FoundEntry> source = FindEntry(directory_->Get(), name, path);
    if (!source) ThrowFileError(u"Cannot move", path, ERROR_FILE_NOT_FOUND, ErrnoText(ENOENT));
    if (!S_ISREG(source->Info.st_mode)) ThrowNotRegular(u"Cannot move", path);

    const std::u16string toPath = EntryPath(target->path_, toName);
    const std::optional<FoundEntry> existing = FindEntry(target->directory_->Get(), toName, toPath);
    const bool sameEntry = existing && IsSameDirectory(*target) && existing->Name == source->Name;
    std::string toEntry = SingleName(toName, toPath);
    if (sameEntry) {
        if (toEntry == source->Name) return true;  // nothing to change
    } else if (existing) {
        if (!replace || S_ISDIR(existing->Info.st_mode)) return false;
        toEntry = existing->Name;
    }
    const int from = directory_->Get();
    const int into = target->directory_->Get();
    const int renamed = replace && !sameEntry
                            ? renameAt_(from, source->Name.c_str(), into, toEntry.c_str(), 0)
                            : RenameAtWithoutReplacing(renameAt_, from, source->Name.c_str(), into, toEntry.c_str());
    if (renamed == 0) return true;
    if (errno == EEXIST || errno == EISDIR) return false;
    if (errno == EXDEV) return CopyAcross(source->Name, *target, velmora::FromUtf8(toEntry), replace);
    ThrowErrnoFileError(u"Cannot move", path, errno);
}

bool DirectoryHandle::CopyAcross(const std::string& storedName, DirectoryHandle& to, std::u16string_view toName,
                                 bool replace) {
    const std::u16string path = EntryPath(path_, velmora::FromUtf8(storedName));
    OpenedFile opened;
    if (int error = OpenRegularAt(directory_->Get(), storedName.c_str(), O_RDONLY, 0, opened)) {
        if (IsNotRegularFileError(error)) ThrowNotRegular(u"Cannot move", path);
        ThrowErrnoFileError(u"Cannot move", path, error);
    }
    const struct stat original = opened.Info;
    std::unique_ptr<TemporaryFile> copy = to.CreateTemporaryFile();
    {
        FileInputStream input(opened.File.Release(), path);
        std::vector<char> chunk(kNewFileBufferSize);
        while (const std::size_t got = input.Read(chunk.data(), chunk.size())) copy->Write(chunk.data(), got);
    }
    copy->Finish(true);
    copy->CopyAttributes(original);
    if (!copy->Place(toName, replace)) return false;
    to.Sync();  // the copy's name lasts before the original's goes
    struct stat current {};
    if (fstatat(directory_->Get(), storedName.c_str(), &current, AT_SYMLINK_NOFOLLOW) == 0 &&
        IsSameFile(current, original) && unlinkat(directory_->Get(), storedName.c_str(), 0) != 0 && errno != ENOENT) {
        ThrowErrnoFileError(u"Cannot remove", path, errno);
    }
    return true;
}

bool DirectoryHandle::Remove(std::u16string_view name, const host::EntryStatus* expected) {
    const std::u16string path = EntryPath(path_, name);
    const std::optional<FoundEntry> found = FindEntry(directory_->Get(), name, path);
    if (!found || S_ISDIR(found->Info.st_mode)) return false;
    if (expected != nullptr && (expected->Device != static_cast<std::uint64_t>(found->Info.st_dev) ||
                                expected->FileId != static_cast<std::uint64_t>(found->Info.st_ino))) {
        return false;
    }
    if (unlinkat(directory_->Get(), found->Name.c_str(), 0) == 0) return true;
    if (errno == ENOENT) return false;
    ThrowErrnoFileError(u"Cannot remove", path, errno);
}

bool DirectoryHandle::SetLastWriteTime(std::u16string_view name, host::FileTime time) {
    const std::optional<FoundEntry> found = FindEntry(directory_->Get(), name, EntryPath(path_, name));
    if (!found || !S_ISREG(found->Info.st_mode)) return false;
    const timespec times[2] = {{0, UTIME_OMIT}, TimespecFromFileTime(time)};
    return utimensat(directory_->Get(), found->Name.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool DirectoryHandle::NameFits(std::u16string_view name) {
    if (!IsSingleName(name)) return false;
    long limit = fpathconf(directory_->Get(), _PC_NAME_MAX);
    if (limit <= 0) limit = kUsualNameMax;
    return velmora::ToUtf8(name).size() <= static_cast<std::size_t>(limit);
}

void DirectoryHandle::Sync() {
    // Some file systems cannot flush a directory (EINVAL): their entries are as durable as they get.
    if (fsync(directory_->Get()) != 0 && errno != EINVAL) ThrowErrnoFileError(u"Cannot flush", path_, errno);
}

void DirectoryHandle::RemoveLeftovers() { RemoveLeftoverFiles(directory_->Get(), std::time(nullptr)); }

bool DirectoryHandle::IsSameDirectory(const DirectoryHandle& other) const {
    struct stat mine {};
    struct stat theirs {};
    return fstat(directory_->Get(), &mine) == 0 && fstat(other.directory_->Get(), &theirs) == 0 &&
           IsSameFile(mine, theirs);
}

}  // namespace posix
