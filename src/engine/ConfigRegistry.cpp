#include "engine/ConfigRegistry.h"

#include "base/Format.h"
#include "engine/ConfigError.h"
#include "host/HostError.h"
#include "host/Platform.h"

namespace velmora {

namespace {

[[noreturn]] void InvalidDataType(std::u16string_view name) {
    throw EConfigClass(Format(u"Invalid data type for '%s'", {name}));
}

template <class Call>
auto OnRegistry(Call&& call) {
    try {
        return call(host::TheRegistry());
    } catch (const host::HostError& error) {
        throw EConfigClass(error.Message());
    }
}

}  // namespace

bool TConfigRegistry::OpenKey(std::u16string_view path, bool canCreate) {
    if (path.starts_with(u'\\')) path.remove_prefix(1);
    const bool opened = OnRegistry([&](host::Registry& registry) {
        return (canCreate && registry.CreateKey(root_, path) == ERROR_SUCCESS) || registry.KeyExists(root_, path);
    });
    if (opened) currentKey_ = std::u16string(path);
    return opened;
}

std::optional<host::RegistryValue> TConfigRegistry::Query(std::u16string_view name) const {
    if (!currentKey_) return std::nullopt;
    return OnRegistry([&](host::Registry& registry) { return registry.QueryValue(root_, *currentKey_, name); });
}

bool TConfigRegistry::ValueExists(std::u16string_view name) const { return Query(name).has_value(); }

std::int32_t TConfigRegistry::ReadInteger(std::u16string_view name) const {
    std::optional<host::RegistryValue> value = Query(name);
    if (!value || value->Type != host::RegistryValueType::Dword) InvalidDataType(name);
    return static_cast<std::int32_t>(value->Dword);
}

std::u16string TConfigRegistry::ReadString(std::u16string_view name) const {
    std::optional<host::RegistryValue> value = Query(name);
    if (!value) return {};
    if (value->Type != host::RegistryValueType::String && value->Type != host::RegistryValueType::ExpandString)
        InvalidDataType(name);
    return value->Text;
}

void TConfigRegistry::Write(std::u16string_view name, const host::RegistryValue& value) {
    const bool written = currentKey_ && OnRegistry([&](host::Registry& registry) {
        return registry.SetValue(root_, *currentKey_, name, value) == ERROR_SUCCESS;
    });
    if (!written) throw EConfigClass(Format(u"Failed to set data for '%s'", {name}));
}

void TConfigRegistry::WriteInteger(std::u16string_view name, std::int32_t value) {
    Write(name, host::RegistryValue::OfDword(static_cast<std::uint32_t>(value)));
}

void TConfigRegistry::WriteString(std::u16string_view name, std::u16string_view text) {
    Write(name, host::RegistryValue::OfString(std::u16string(text)));
}

bool TConfigRegistry::DeleteValue(std::u16string_view name) {
    if (!ValueExists(name)) return true;
    return OnRegistry(
        [&](host::Registry& registry) { return registry.DeleteValue(root_, *currentKey_, name) == ERROR_SUCCESS; });
}

}  // namespace velmora
