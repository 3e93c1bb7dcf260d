#pragma once

#include <memory>
#include <ostream>

#include "catalog/SqliteCatalogStore.h"
#include "host/Platform.h"
#include "posix/registry/HiveFiles.h"
#include "posix/registry/SqliteRegistry.h"
#include "posix/system/DriveMap.h"
#include "posix/system/FlockRunLocks.h"
#include "posix/system/PosixLibraries.h"
#include "posix/system/PosixSystem.h"
#include "posix/system/WindowsFileSystem.h"
#include "velmora/CommandLine.h"
#include "velmora/RunOnlyRegistry.h"
#include "velmora/VirtualStoreRegistry.h"

namespace velmora::cli {

// The Linux platform as this program installs it for its lifetime: the
// drives of the environment plus the native root (WithRootDrive), the
// registry hives of the environment (HiveFiles::FromEnvironment) seen as a
// program without administrative rights sees them (VirtualStoreRegistry), the
// file system, the system services and the library loader, the catalog of
// saved files (posix::CatalogFileFromEnvironment, its folder made when
// missing) and the run locks: the store's lock file (see StoreLockFile) and
// the target directories' beside the catalog, waiting (and saying so on err)
// unless the request says not to. Unless the settings are to be stored,
// registry writes last only for the run (RunOnlyRegistry).
class ProgramPlatform {
public:
    ProgramPlatform(const Request& request, std::ostream& err);
    ProgramPlatform(const ProgramPlatform&) = delete;
    ProgramPlatform& operator=(const ProgramPlatform&) = delete;

    const posix::DriveMap& Drives() const { return files_.Drives(); }
    const posix::HiveFiles& Hives() const { return hives_; }

private:
    posix::HiveFiles hives_;
    posix::SqliteRegistry stored_;
    VirtualStoreRegistry seen_;
    RunOnlyRegistry runOnly_;
    posix::WindowsFileSystem files_;
    posix::PosixSystem system_;
    posix::PosixLibraries libraries_;
    std::filesystem::path catalogFile_;
    catalog::SqliteCatalogStore catalog_;
    posix::FlockRunLocks runLocks_;
    host::PlatformScope scope_;
};

}  // namespace velmora::cli
