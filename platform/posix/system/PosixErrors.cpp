#include "posix/system/PosixErrors.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace posix {

namespace {

// Win32 codes beyond those of com/HResult.h.
constexpr LONG kErrorTooManyOpenFiles = 4;
constexpr LONG kErrorNotEnoughMemory = 8;
constexpr LONG kErrorGenFailure = 31;
constexpr LONG kErrorSharingViolation = 32;
constexpr LONG kErrorDirNotEmpty = 145;
constexpr LONG kErrorFileTooLarge = 223;

bool ParentMissing(const std::filesystem::path& nativePath) {
    if (nativePath.empty()) return false;
    struct stat info {};
    return stat(nativePath.parent_path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode);
}

}  // namespace

LONG Win32ErrorFromErrno(int error, const std::filesystem::path& nativePath) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ParentMissing(nativePath) ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case ELOOP:  // a symbolic link where none may be followed
            return ERROR_ACCESS_DENIED;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EFBIG:
            return kErrorFileTooLarge;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EMFILE:
        case ENFILE:
            return kErrorTooManyOpenFiles;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EXDEV:
            return ERROR_NOT_SAME_DEVICE;
        case ENOTEMPTY:
            return kErrorDirNotEmpty;
        case EBUSY:
        case ETXTBSY:
            return kErrorSharingViolation;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        default:
            return kErrorGenFailure;
    }
}

std::u16string ErrnoText(int error) { return velmora::FromUtf8(std::system_category().message(error)); }

void ThrowFileError(std::u16string_view action, std::u16string_view windowsPath, LONG win32Error,
                    std::u16string_view reason) {
    throw host::HostError(HRESULT_FROM_WIN32(win32Error),
                          velmora::Format(u"%s \"%s\": %s", {action, windowsPath, reason}));
}

void ThrowErrnoFileError(std::u16string_view action, std::u16string_view windowsPath, int error,
                         const std::filesystem::path& nativePath) {
    ThrowFileError(action, windowsPath, Win32ErrorFromErrno(error, nativePath), ErrnoText(error));
}

}  // namespace posix
