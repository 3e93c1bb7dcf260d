#include "posix/system/RegularFiles.h"

#include <fcntl.h>

#include <cerrno>

namespace posix {

namespace {

int NotRegularError(mode_t mode) {
    if (S_ISLNK(mode)) return ELOOP;
    if (S_ISDIR(mode)) return EISDIR;
    return ENXIO;
}

}  // namespace

int OpenRegularAt(int directory, const char* name, int flags, mode_t mode, OpenedFile& opened) {
    // Looking first keeps devices closed: opening one can have effects of its own.
    if ((flags & O_EXCL) == 0) {
        struct stat entry {};
        if (fstatat(directory, name, &entry, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(entry.st_mode)) {
            return NotRegularError(entry.st_mode);
        }
    }
    Descriptor file(openat(directory, name, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode));
    if (!file.Valid()) return errno;
    struct stat info {};
    if (fstat(file.Get(), &info) != 0) return errno;
    // Swapped in between the look and the open.
    if (!S_ISREG(info.st_mode)) return NotRegularError(info.st_mode);
    const int status = fcntl(file.Get(), F_GETFL);
    if (status < 0 || fcntl(file.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) return errno;
    opened.File = std::move(file);
    opened.Info = info;
    return 0;
}

bool IsNotRegularFileError(int error) { return error == ELOOP || error == EISDIR || error == ENXIO; }

}  // namespace posix
