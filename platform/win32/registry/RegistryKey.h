#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

// One open registry key, closed when it goes.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey& operator=(RegistryKey&&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }

    // The key at path below parent (a leading '\' is ignored; an empty path
    // is the parent itself, opened anew). Returns the Win32 result.
    LONG Open(HKEY parent, std::u16string_view path, REGSAM access);
    LONG Create(HKEY parent, std::u16string_view path, REGSAM access);

    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The path without its leading separators, as the registry calls take it.
std::wstring RelativeKeyPath(std::u16string_view path);

}  // namespace win32
