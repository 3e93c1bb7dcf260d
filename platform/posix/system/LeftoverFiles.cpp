#include "posix/system/LeftoverFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "posix/system/DirectoryEntries.h"
#include "posix/system/TemporaryNames.h"

namespace posix {

namespace {

// A process of another user that lives answers EPERM.
bool ProcessGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

}  // namespace

void RemoveLeftoverFiles(int directory, std::time_t now) {
    const std::optional<std::vector<std::string>> names = EntryNamesAt(directory);
    if (!names) return;
    for (const std::string& name : *names) {
        const std::optional<pid_t> owner = TemporaryFileOwner(name);
        if (!owner) continue;
        struct stat info {};
        if (fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) continue;
        const bool old = now - info.st_mtim.tv_sec > kLeftoverAgeSeconds;
        if (old || ProcessGone(*owner)) unlinkat(directory, name.c_str(), 0);
    }
}

}  // namespace posix
