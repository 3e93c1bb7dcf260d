#pragma once

#include <windows.h>

#include "host/Registry.h"

namespace win32 {

// host::Registry over the Win32 registry (the advapi32 wide calls).
//
// Each root is a key handle: the predefined keys by default; a test gives
// keys of its own. Every write is flushed before it returns. A value of a
// type other than a string, an expandable string or a DWORD is not one the
// core can read: QueryValue throws host::HostError (ERROR_INVALID_DATA)
// naming it rather than calling it missing; so does a key or value that is
// there but may not be read.
class Win32Registry final : public host::Registry {
public:
    struct Roots {
        HKEY ClassesRoot = HKEY_CLASSES_ROOT;
        HKEY CurrentUser = HKEY_CURRENT_USER;
        HKEY LocalMachine = HKEY_LOCAL_MACHINE;
    };

    Win32Registry() = default;
    explicit Win32Registry(Roots roots) : roots_(roots) {}

    bool KeyExists(host::RegistryRoot root, std::u16string_view path) override;
    LONG CreateKey(host::RegistryRoot root, std::u16string_view path) override;
    LONG DeleteKeyTree(host::RegistryRoot root, std::u16string_view path) override;
    std::vector<std::u16string> SubKeyNames(host::RegistryRoot root, std::u16string_view path) override;
    std::vector<std::u16string> ValueNames(host::RegistryRoot root, std::u16string_view path) override;
    std::optional<host::RegistryValue> QueryValue(host::RegistryRoot root, std::u16string_view path,
                                                  std::u16string_view name) override;
    LONG SetValue(host::RegistryRoot root, std::u16string_view path, std::u16string_view name,
                  const host::RegistryValue& value) override;
    LONG DeleteValue(host::RegistryRoot root, std::u16string_view path, std::u16string_view name) override;

private:
    HKEY Handle(host::RegistryRoot root) const;

    Roots roots_;
};

}  // namespace win32
