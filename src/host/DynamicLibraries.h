#pragma once

#include <string_view>

namespace host {

// Loading a shared library by path and resolving its entry points.
class DynamicLibraries {
public:
    using Handle = void*;

    virtual ~DynamicLibraries() = default;

    // Null when the library cannot be loaded; no error box is shown.
    virtual Handle Load(std::u16string_view path) = 0;
    virtual void* Resolve(Handle library, const char* name) = 0;
    virtual void Free(Handle library) = 0;
};

}  // namespace host
