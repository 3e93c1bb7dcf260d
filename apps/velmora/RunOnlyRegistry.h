#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/Registry.h"

namespace velmora::cli {

// The registry seen through changes that last only as long as this object:
// reads find what was written here first and the base registry after it;
// writes (created keys, set and deleted values) stay here and never reach the
// base. A run with options given on the command line uses it so that the
// engine's settings take those options without storing them. Deleting a key
// tree is refused (ERROR_ACCESS_DENIED): nothing this program runs deletes
// keys, and hiding a whole stored tree is more than a run needs.
class RunOnlyRegistry final : public host::Registry {
public:
    explicit RunOnlyRegistry(host::Registry& base) : base_(base) {}

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
    // A key by its root and its path's names upper-cased and joined by '\'.
    using KeyId = std::tuple<host::RegistryRoot, std::u16string>;
    struct Change {
        std::u16string name;                      // as spelt by the writer
        std::optional<host::RegistryValue> value;  // none: deleted
    };
    struct CreatedKey {
        std::u16string name;  // the last component, as spelt by the creator
    };

    host::Registry& base_;
    std::map<KeyId, CreatedKey> createdKeys_;
    // Per key, per upper-cased value name.
    std::map<KeyId, std::map<std::u16string, Change>> changes_;
};

}  // namespace velmora::cli
