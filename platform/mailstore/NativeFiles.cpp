#include "mailstore/NativeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/Platform.h"
#include "posix/system/PosixErrors.h"

namespace mailstore {

const posix::WindowsFileSystem* DriveMappedFileSystem() {
    return dynamic_cast<const posix::WindowsFileSystem*>(&host::TheFileSystem());
}

GObjectPtr<GMimeStream> OpenFileStream(std::u16string_view windowsPath) {
    const posix::WindowsFileSystem* files = DriveMappedFileSystem();
    const auto native = files == nullptr ? std::nullopt : files->ToNative(windowsPath);
    if (!native) posix::ThrowFileError(u"Cannot open", windowsPath, ERROR_PATH_NOT_FOUND, u"no mapped drive holds it");
    const int fd = ::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) posix::ThrowErrnoFileError(u"Cannot open", windowsPath, errno, *native);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        posix::ThrowErrnoFileError(u"Cannot open", windowsPath, error, *native);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        posix::ThrowFileError(u"Cannot open", windowsPath, ERROR_INVALID_NAME, u"it is not a regular file");
    }
    // From here the stream owns the descriptor.
    return GObjectPtr<GMimeStream>::Adopt(g_mime_stream_fs_new(fd));
}

}  // namespace mailstore
