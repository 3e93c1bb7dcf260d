#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"

namespace velmora {

// Where COM classes and type libraries are registered: HKEY_CLASSES_ROOT,
// for every user of the machine, or the user's own classes under
// HKEY_CURRENT_USER\Software\Classes, which the user's programs see in front
// of the machine's. Paths are relative to the classes root ("CLSID\{...}").
// Every operation applies to each location the object holds; a refused
// write throws velmora::Exception.
class ClassesKeys {
public:
    // The machine's classes when its hive may be written, else the user's;
    // throws when neither may be.
    static ClassesKeys ForRegistration();
    // Both, for removing a registration of either kind.
    static ClassesKeys Everywhere();

    void SetString(std::u16string_view path, std::u16string_view name, const std::u16string& value) const;
    // A missing key is no error.
    void DeleteTree(std::u16string_view path) const;
    // Deletes the key only when nothing is left below it.
    void DeleteIfEmpty(std::u16string_view path) const;

private:
    struct Location {
        host::RegistryRoot Root;
        std::u16string Prefix;  // empty, or "Software\Classes\"
    };
    static Location Machine();
    static Location User();
    explicit ClassesKeys(std::vector<Location> locations) : locations_(std::move(locations)) {}

    std::vector<Location> locations_;
};

}  // namespace velmora
