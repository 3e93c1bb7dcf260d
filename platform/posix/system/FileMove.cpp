#include "posix/system/FileMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "posix/system/Descriptor.h"
#include "posix/system/RegularFiles.h"

namespace posix {

namespace {

constexpr std::size_t kCopyBufferSize = 64 * 1024;

int CopyContents(int from, int to) {
    std::vector<char> buffer(kCopyBufferSize);
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) return 0;
        if (int error = WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) return error;
    }
}

// Makes the new directory entry durable; file systems that cannot sync a directory are left as they are.
void SyncDirectoryOf(const std::filesystem::path& path) {
    Descriptor directory(open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid()) fsync(directory.Get());
}

// Copies into the already created to; 0 or errno.
int FillCopy(int source, const struct stat& sourceInfo, Descriptor& target) {
    if (int error = CopyContents(source, target.Get())) return error;
    const timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    if (futimens(target.Get(), times) != 0) return errno;
    if (fsync(target.Get()) != 0) return errno;
    return target.Close();
}

}  // namespace

int RenameAtWithoutReplacing(RenameAtFunction renameAt, int fromDirectory, const char* from, int toDirectory,
                             const char* to) {
    if (renameAt(fromDirectory, from, toDirectory, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // The file system does not know RENAME_NOREPLACE: a hard link claims the name atomically.
    if (linkat(fromDirectory, from, toDirectory, to, 0) == 0) return unlinkat(fromDirectory, from, 0);
    if (errno == EEXIST || errno == ENOENT || errno == EXDEV || errno == ENAMETOOLONG) return -1;
    // Neither is possible here (a directory, or no hard links): a check before renaming has to do.
    struct stat info {};
    if (fstatat(toDirectory, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return renameAt(fromDirectory, from, toDirectory, to, 0);
}

int RenameWithoutReplacing(const char* from, const char* to) {
    return RenameAtWithoutReplacing(renameat2, AT_FDCWD, from, AT_FDCWD, to);
}

int CopyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to) {
    OpenedFile source;
    if (int error = OpenRegularAt(AT_FDCWD, from.c_str(), O_RDONLY, 0, source)) {
        return IsNotRegularFileError(error) ? EXDEV : error;  // only files are copied across file systems
    }
    const struct stat& sourceInfo = source.Info;

    Descriptor target(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, sourceInfo.st_mode & 07777));
    if (!target.Valid()) return errno;
    int error = FillCopy(source.File.Get(), sourceInfo, target);
    if (error == 0) {
        SyncDirectoryOf(to);
        if (unlink(from.c_str()) != 0) error = errno;
    }
    if (error != 0) {
        if (target.Valid()) target.Close();
        unlink(to.c_str());
    }
    return error;
}

int MoveNativeFile(const std::filesystem::path& from, const std::filesystem::path& to, RenameFunction rename) {
    if (rename(from.c_str(), to.c_str()) == 0) return 0;
    if (errno != EXDEV) return errno;
    return CopyThenRemove(from, to);
}

}  // namespace posix
