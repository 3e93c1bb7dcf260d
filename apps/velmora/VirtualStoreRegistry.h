#pragma once

#include <string>
#include <string_view>

#include "host/Registry.h"

namespace velmora::cli {

// Where a program without administrative rights keeps what it meant to write
// below HKEY_LOCAL_MACHINE\SOFTWARE, as Windows does for such programs: the
// same path below this key of the current user.
inline constexpr std::u16string_view kVirtualStoreKey = u"Software\\Classes\\VirtualStore\\MACHINE";

// True for a machine path below SOFTWARE (the part of the machine that has a
// per-user virtual store).
bool IsVirtualized(host::RegistryRoot root, std::u16string_view path);
// The current user's key that stands in for that machine key.
std::u16string VirtualStorePath(std::u16string_view machinePath);

// The registry as a program without administrative rights sees it: reading a
// machine key below SOFTWARE finds the current user's virtual store first and
// the machine's own keys and values after it. Writes go where they are
// addressed; nothing is redirected.
class VirtualStoreRegistry final : public host::Registry {
public:
    explicit VirtualStoreRegistry(host::Registry& base) : base_(base) {}

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
    host::Registry& base_;
};

}  // namespace velmora::cli
