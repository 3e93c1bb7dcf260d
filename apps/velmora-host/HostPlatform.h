#pragma once

#include <optional>
#include <string>

#include "host/Platform.h"
#include "posix/registry/HiveFiles.h"
#include "posix/registry/SqliteRegistry.h"
#include "posix/system/DriveMap.h"
#include "posix/system/PosixLibraries.h"
#include "posix/system/PosixSystem.h"
#include "posix/system/WindowsFileSystem.h"

namespace velmora::desktop {

// The drive map as VELMORA_DRIVES spells it ("C=/srv/c;D=/mnt/d"); none
// when a directory's name holds a character that the spelling cannot carry.
std::optional<std::string> DrivesSetting(const posix::DriveMap& drives);

// The Linux platform as the desktop host installs it for its lifetime: the
// registry hives of the environment, the drives of the environment plus the
// whole native file system (as velmora maps it), the system services and the
// library loader. The add-in library installs a platform of its own from the
// environment, so the drives are written back into VELMORA_DRIVES first:
// both then see one path of a file alike. Throws velmora::Exception when
// that cannot be done.
class HostPlatform {
public:
    HostPlatform();
    HostPlatform(const HostPlatform&) = delete;
    HostPlatform& operator=(const HostPlatform&) = delete;

    const posix::WindowsFileSystem& Files() const { return files_; }
    const posix::HiveFiles& Hives() const { return hives_; }

private:
    posix::HiveFiles hives_;
    posix::SqliteRegistry registry_;
    posix::WindowsFileSystem files_;
    posix::PosixSystem system_;
    posix::PosixLibraries libraries_;
    host::PlatformScope scope_;
};

}  // namespace velmora::desktop
