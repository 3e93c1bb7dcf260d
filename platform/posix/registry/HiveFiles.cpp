#include "posix/registry/HiveFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "host/HostError.h"

namespace posix {

namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

std::filesystem::path HomeDirectory() {
    if (auto home = Variable("HOME")) return *home;
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    throw host::HostError(E_FAIL, u"The user's home directory is unknown");
}

std::filesystem::path ConfigDirectory() {
    // A relative setting is to be ignored, as the base directory rules say.
    if (auto config = Variable("XDG_CONFIG_HOME"); config && std::filesystem::path(*config).is_absolute()) {
        return *config;
    }
    return HomeDirectory() / ".config";
}

}  // namespace

HiveFiles HiveFiles::FromEnvironment() {
    HiveFiles files;
    if (auto user = Variable("VELMORA_USER_REGISTRY")) {
        files.user = *user;
    } else {
        files.user = ConfigDirectory() / "velmora" / "user-registry.db";
    }
    files.machine = Variable("VELMORA_MACHINE_REGISTRY").value_or("/var/lib/velmora/machine-registry.db");
    return files;
}

}  // namespace posix
