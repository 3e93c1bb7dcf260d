#pragma once

#include "host/DynamicLibraries.h"

namespace win32 {

// host::DynamicLibraries over LoadLibraryExW, GetProcAddress and
// FreeLibrary. A library that cannot be loaded gives null without the
// system's error box.
class Win32Libraries final : public host::DynamicLibraries {
public:
    Handle Load(std::u16string_view path) override;
    void* Resolve(Handle library, const char* name) override;
    void Free(Handle library) override;
};

}  // namespace win32
