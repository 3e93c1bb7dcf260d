#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "com/HResult.h"

namespace posix {

// The Win32 error code a Windows file function reports where a system call
// failed with errno error. ENOENT becomes ERROR_PATH_NOT_FOUND when the
// directory that should hold nativePath is missing too, as on Windows.
LONG Win32ErrorFromErrno(int error, const std::filesystem::path& nativePath = {});

// The system's text for errno error, as UTF-16.
std::u16string ErrnoText(int error);

// Throws host::HostError with HRESULT_FROM_WIN32 of the code and the message
// "<action> "<windowsPath>": <reason>".
[[noreturn]] void ThrowFileError(std::u16string_view action, std::u16string_view windowsPath, LONG win32Error,
                                 std::u16string_view reason);
[[noreturn]] void ThrowErrnoFileError(std::u16string_view action, std::u16string_view windowsPath, int error,
                                      const std::filesystem::path& nativePath = {});

}  // namespace posix
