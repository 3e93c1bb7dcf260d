#pragma once

#include <filesystem>

namespace posix {

// Where the registry's hives live. The current user's hive
// (HKEY_CURRENT_USER) is a file in the user's configuration directory; the
// machine's hive (HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT) is one file
// shared by all users.
struct HiveFiles {
    std::filesystem::path user;
    std::filesystem::path machine;

    // user: $VELMORA_USER_REGISTRY, else $XDG_CONFIG_HOME/velmora/user-registry.db
    // (an absolute XDG_CONFIG_HOME only), else ~/.config/velmora/user-registry.db.
    // machine: $VELMORA_MACHINE_REGISTRY, else /var/lib/velmora/machine-registry.db.
    // Empty variables count as unset. Throws host::HostError when the user
    // has no home directory to fall back on.
    static HiveFiles FromEnvironment();
};

}  // namespace posix
