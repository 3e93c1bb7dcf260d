#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/RunLocks.h"
#include "posix/system/WindowsFileSystem.h"

namespace posix {

// What a run does when another holds one of its locks.
struct LockWaiting {
    bool Wait = false;
    // Told, before waiting, the path of each lock it waits for.
    std::function<void(const std::u16string& path)> OnWait;
};

// A store's own lock file, and how waits and refusals name the store (empty:
// the directory the file is in, a mailbox's root).
struct StoreLock {
    std::filesystem::path file;
    std::u16string store;
};

// host::RunLocks over flock(2) on lock files: the store's own lock files (a
// mailbox's is "<root>/.velmora.lock"), and for each target directory a file
// of targetLockDirectory, made when missing, named by the directory's
// canonical native path (TargetLockName). Every lock of a run is taken in
// one order, that of the lock files' paths, so that two runs never wait for
// each other; a lock this process holds already is shared (ProcessFileLocks),
// so nested runs never wait for themselves. Without Wait, a lock held
// elsewhere gives host::HostError (ERROR_LOCK_VIOLATION) "Another run of
// Velmora is working on <path>." with the locks taken so far released.
class FlockRunLocks : public host::RunLocks {
public:
    FlockRunLocks(WindowsFileSystem& files, std::vector<StoreLock> storeLocks,
                  std::filesystem::path targetLockDirectory, LockWaiting waiting);

    std::unique_ptr<Lease> Acquire(const std::vector<std::u16string>& directories) override;

    // "target-<16 hex digits of the 64-bit FNV-1a hash of the path's bytes>.lock".
    static std::string TargetLockName(const std::filesystem::path& canonicalNativePath);
    // "<kind>-<16 hex digits of the 64-bit FNV-1a hash of key>.lock".
    static std::string LockName(std::string_view kind, std::string_view key);

private:
    struct Wanted {
        std::filesystem::path LockFile;
        std::u16string What;
    };

    std::optional<Wanted> ForTarget(std::u16string_view directory);
    void MakeTargetLockDirectory() const;

    WindowsFileSystem& files_;
    std::vector<StoreLock> storeLocks_;
    std::filesystem::path targetLockDirectory_;
    LockWaiting waiting_;
};

}  // namespace posix
