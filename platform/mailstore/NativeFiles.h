#pragma once

#include "mailstore/Gmime.h"

#include <string_view>

#include "mailstore/GObjectPtr.h"
#include "posix/system/WindowsFileSystem.h"

// Files named by Windows paths, as the installed file system maps them onto
// the native file system.
namespace mailstore {

// The installed file system when it maps drives onto native directories.
const posix::WindowsFileSystem* DriveMappedFileSystem();

// A GMime stream reading the regular file at the Windows path, for content
// that is read only when the message is written: the file stays open, and
// so the file read, as long as the stream lives. The last component is never
// followed as a symbolic link; a device, FIFO or directory is refused without
// blocking. Failures throw host::HostError.
GObjectPtr<GMimeStream> OpenFileStream(std::u16string_view windowsPath);

}  // namespace mailstore
