#include "win32/system/Win32Libraries.h"

#include <windows.h>

#include "win32/WideText.h"

namespace win32 {

host::DynamicLibraries::Handle Win32Libraries::Load(std::u16string_view path) {
    DWORD previous = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    HMODULE module = LoadLibraryExW(Wide(path).c_str(), nullptr, 0);
    SetThreadErrorMode(previous, nullptr);
    return module;
}

void* Win32Libraries::Resolve(Handle library, const char* name) {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void Win32Libraries::Free(Handle library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace win32
