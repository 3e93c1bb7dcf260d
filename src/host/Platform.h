#pragma once

#include "host/Catalog.h"
#include "host/DynamicLibraries.h"
#include "host/FileSystem.h"
#include "host/Registry.h"
#include "host/RunLocks.h"
#include "host/System.h"

namespace host {

// The platform services the core reaches. The program (or a test) installs
// them once at start; the core asks for them where it needs them.
struct Platform {
    Registry* registry = nullptr;
    FileSystem* fileSystem = nullptr;
    DynamicLibraries* libraries = nullptr;
    System* system = nullptr;
    CatalogStore* catalog = nullptr;
    RunLocks* runLocks = nullptr;
};

// Each throws HostError when no such service is installed.
Registry& TheRegistry();
FileSystem& TheFileSystem();
DynamicLibraries& TheLibraries();
System& TheSystem();
CatalogStore& TheCatalog();
RunLocks& TheRunLocks();

// Installs services for its lifetime and puts the previous ones back after.
class PlatformScope {
public:
    explicit PlatformScope(const Platform& platform);
    ~PlatformScope();
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform previous_;
};

}  // namespace host
