#include "addin/OfficeAddInFactory.h"

#include <optional>
#include <utility>

#include "base/Exception.h"
#include "base/Format.h"
#include "host/Platform.h"

namespace velmora {

namespace {

using host::RegistryRoot;
using host::RegistryValue;

// Creates the key under the first root that allows it; none when no root does.
std::optional<RegistryRoot> CreateUnderFirst(const std::u16string& key, std::initializer_list<RegistryRoot> roots) {
    for (RegistryRoot root : roots) {
        if (host::TheRegistry().CreateKey(root, key) == ERROR_SUCCESS) return root;
    }
    return std::nullopt;
}

}  // namespace

std::u16string OfficeHostName(TOfficeHost host) {
    switch (host) {
        case ohExcel: return u"Excel";
        case ohWord: return u"Word";
        case ohOutlook: return u"Outlook";
        case ohPowerPoint: return u"PowerPoint";
        case ohAccess: return u"Access";
    }
    return {};
}

TOfficeAddInFactory::TOfficeAddInFactory(TCreator creator, const TypeLibraryDescription& library,
                                         const TypeLibClass& coClass, std::u16string threadingModel,
                                         std::set<TOfficeHost> Hosts, std::u16string FriendlyName,
                                         std::uint32_t LoadBehavior)
    : TAutoObjectFactory(std::move(creator), library, coClass, std::move(threadingModel)),
      Hosts(std::move(Hosts)),
      FriendlyName(std::move(FriendlyName)),
      LoadBehavior(LoadBehavior) {}

void TOfficeAddInFactory::UpdateRegistration(bool Register, const ClassesKeys& classes,
                                             const std::u16string& modulePath) {
    TAutoObjectFactory::UpdateRegistration(Register, classes, modulePath);
    for (TOfficeHost host : Hosts) {
        if (Register) {
            RegisterAddInKey(AddInKey(host));
        } else {
            UnregisterAddInKey(AddInKey(host));
        }
    }
}

void TOfficeAddInFactory::RegisterAddInKey(const std::u16string& Key) {
    std::optional<RegistryRoot> root = CreateUnderFirst(Key, {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser});
    if (!root) {
        throw Exception(
            u"Unable to Register Office Add-in. You don't have the neede rights to access the Windows Registry.");
    }
    host::Registry& registry = host::TheRegistry();
    for (const auto& [name, value] : {std::pair{u"FriendlyName", RegistryValue::OfString(FriendlyName)},
                                      std::pair{u"Description", RegistryValue::OfString(Description())},
                                      std::pair{u"LoadBehavior", RegistryValue::OfDword(LoadBehavior)},
                                      std::pair{u"CommandLineSafe", RegistryValue::OfDword(0)}}) {
        if (LONG code = registry.SetValue(*root, Key, name, value); code != ERROR_SUCCESS) {
            throw Exception(Format(u"The registry refused the value %s of %s (error %d)",
                                   {std::u16string_view(name), Key, std::int64_t{code}}));
        }
    }
}

void TOfficeAddInFactory::UnregisterAddInKey(const std::u16string& Key) {
    host::Registry& registry = host::TheRegistry();
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        if (!registry.KeyExists(root, Key)) continue;
        if (LONG code = registry.DeleteKeyTree(root, Key); code != ERROR_SUCCESS) {
            throw Exception(Format(u"The registry refused to delete %s (error %d)", {Key, std::int64_t{code}}));
        }
    }
}

std::u16string TOfficeAddInFactory::AddInKey(TOfficeHost host) const {
    return Format(u"\\Software\\Microsoft\\Office\\%s\\AddIns\\%s", {OfficeHostName(host), ProgID()});
}

}  // namespace velmora
