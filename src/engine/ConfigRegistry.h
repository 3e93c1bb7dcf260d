#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/Registry.h"

namespace velmora {

// The settings store's view of the registry: one root, one current key, and
// the value operations the store needs. Every call goes to
// host::TheRegistry(). Until a key is open, no value exists and every write
// fails. A registry that cannot be read (host::HostError) fails every call
// with EConfigClass and the registry's message: settings that cannot be read
// must not pass for settings never stored.
class TConfigRegistry {
public:
    explicit TConfigRegistry(host::RegistryRoot root) : root_(root) {}

    // Makes the key at path (from the root; a leading '\' is allowed) the
    // current one. With canCreate a missing key is created; a key that
    // exists but cannot be created (a hive the user may not write) is still
    // opened, for reading. False leaves the current key as it was.
    bool OpenKey(std::u16string_view path, bool canCreate);

    bool ValueExists(std::u16string_view name) const;
    // EConfigClass "Invalid data type for '%s'" when the value is missing or no DWORD.
    std::int32_t ReadInteger(std::u16string_view name) const;
    // REG_SZ or REG_EXPAND_SZ, taken as stored (nothing expanded); a missing
    // value reads as empty; any other type fails as ReadInteger does.
    std::u16string ReadString(std::u16string_view name) const;
    // EConfigClass "Failed to set data for '%s'" when the write fails.
    void WriteInteger(std::u16string_view name, std::int32_t value);
    void WriteString(std::u16string_view name, std::u16string_view text);
    // True when the value is gone afterwards, also when there was none.
    bool DeleteValue(std::u16string_view name);

private:
    std::optional<host::RegistryValue> Query(std::u16string_view name) const;
    void Write(std::u16string_view name, const host::RegistryValue& value);

    host::RegistryRoot root_;
    std::optional<std::u16string> currentKey_;
};

}  // namespace velmora
