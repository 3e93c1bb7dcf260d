#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include "posix/system/Descriptor.h"

namespace posix {

struct OpenedFile {
    Descriptor File;
    struct stat Info {};
};

// Opens the entry name of the directory (a descriptor, or AT_FDCWD with a
// path) only when it is a regular file: never through a symbolic link at the
// name, and never blocking on a FIFO or device nor opening one when the
// entry already shows what it is. flags are the access mode with O_CREAT,
// O_EXCL or O_TRUNC as wanted; the descriptor comes back blocking and
// close-on-exec, Info from fstat of it. Returns 0 or the errno of the
// failure: ELOOP for a symbolic link, EISDIR for a directory and ENXIO for
// anything else that is not a regular file.
int OpenRegularAt(int directory, const char* name, int flags, mode_t mode, OpenedFile& opened);

// Whether errno error is what OpenRegularAt reports for an entry that is no regular file.
bool IsNotRegularFileError(int error);

}  // namespace posix
