#include "velmora/ProgramPlatform.h"

#include <system_error>

#include "base/Exception.h"
#include "base/Utf16.h"
#include "posix/registry/CatalogFile.h"
#include "imapstore/AccountUrl.h"
#include "velmora/NativePaths.h"
#include "velmora/OpenedStore.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// The catalog's file, in a folder made for it when missing.
fs::path CatalogFile() {
    const fs::path file = posix::CatalogFileFromEnvironment();
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    return file;
}

// The lock of the request's store; an IMAP account's lives beside the
// target directories' locks, in a directory made for it when missing.
std::vector<posix::StoreLock> StoreLocks(const Request& request, const fs::path& lockDirectory) {
    if (request.mailbox.empty()) return {};
    if (imapstore::AccountUrl::LooksLikeOne(request.mailbox)) {
        std::error_code error;
        fs::create_directories(lockDirectory, error);
        return {{StoreLockFile(request, lockDirectory), FromUtf8(request.mailbox)}};
    }
    return {{StoreLockFile(request, lockDirectory), {}}};
}

posix::LockWaiting Waiting(const Request& request, std::ostream& err) {
    return {!request.noWait, [&err](const std::u16string& path) {
                err << "velmora: Waiting for another run of velmora over " << ToUtf8(path) << " to finish...\n";
                err.flush();
            }};
}

}  // namespace

ProgramPlatform::ProgramPlatform(const Request& request, std::ostream& err)
    : hives_(posix::HiveFiles::FromEnvironment()),
      stored_(hives_),
      seen_(stored_),
      runOnly_(seen_),
      files_(WithRootDrive(posix::DriveMap::FromEnvironment())),
      libraries_(files_.Drives()),
      catalogFile_(CatalogFile()),
      catalog_(catalogFile_),
      runLocks_(files_, StoreLocks(request, catalogFile_.parent_path() / "locks"), catalogFile_.parent_path() / "locks",
                Waiting(request, err)),
      scope_(host::Platform{request.storeSettings ? static_cast<host::Registry*>(&seen_) : &runOnly_, &files_,
                            &libraries_, &system_, &catalog_, &runLocks_}) {}

}  // namespace velmora::cli
