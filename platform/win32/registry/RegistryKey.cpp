#include "win32/registry/RegistryKey.h"

#include "win32/WideText.h"

namespace win32 {

std::wstring RelativeKeyPath(std::u16string_view path) {
    while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    return Wide(path);
}

LONG RegistryKey::Open(HKEY parent, std::u16string_view path, REGSAM access) {
    return RegOpenKeyExW(parent, RelativeKeyPath(path).c_str(), 0, access, &key_);
}

LONG RegistryKey::Create(HKEY parent, std::u16string_view path, REGSAM access) {
    return RegCreateKeyExW(parent, RelativeKeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, &key_, nullptr);
}

}  // namespace win32
