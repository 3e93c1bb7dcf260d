#pragma once

#include "host/DynamicLibraries.h"
#include "posix/system/DriveMap.h"

namespace posix {

// host::DynamicLibraries over dlopen (RTLD_NOW | RTLD_LOCAL), dlsym and
// dlclose. A path in Windows form ("X:\...") is placed through the drive map,
// its names matched without regard to letter case as the file system does;
// any other path (a native path, or a bare name such as "Mapi32.dll", which
// the loader searches for) goes to dlopen as it is. Failures give null.
class PosixLibraries : public host::DynamicLibraries {
public:
    explicit PosixLibraries(DriveMap drives);

    Handle Load(std::u16string_view path) override;
    void* Resolve(Handle library, const char* name) override;
    void Free(Handle library) override;

private:
    DriveMap drives_;
};

}  // namespace posix
