#include "posix/registry/HiveTree.h"

#include <algorithm>
#include <limits>
#include <utility>

#include <sqlite3.h>

#include "base/Utf16.h"

namespace posix {

namespace {

constexpr HiveTree::KeyId kNoParent = 0;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS reg_keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE(parent, folded));
CREATE TABLE IF NOT EXISTS reg_values(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data NOT NULL,
    UNIQUE(key, folded));
)sql";

// The key and all its descendants, however deep.
constexpr std::string_view kKeyTree =
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
    "SELECT reg_keys.id FROM reg_keys JOIN tree ON reg_keys.parent = tree.id) ";

}  // namespace

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
    std::vector<std::u16string> components;
    while (!path.empty()) {
        auto separator = path.find(u'\\');
        auto component = path.substr(0, separator);
        if (!component.empty()) components.emplace_back(component);
        if (separator == std::u16string_view::npos) break;
        path.remove_prefix(separator + 1);
    }
    return components;
}

bool IsKnownValueType(std::uint32_t type) {
    using host::RegistryValueType;
    return type == static_cast<std::uint32_t>(RegistryValueType::String) ||
           type == static_cast<std::uint32_t>(RegistryValueType::ExpandString) ||
           type == static_cast<std::uint32_t>(RegistryValueType::Dword);
}

HiveContent HiveTree::Content() {
    auto statement = db_.Prepare(
        "SELECT count(*), sum(type = 'table' AND name IN ('reg_keys', 'reg_values')) FROM sqlite_master");
    statement.Step();
    if (statement.Integer(0) == 0) return HiveContent::Empty;
    return statement.Integer(1) == 2 ? HiveContent::Hive : HiveContent::Foreign;
}

void HiveTree::CreateSchema() { db_.Execute(kSchema); }

std::optional<HiveTree::KeyId> HiveTree::FindChild(KeyId parent, std::u16string_view name) {
    auto statement = db_.Prepare("SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
    statement.Bind(1, parent).Bind(2, velmora::UpperCase(name));
    if (!statement.Step()) return std::nullopt;
    return statement.Integer(0);
}

std::optional<HiveTree::KeyId> HiveTree::FindKey(std::u16string_view root,
                                                 const std::vector<std::u16string>& components) {
    auto key = FindChild(kNoParent, root);
    for (auto component = components.begin(); key && component != components.end(); ++component) {
        key = FindChild(*key, *component);
    }
    return key;
}

HiveTree::KeyId HiveTree::CreateKey(std::u16string_view root, const std::vector<std::u16string>& components) {
    auto insert = db_.Prepare("INSERT INTO reg_keys(parent, name, folded) VALUES(?1, ?2, ?3)");
    auto findOrInsert = [&](KeyId parent, std::u16string_view name) {
        if (auto existing = FindChild(parent, name)) return *existing;
        insert.Reset();
        insert.Bind(1, parent).Bind(2, name).Bind(3, velmora::UpperCase(name)).Step();
        return db_.LastInsertId();
    };
    KeyId key = findOrInsert(kNoParent, root);
    for (const auto& component : components) key = findOrInsert(key, component);
    return key;
}

void HiveTree::DeleteKeyTree(KeyId key) {
    db_.Prepare(std::string(kKeyTree) + "DELETE FROM reg_values WHERE key IN tree").Bind(1, key).Step();
    db_.Prepare(std::string(kKeyTree) + "DELETE FROM reg_keys WHERE id IN tree").Bind(1, key).Step();
}

std::vector<std::u16string> HiveTree::SubKeyNames(KeyId key) {
    std::vector<std::pair<std::u16string, std::u16string>> keys;
    auto statement = db_.Prepare("SELECT folded, name FROM reg_keys WHERE parent = ?1");
    statement.Bind(1, key);
    while (statement.Step()) keys.emplace_back(statement.Text(0), statement.Text(1));
    // Sorted here: SQLite would compare the UTF-16 bytes, not the characters.
    std::sort(keys.begin(), keys.end());
    std::vector<std::u16string> names;
    for (auto& entry : keys) names.push_back(std::move(entry.second));
    return names;
}

std::vector<std::u16string> HiveTree::ValueNames(KeyId key) {
    std::vector<std::u16string> names;
    auto statement = db_.Prepare("SELECT name FROM reg_values WHERE key = ?1 ORDER BY id");
    statement.Bind(1, key);
    while (statement.Step()) names.push_back(statement.Text(0));
    return names;
}

std::optional<host::RegistryValue> HiveTree::QueryValue(KeyId key, std::u16string_view name) {
    auto statement = db_.Prepare("SELECT type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
    statement.Bind(1, key).Bind(2, velmora::UpperCase(name));
    if (!statement.Step()) return std::nullopt;
    auto type = statement.Integer(0);
    if (type < 0 || type > std::numeric_limits<std::uint32_t>::max() ||
        !IsKnownValueType(static_cast<std::uint32_t>(type))) {
        return std::nullopt;
    }
    host::RegistryValue value;
    value.Type = static_cast<host::RegistryValueType>(type);
    if (value.Type == host::RegistryValueType::Dword) {
        auto number = statement.Integer(1);
        if (statement.ColumnType(1) != SQLITE_INTEGER || number < 0 ||
            number > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
        value.Dword = static_cast<std::uint32_t>(number);
    } else {
        if (statement.ColumnType(1) != SQLITE_TEXT) return std::nullopt;
        value.Text = statement.Text(1);
    }
    return value;
}

void HiveTree::SetValue(KeyId key, std::u16string_view name, const host::RegistryValue& value) {
    // An existing value keeps the name it was created with.
    auto statement = db_.Prepare(
        "INSERT INTO reg_values(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    statement.Bind(1, key).Bind(2, name).Bind(3, velmora::UpperCase(name));
    statement.Bind(4, static_cast<std::int64_t>(value.Type));
    if (value.Type == host::RegistryValueType::Dword) {
        statement.Bind(5, static_cast<std::int64_t>(value.Dword));
    } else {
        statement.Bind(5, value.Text);
    }
    statement.Step();
}

bool HiveTree::DeleteValue(KeyId key, std::u16string_view name) {
    db_.Prepare("DELETE FROM reg_values WHERE key = ?1 AND folded = ?2")
        .Bind(1, key)
        .Bind(2, velmora::UpperCase(name))
        .Step();
    return db_.Changes() > 0;
}

}  // namespace posix
