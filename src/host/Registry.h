#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/HResult.h"

namespace host {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// The value types in use, numbered as the registry numbers them.
enum class RegistryValueType : std::uint32_t { String = 1, ExpandString = 2, Dword = 4 };

struct RegistryValue {
    RegistryValueType Type = RegistryValueType::String;
    std::u16string Text;    // String and ExpandString
    std::uint32_t Dword = 0;  // Dword

    static RegistryValue OfString(std::u16string text) { return {RegistryValueType::String, std::move(text), 0}; }
    static RegistryValue OfDword(std::uint32_t value) { return {RegistryValueType::Dword, {}, value}; }
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A hierarchical store of keys and typed values, as the Windows registry.
// Key paths are relative to a root, components separated by '\' (a leading
// '\' is ignored); key and value names compare case-insensitively and keep
// the case they were created with; the empty value name is the key's
// default value. Results are Win32 error codes: ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND for a missing key or value, ERROR_ACCESS_DENIED for
// a hive that cannot be written. Reads answer "missing" only for what is
// missing: a store that cannot be read throws HostError with a message that
// names it.
class Registry {
public:
    virtual ~Registry() = default;

    virtual bool KeyExists(RegistryRoot root, std::u16string_view path) = 0;
    // Creates the key with its missing parents; an existing key is success.
    virtual LONG CreateKey(RegistryRoot root, std::u16string_view path) = 0;
    // Deletes the key with everything below it.
    virtual LONG DeleteKeyTree(RegistryRoot root, std::u16string_view path) = 0;
    virtual std::vector<std::u16string> SubKeyNames(RegistryRoot root, std::u16string_view path) = 0;
    virtual std::vector<std::u16string> ValueNames(RegistryRoot root, std::u16string_view path) = 0;
    virtual std::optional<RegistryValue> QueryValue(RegistryRoot root, std::u16string_view path,
                                                    std::u16string_view name) = 0;
    // The key must exist. Each write is atomic and durable.
    virtual LONG SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                          const RegistryValue& value) = 0;
    virtual LONG DeleteValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) = 0;
};

}  // namespace host
