#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "addin/AutoObjectFactory.h"

namespace velmora {

enum TOfficeHost : std::uint8_t { ohExcel, ohWord, ohOutlook, ohPowerPoint, ohAccess };

// The host's name as the Office keys spell it ("Outlook").
std::u16string OfficeHostName(TOfficeHost host);

// The factory of an Office add-in: registering it also makes the add-in
// known to each of its hosts under
// "\Software\Microsoft\Office\<host>\AddIns\<ProgID>".
class TOfficeAddInFactory : public TAutoObjectFactory {
public:
    TOfficeAddInFactory(TCreator creator, const TypeLibraryDescription& library, const TypeLibClass& coClass,
                        std::u16string threadingModel, std::set<TOfficeHost> Hosts, std::u16string FriendlyName,
                        std::uint32_t LoadBehavior);

    // The COM class entries, then the add-in key of each host in Hosts, in
    // the order of TOfficeHost.
    void UpdateRegistration(bool Register, const ClassesKeys& classes, const std::u16string& modulePath) override;

    // Opens (creating it) the key under HKEY_LOCAL_MACHINE, for every user
    // of the machine, or, when that is refused, under HKEY_CURRENT_USER,
    // for the user alone, and writes "FriendlyName", "Description",
    // "LoadBehavior" and "CommandLineSafe" (0). Throws velmora::Exception
    // when neither root may be written.
    virtual void RegisterAddInKey(const std::u16string& Key);
    // Deletes the key where it exists, under both roots.
    void UnregisterAddInKey(const std::u16string& Key);

    std::u16string AddInKey(TOfficeHost host) const;

    const std::set<TOfficeHost> Hosts;
    const std::u16string FriendlyName;
    const std::uint32_t LoadBehavior;
};

}  // namespace velmora
