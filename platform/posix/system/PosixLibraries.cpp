#include "posix/system/PosixLibraries.h"

#include <dlfcn.h>

#include "base/Utf16.h"
#include "posix/system/CaseResolver.h"

namespace posix {

namespace {

bool HasDriveLetter(std::u16string_view path) { return path.size() >= 2 && path[1] == u':'; }

}  // namespace

PosixLibraries::PosixLibraries(DriveMap drives) : drives_(std::move(drives)) {}

PosixLibraries::Handle PosixLibraries::Load(std::u16string_view path) {
    if (path.empty()) return nullptr;
    std::string native;
    if (HasDriveLetter(path)) {
        const std::optional<std::filesystem::path> resolved = ResolveWindowsPath(drives_, path);
        if (!resolved) return nullptr;
        native = resolved->native();
    } else {
        native = velmora::ToUtf8(path);
    }
    Handle library = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) dlerror();  // the error text is not needed; clear it
    return library;
}

void* PosixLibraries::Resolve(Handle library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    void* entry = dlsym(library, name);
    if (entry == nullptr) dlerror();
    return entry;
}

void PosixLibraries::Free(Handle library) {
    if (library != nullptr) dlclose(library);
}

}  // namespace posix
