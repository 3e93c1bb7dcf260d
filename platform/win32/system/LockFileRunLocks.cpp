#include "win32/system/LockFileRunLocks.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "win32/WideText.h"
#include "win32/system/FileErrors.h"
#include "win32/system/NtFiles.h"

namespace win32 {

namespace {

constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

struct Wanted {
    std::u16string LockFile;
    std::u16string Key;  // the lock file's path as names compare
    std::u16string What;
};

// The lock files this process holds open, each with the number of leases
// that share it.
class ProcessLocks {
public:
    // False when another process holds the file.
    bool Take(const Wanted& lock) {
        std::lock_guard guard(mutex_);
        if (auto held = held_.find(lock.Key); held != held_.end()) {
            ++held->second.Users;
            return true;
        }
        Handle file(CreateFileW(Wide(lock.LockFile).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return false;
            ThrowFileError(u"Cannot lock", lock.LockFile, error);
        }
        held_.emplace(lock.Key, Held{std::move(file), 1});
        return true;
    }

    void Release(const std::u16string& key) {
        std::lock_guard guard(mutex_);
        auto held = held_.find(key);
        if (held != held_.end() && --held->second.Users == 0) held_.erase(held);
    }

private:
    struct Held {
        Handle File;
        int Users = 0;
    };
    std::mutex mutex_;
    std::map<std::u16string, Held> held_;
};

ProcessLocks& TheProcessLocks() {
    static ProcessLocks locks;
    return locks;
}

class FileLease final : public host::RunLocks::Lease {
public:
    ~FileLease() override {
        for (auto key = keys_.rbegin(); key != keys_.rend(); ++key) TheProcessLocks().Release(*key);
    }
    void Add(std::u16string key) { keys_.push_back(std::move(key)); }

private:
    std::vector<std::u16string> keys_;
};

std::u16string Folder(std::u16string_view file) {
    const std::size_t separator = file.find_last_of(u'\\');
    return std::u16string(separator == std::u16string_view::npos ? file : file.substr(0, separator));
}

void MakeDirectories(const std::u16string& path) {
    if (CreateDirectoryW(Wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return;
    const std::u16string parent = Folder(path);
    if (GetLastError() != ERROR_PATH_NOT_FOUND || parent == path || parent.empty()) {
        ThrowFileError(u"Cannot lock", path, GetLastError());
    }
    MakeDirectories(parent);
    if (!CreateDirectoryW(Wide(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ThrowFileError(u"Cannot lock", path, GetLastError());
    }
}

}  // namespace

LockFileRunLocks::LockFileRunLocks(host::FileSystem& files, std::vector<std::u16string> storeLockFiles,
                                   std::u16string lockDirectory)
    : files_(files), storeLockFiles_(std::move(storeLockFiles)), lockDirectory_(std::move(lockDirectory)) {}

std::unique_ptr<host::RunLocks::Lease> LockFileRunLocks::Acquire(const std::vector<std::u16string>& directories) {
    std::vector<Wanted> wanted;
    for (const std::u16string& lockFile : storeLockFiles_) {
        wanted.push_back({lockFile, velmora::UpperCase(lockFile), Folder(lockFile)});
    }
    if (!directories.empty()) MakeDirectories(lockDirectory_);
    for (const std::u16string& directory : directories) {
        std::u16string canonical = files_.Canonical(directory);
        std::u16string lockFile = EntryPath(lockDirectory_, TargetLockName(canonical));
        std::u16string key = velmora::UpperCase(lockFile);
        wanted.push_back({std::move(lockFile), std::move(key), std::move(canonical)});
    }
    std::sort(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) { return a.Key < b.Key; });
    wanted.erase(std::unique(wanted.begin(), wanted.end(), [](const Wanted& a, const Wanted& b) { return a.Key == b.Key; }),
                 wanted.end());

    auto lease = std::make_unique<FileLease>();
    for (const Wanted& lock : wanted) {
        if (!TheProcessLocks().Take(lock)) {
            throw host::HostError(HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION),
                                  velmora::Format(u"Another run of Velmora is working on %s.", {lock.What}));
        }
        lease->Add(lock.Key);
    }
    return lease;
}

std::u16string LockFileRunLocks::TargetLockName(std::u16string_view canonicalPath) {
    std::uint64_t hash = kFnvOffsetBasis;
    for (const char16_t unit : velmora::UpperCase(canonicalPath)) {
        for (const auto byte : {static_cast<unsigned>(unit & 0xFF), static_cast<unsigned>(unit >> 8)}) {
            hash ^= byte;
            hash *= kFnvPrime;
        }
    }
    std::u16string name = u"target-";
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
    return name + u".lock";
}

}  // namespace win32
