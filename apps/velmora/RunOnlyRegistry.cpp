#include "velmora/RunOnlyRegistry.h"

#include "base/Utf16.h"

namespace velmora::cli {

namespace {

using host::RegistryRoot;

// The names of a key path, without empty ones (a leading '\' is ignored).
std::vector<std::u16string_view> NamesOf(std::u16string_view path) {
    std::vector<std::u16string_view> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::u16string Joined(const std::vector<std::u16string_view>& names, std::size_t count) {
    std::u16string joined;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) joined += u'\\';
        joined += UpperCase(names[i]);
    }
    return joined;
}

std::u16string NormalPath(std::u16string_view path) {
    const auto names = NamesOf(path);
    return Joined(names, names.size());
}

void AddName(std::vector<std::u16string>& names, const std::u16string& name) {
    for (const auto& existing : names) {
        if (SameText(existing, name)) return;
    }
    names.push_back(name);
}

}  // namespace

bool RunOnlyRegistry::KeyExists(RegistryRoot root, std::u16string_view path) {
    return createdKeys_.contains({root, NormalPath(path)}) || base_.KeyExists(root, path);
}

LONG RunOnlyRegistry::CreateKey(RegistryRoot root, std::u16string_view path) {
    const auto names = NamesOf(path);
    for (std::size_t count = 1; count <= names.size(); ++count) {
        const std::u16string prefix = Joined(names, count);
        if (!KeyExists(root, prefix)) createdKeys_[{root, prefix}] = {std::u16string(names[count - 1])};
    }
    return ERROR_SUCCESS;
}

LONG RunOnlyRegistry::DeleteKeyTree(RegistryRoot, std::u16string_view) { return ERROR_ACCESS_DENIED; }

std::vector<std::u16string> RunOnlyRegistry::SubKeyNames(RegistryRoot root, std::u16string_view path) {
    std::vector<std::u16string> names = base_.SubKeyNames(root, path);
    const std::u16string parent = NormalPath(path);
    for (const auto& [id, key] : createdKeys_) {
        const auto& [keyRoot, keyPath] = id;
        const std::size_t split = keyPath.rfind(u'\\');
        const std::u16string keyParent = split == std::u16string::npos ? u"" : keyPath.substr(0, split);
        if (keyRoot == root && keyParent == parent) AddName(names, key.name);
    }
    return names;
}

std::vector<std::u16string> RunOnlyRegistry::ValueNames(RegistryRoot root, std::u16string_view path) {
    const auto changed = changes_.find({root, NormalPath(path)});
    std::vector<std::u16string> names;
    for (const auto& name : base_.ValueNames(root, path)) {
        const bool deleted = changed != changes_.end() && changed->second.contains(UpperCase(name)) &&
                             !changed->second.at(UpperCase(name)).value;
        if (!deleted) names.push_back(name);
    }
    if (changed != changes_.end()) {
        for (const auto& [upper, change] : changed->second) {
            if (change.value) AddName(names, change.name);
        }
    }
    return names;
}

std::optional<host::RegistryValue> RunOnlyRegistry::QueryValue(RegistryRoot root, std::u16string_view path,
                                                               std::u16string_view name) {
    const auto changed = changes_.find({root, NormalPath(path)});
    if (changed != changes_.end()) {
        const auto change = changed->second.find(UpperCase(name));
        if (change != changed->second.end()) return change->second.value;
    }
    return base_.QueryValue(root, path, name);
}

LONG RunOnlyRegistry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                               const host::RegistryValue& value) {
    if (!KeyExists(root, path)) return ERROR_FILE_NOT_FOUND;
    changes_[{root, NormalPath(path)}][UpperCase(name)] = {std::u16string(name), value};
    return ERROR_SUCCESS;
}

LONG RunOnlyRegistry::DeleteValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    if (!KeyExists(root, path) || !QueryValue(root, path, name)) return ERROR_FILE_NOT_FOUND;
    changes_[{root, NormalPath(path)}][UpperCase(name)] = {std::u16string(name), std::nullopt};
    return ERROR_SUCCESS;
}

}  // namespace velmora::cli
