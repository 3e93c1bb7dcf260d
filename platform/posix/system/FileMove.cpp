#include "posix/system/FileMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace posix {

namespace {

constexpr std::size_t kCopyBufferSize = 64 * 1024;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // 0 or the errno of close.
    int Close() {
        const int result = close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

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

int RenameWithoutReplacing(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // The file system does not know RENAME_NOREPLACE: a hard link claims the name atomically.
    if (link(from, to) == 0) return unlink(from);
    if (errno == EEXIST || errno == ENOENT || errno == EXDEV) return -1;
    // Neither is possible here (a directory, or no hard links): a check before renaming has to do.
    struct stat info {};
    if (lstat(to, &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from, to);
}

int CopyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to) {
    Descriptor source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.Valid()) return errno;
    struct stat sourceInfo {};
    if (fstat(source.Get(), &sourceInfo) != 0) return errno;
    if (!S_ISREG(sourceInfo.st_mode)) return EXDEV;  // only files are copied across file systems

    Descriptor target(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, sourceInfo.st_mode & 07777));
    if (!target.Valid()) return errno;
    int error = FillCopy(source.Get(), sourceInfo, target);
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
