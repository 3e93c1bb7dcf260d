#include "velmora/VirtualStoreRegistry.h"

#include "base/Utf16.h"

namespace velmora::cli {

namespace {

using host::RegistryRoot;

std::u16string_view WithoutLeadingSeparators(std::u16string_view path) {
    while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
    return path;
}

// The names of both lists, each once (compared without regard to case), the first list's spelling kept.
std::vector<std::u16string> Union(std::vector<std::u16string> first, const std::vector<std::u16string>& second) {
    for (const auto& name : second) {
        bool known = false;
        for (const auto& existing : first) known = known || SameText(existing, name);
        if (!known) first.push_back(name);
    }
    return first;
}

}  // namespace

bool IsVirtualized(RegistryRoot root, std::u16string_view path) {
    if (root != RegistryRoot::LocalMachine) return false;
    const std::u16string_view relative = WithoutLeadingSeparators(path);
    const std::u16string_view first = relative.substr(0, relative.find(u'\\'));
    return SameText(first, u"SOFTWARE");
}

std::u16string VirtualStorePath(std::u16string_view machinePath) {
    return std::u16string(kVirtualStoreKey) + u"\\" + std::u16string(WithoutLeadingSeparators(machinePath));
}

bool VirtualStoreRegistry::KeyExists(RegistryRoot root, std::u16string_view path) {
    return (IsVirtualized(root, path) && base_.KeyExists(RegistryRoot::CurrentUser, VirtualStorePath(path))) ||
           base_.KeyExists(root, path);
}

LONG VirtualStoreRegistry::CreateKey(RegistryRoot root, std::u16string_view path) {
    return base_.CreateKey(root, path);
}

LONG VirtualStoreRegistry::DeleteKeyTree(RegistryRoot root, std::u16string_view path) {
    return base_.DeleteKeyTree(root, path);
}

std::vector<std::u16string> VirtualStoreRegistry::SubKeyNames(RegistryRoot root, std::u16string_view path) {
    if (!IsVirtualized(root, path)) return base_.SubKeyNames(root, path);
    return Union(base_.SubKeyNames(RegistryRoot::CurrentUser, VirtualStorePath(path)), base_.SubKeyNames(root, path));
}

std::vector<std::u16string> VirtualStoreRegistry::ValueNames(RegistryRoot root, std::u16string_view path) {
    if (!IsVirtualized(root, path)) return base_.ValueNames(root, path);
    return Union(base_.ValueNames(RegistryRoot::CurrentUser, VirtualStorePath(path)), base_.ValueNames(root, path));
}

std::optional<host::RegistryValue> VirtualStoreRegistry::QueryValue(RegistryRoot root, std::u16string_view path,
                                                                    std::u16string_view name) {
    if (IsVirtualized(root, path)) {
        if (auto virtualValue = base_.QueryValue(RegistryRoot::CurrentUser, VirtualStorePath(path), name)) {
            return virtualValue;
        }
    }
    return base_.QueryValue(root, path, name);
}

LONG VirtualStoreRegistry::SetValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                                    const host::RegistryValue& value) {
    return base_.SetValue(root, path, name, value);
}

LONG VirtualStoreRegistry::DeleteValue(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    return base_.DeleteValue(root, path, name);
}

}  // namespace velmora::cli
