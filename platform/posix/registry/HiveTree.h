#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"
#include "posix/registry/SqliteConnection.h"

namespace posix {

// The components of a key path: '\' separates them and empty components
// (a leading, trailing or doubled '\') are ignored.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

// Whether the number is one of the value types the registry keeps.
bool IsKnownValueType(std::uint32_t type);

// What a hive file holds: nothing yet (a new file, or one whose first write
// never completed, as SQLite sees a file of 0 bytes), the registry's tables,
// or tables of something else.
enum class HiveContent { Empty, Hive, Foreign };

// Keys and values of one hive file, inside a transaction the caller holds.
// Every key is a row below its parent; the roots a file holds are rows with
// parent 0 named after the root. Names keep their case; lookups go through
// their upper-case form.
class HiveTree {
public:
    using KeyId = std::int64_t;

    explicit HiveTree(SqliteConnection& db) : db_(db) {}

    HiveContent Content();
    // Needs a write transaction; a no-op on a file that has the tables.
    void CreateSchema();

    std::optional<KeyId> FindKey(std::u16string_view root, const std::vector<std::u16string>& components);
    KeyId CreateKey(std::u16string_view root, const std::vector<std::u16string>& components);
    void DeleteKeyTree(KeyId key);

    // Sub-keys sorted by their folded names; values in the order they were created.
    std::vector<std::u16string> SubKeyNames(KeyId key);
    std::vector<std::u16string> ValueNames(KeyId key);

    // A stored value that is not one of the known types reads as missing.
    std::optional<host::RegistryValue> QueryValue(KeyId key, std::u16string_view name);
    void SetValue(KeyId key, std::u16string_view name, const host::RegistryValue& value);
    // False when there was no such value.
    bool DeleteValue(KeyId key, std::u16string_view name);

private:
    std::optional<KeyId> FindChild(KeyId parent, std::u16string_view name);

    SqliteConnection& db_;
};

}  // namespace posix
