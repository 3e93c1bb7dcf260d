#include "posix/system/ProcessFileLocks.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>

#include "posix/system/Descriptor.h"
#include "posix/system/PosixErrors.h"

namespace posix {

namespace {

struct HeldLock {
    Descriptor File;
    std::size_t Count = 0;
};

struct LockTable {
    std::mutex Guard;
    std::map<std::string, HeldLock> Held;
};

LockTable& Table() {
    static LockTable table;
    return table;
}

bool CountAgain(const std::string& key) {
    LockTable& table = Table();
    const std::lock_guard<std::mutex> guard(table.Guard);
    const auto found = table.Held.find(key);
    if (found == table.Held.end()) return false;
    ++found->second.Count;
    return true;
}

}  // namespace

bool TakeFileLock(const std::filesystem::path& lockFile, bool wait, const std::function<void()>& beforeWaiting,
                  std::u16string_view what) {
    const std::string& key = lockFile.native();
    if (CountAgain(key)) return true;

    // Locked outside the table's guard: waiting must not keep this process's other locks from being released.
    Descriptor file(open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file.Valid()) ThrowErrnoFileError(u"Cannot lock", what, errno, lockFile);
    if (flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) ThrowErrnoFileError(u"Cannot lock", what, errno, lockFile);
        if (!wait) return false;
        beforeWaiting();
        while (flock(file.Get(), LOCK_EX) != 0) {
            if (errno != EINTR) ThrowErrnoFileError(u"Cannot lock", what, errno, lockFile);
        }
    }
    LockTable& table = Table();
    const std::lock_guard<std::mutex> guard(table.Guard);
    // Only one descriptor of the file can hold the lock, so no other thread has put it in meanwhile.
    table.Held[key] = HeldLock{std::move(file), 1};
    return true;
}

void ReleaseFileLock(const std::filesystem::path& lockFile) {
    LockTable& table = Table();
    const std::lock_guard<std::mutex> guard(table.Guard);
    const auto found = table.Held.find(lockFile.native());
    if (found != table.Held.end() && --found->second.Count == 0) table.Held.erase(found);
}

}  // namespace posix
