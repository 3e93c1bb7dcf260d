#include "velmora/MapiRegistration.h"

#include <optional>

#include "base/Exception.h"
#include "base/Format.h"
#include "host/Platform.h"
#include "mapi/MAPIHelper.h"
#include "velmora/VirtualStoreRegistry.h"

namespace velmora::cli {

namespace {

using host::RegistryRoot;
using host::RegistryValue;

LONG WriteString(host::Registry& registry, RegistryRoot root, std::u16string_view key, std::u16string_view name,
                 std::u16string_view text) {
    const LONG created = registry.CreateKey(root, key);
    if (created != ERROR_SUCCESS) return created;
    return registry.SetValue(root, key, name, RegistryValue::OfString(std::u16string(text)));
}

LONG WriteRegistration(host::Registry& registry, RegistryRoot root, bool virtualStore,
                       std::u16string_view libraryPath) {
    const auto key = [&](std::u16string_view machineKey) {
        return virtualStore ? VirtualStorePath(machineKey) : std::u16string(machineKey);
    };
    const LONG subsystem = WriteString(registry, root, key(kMessagingSubsystemKey), u"MAPI", u"1");
    if (subsystem != ERROR_SUCCESS) return subsystem;
    return WriteString(registry, root, key(kMailClientKey), u"DLLPathEx", libraryPath);
}

std::optional<std::u16string> StringValue(std::u16string_view key, std::u16string_view name) {
    auto value = host::TheRegistry().QueryValue(RegistryRoot::LocalMachine, key, name);
    if (!value) return std::nullopt;
    if (value->Type != host::RegistryValueType::String && value->Type != host::RegistryValueType::ExpandString) {
        return u"";
    }
    return value->Text;
}

}  // namespace

InstallPlace InstallMapiProvider(host::Registry& registry, std::u16string_view libraryPath) {
    const LONG machine = WriteRegistration(registry, RegistryRoot::LocalMachine, false, libraryPath);
    if (machine == ERROR_SUCCESS) return InstallPlace::Machine;
    if (machine == ERROR_ACCESS_DENIED &&
        WriteRegistration(registry, RegistryRoot::CurrentUser, true, libraryPath) == ERROR_SUCCESS) {
        return InstallPlace::CurrentUser;
    }
    throw Exception(Format(u"Cannot register the MAPI provider: the registry refused the write (error %d)",
                           {static_cast<std::int64_t>(machine)}));
}

std::vector<std::u16string> MapiProblems() {
    std::vector<std::u16string> problems;
    const auto subsystem = StringValue(kMessagingSubsystemKey, u"MAPI");
    if (!subsystem) {
        problems.push_back(Format(u"HKEY_LOCAL_MACHINE\\%s has no value MAPI (it must be the string \"1\")",
                                  {kMessagingSubsystemKey}));
    } else if (*subsystem != u"1") {
        problems.push_back(Format(u"HKEY_LOCAL_MACHINE\\%s: the value MAPI is \"%s\", not the string \"1\"",
                                  {kMessagingSubsystemKey, *subsystem}));
    }
    const auto library = StringValue(kMailClientKey, u"DLLPathEx");
    if (!library || library->empty()) {
        problems.push_back(Format(u"HKEY_LOCAL_MACHINE\\%s has no value DLLPathEx (the path of libvelmoramapi.so)",
                                  {kMailClientKey}));
    }
    if (!problems.empty()) return problems;
    try {
        TMapiHelper helper;
    } catch (const Exception& error) {
        problems.push_back(Format(u"the library %s that DLLPathEx names: %s", {*library, error.Message()}));
    }
    return problems;
}

}  // namespace velmora::cli
