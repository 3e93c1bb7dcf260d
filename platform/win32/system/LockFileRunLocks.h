#pragma once

#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "host/RunLocks.h"

namespace win32 {

// host::RunLocks over lock files opened without sharing: the store's own
// lock files (full paths), and for each target directory a file of
// lockDirectory, made when missing, named by the directory's canonical path
// (TargetLockName). A lock file that another process holds open cannot be
// opened; the system closes it when that process ends, however it ends.
// Every lock of a run is taken in one order, that of the lock files' paths,
// and a lock this process holds already is shared, so nested runs never
// wait for themselves. The policy is not to wait: a lock held elsewhere
// gives host::HostError (ERROR_LOCK_VIOLATION) "Another run of Velmora is
// working on <path>." with the locks taken so far released.
class LockFileRunLocks final : public host::RunLocks {
public:
    LockFileRunLocks(host::FileSystem& files, std::vector<std::u16string> storeLockFiles,
                     std::u16string lockDirectory);

    std::unique_ptr<Lease> Acquire(const std::vector<std::u16string>& directories) override;

    // "target-<16 hex digits of the 64-bit FNV-1a hash of the path's UTF-16
    // code units, upper-cased as names compare>.lock".
    static std::u16string TargetLockName(std::u16string_view canonicalPath);

private:
    host::FileSystem& files_;
    std::vector<std::u16string> storeLockFiles_;
    std::u16string lockDirectory_;
};

}  // namespace win32
