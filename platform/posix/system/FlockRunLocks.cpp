#include "posix/system/FlockRunLocks.h"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "posix/system/PosixErrors.h"
#include "posix/system/ProcessFileLocks.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

class FileLease : public host::RunLocks::Lease {
public:
    ~FileLease() override {
        for (auto held = lockFiles_.rbegin(); held != lockFiles_.rend(); ++held) ReleaseFileLock(*held);
    }

    void Add(fs::path lockFile) { lockFiles_.push_back(std::move(lockFile)); }

private:
    std::vector<fs::path> lockFiles_;
};

}  // namespace

FlockRunLocks::FlockRunLocks(WindowsFileSystem& files, std::vector<StoreLock> storeLocks,
                             fs::path targetLockDirectory, LockWaiting waiting)
    : files_(files),
      storeLocks_(std::move(storeLocks)),
      targetLockDirectory_(std::move(targetLockDirectory)),
      waiting_(std::move(waiting)) {}

std::unique_ptr<host::RunLocks::Lease> FlockRunLocks::Acquire(const std::vector<std::u16string>& directories) {
    std::vector<Wanted> wanted;
    for (const StoreLock& lock : storeLocks_) {
        const fs::path root = lock.file.parent_path();
        wanted.push_back({lock.file, !lock.store.empty()
                                         ? lock.store
                                         : files_.FromNative(root).value_or(velmora::FromUtf8(root.native()))});
    }
    if (!directories.empty()) MakeTargetLockDirectory();
    for (const std::u16string& directory : directories) {
        if (auto target = ForTarget(directory)) wanted.push_back(std::move(*target));
    }
    std::sort(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) { return a.LockFile < b.LockFile; });
    wanted.erase(std::unique(wanted.begin(), wanted.end(),
                             [](const Wanted& a, const Wanted& b) { return a.LockFile == b.LockFile; }),
                 wanted.end());

    auto lease = std::make_unique<FileLease>();
    for (const Wanted& lock : wanted) {
        const auto tell = [&] {
            if (waiting_.OnWait) waiting_.OnWait(lock.What);
        };
        if (!TakeFileLock(lock.LockFile, waiting_.Wait, tell, lock.What)) {
            throw host::HostError(HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION),
                                  velmora::Format(u"Another run of Velmora is working on %s.", {lock.What}));
        }
        lease->Add(lock.LockFile);
    }
    return lease;
}

std::string FlockRunLocks::TargetLockName(const fs::path& canonicalNativePath) {
    return LockName("target", canonicalNativePath.native());
}

std::string FlockRunLocks::LockName(std::string_view kind, std::string_view key) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const char byte : key) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kFnvPrime;
    }
    return fmt::format("{}-{:016x}.lock", kind, hash);
}

std::optional<FlockRunLocks::Wanted> FlockRunLocks::ForTarget(std::u16string_view directory) {
    std::u16string canonical = files_.Canonical(directory);
    const std::optional<fs::path> native = files_.Drives().ToNative(canonical);
    // Nothing can be written on a drive that does not exist: the run finds that out itself.
    if (!native) return std::nullopt;
    return Wanted{targetLockDirectory_ / TargetLockName(native->lexically_normal()), std::move(canonical)};
}

void FlockRunLocks::MakeTargetLockDirectory() const {
    std::error_code error;
    fs::create_directories(targetLockDirectory_, error);
    if (error) {
        ThrowFileError(u"Cannot lock", velmora::FromUtf8(targetLockDirectory_.native()), ERROR_ACCESS_DENIED,
                       velmora::FromUtf8(error.message()));
    }
}

}  // namespace posix
