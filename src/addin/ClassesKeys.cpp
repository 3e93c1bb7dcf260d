#include "addin/ClassesKeys.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "host/Platform.h"

namespace velmora {

namespace {

using host::RegistryRoot;

std::u16string RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return u"HKEY_CLASSES_ROOT";
        case RegistryRoot::CurrentUser: return u"HKEY_CURRENT_USER";
        case RegistryRoot::LocalMachine: return u"HKEY_LOCAL_MACHINE";
    }
    return {};
}

[[noreturn]] void Refused(RegistryRoot root, const std::u16string& path, LONG code) {
    throw Exception(Format(u"The registry refused to write %s\\%s (error %d)", {RootName(root), path,
                                                                                 std::int64_t{code}}));
}

}  // namespace

ClassesKeys::Location ClassesKeys::Machine() { return {RegistryRoot::ClassesRoot, u""}; }
ClassesKeys::Location ClassesKeys::User() { return {RegistryRoot::CurrentUser, u"Software\\Classes\\"}; }

ClassesKeys ClassesKeys::ForRegistration() {
    host::Registry& registry = host::TheRegistry();
    if (registry.CreateKey(RegistryRoot::ClassesRoot, u"CLSID") == ERROR_SUCCESS) return ClassesKeys({Machine()});
    if (registry.CreateKey(RegistryRoot::CurrentUser, u"Software\\Classes") == ERROR_SUCCESS) {
        return ClassesKeys({User()});
    }
    throw Exception(u"Neither the machine's nor the user's classes may be written in the registry");
}

ClassesKeys ClassesKeys::Everywhere() { return ClassesKeys({Machine(), User()}); }

void ClassesKeys::SetString(std::u16string_view path, std::u16string_view name, const std::u16string& value) const {
    host::Registry& registry = host::TheRegistry();
    for (const auto& location : locations_) {
        const std::u16string key = location.Prefix + std::u16string(path);
        if (LONG code = registry.CreateKey(location.Root, key); code != ERROR_SUCCESS) Refused(location.Root, key, code);
        if (LONG code = registry.SetValue(location.Root, key, name, host::RegistryValue::OfString(value));
            code != ERROR_SUCCESS) {
            Refused(location.Root, key, code);
        }
    }
}

void ClassesKeys::DeleteTree(std::u16string_view path) const {
    host::Registry& registry = host::TheRegistry();
    for (const auto& location : locations_) {
        const std::u16string key = location.Prefix + std::u16string(path);
        if (!registry.KeyExists(location.Root, key)) continue;
        if (LONG code = registry.DeleteKeyTree(location.Root, key); code != ERROR_SUCCESS) {
            Refused(location.Root, key, code);
        }
    }
}

void ClassesKeys::DeleteIfEmpty(std::u16string_view path) const {
    host::Registry& registry = host::TheRegistry();
    for (const auto& location : locations_) {
        const std::u16string key = location.Prefix + std::u16string(path);
        if (!registry.KeyExists(location.Root, key) || !registry.SubKeyNames(location.Root, key).empty() ||
            !registry.ValueNames(location.Root, key).empty()) {
            continue;
        }
        if (LONG code = registry.DeleteKeyTree(location.Root, key); code != ERROR_SUCCESS) {
            Refused(location.Root, key, code);
        }
    }
}

}  // namespace velmora
