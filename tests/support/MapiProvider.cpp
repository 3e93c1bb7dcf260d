#include "MapiProvider.h"

#include <stdexcept>

#include "base/Utf16.h"

namespace testing_support {

std::string MapiProviderPath() { return VELMORA_MAPI_PROVIDER_PATH; }

void InstallMapiProvider(host::Registry& registry) {
    using host::RegistryRoot;
    using host::RegistryValue;
    constexpr char16_t kSubsystem[] = u"SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
    constexpr char16_t kClient[] = u"SOFTWARE\\Clients\\Mail\\Microsoft Outlook";
    const bool written = registry.CreateKey(RegistryRoot::LocalMachine, kSubsystem) == ERROR_SUCCESS &&
                         registry.SetValue(RegistryRoot::LocalMachine, kSubsystem, u"MAPI",
                                           RegistryValue::OfString(u"1")) == ERROR_SUCCESS &&
                         registry.CreateKey(RegistryRoot::LocalMachine, kClient) == ERROR_SUCCESS &&
                         registry.SetValue(RegistryRoot::LocalMachine, kClient, u"DLLPathEx",
                                           RegistryValue::OfString(velmora::FromUtf8(MapiProviderPath()))) ==
                             ERROR_SUCCESS;
    if (!written) throw std::runtime_error("cannot register the MAPI provider");
}

}  // namespace testing_support
