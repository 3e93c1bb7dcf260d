#include "mailstore/WorkFiles.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>

#include "base/Sha256.h"
#include "mailstore/Maildir.h"

namespace mailstore::maildir {

namespace {

constexpr std::string_view kPrefix = "velmora-tmp.";
constexpr std::int64_t kAbandonedAfterSeconds = 36 * 3600;
constexpr std::size_t kKeyDigits = 16;

struct WorkFileName {
    std::int64_t seconds = 0;
    long pid = 0;
    std::string key;  // empty when the file replaces no message
    std::string host;
};

// The first 64 bits of the unique name's SHA-256, in hexadecimal.
std::string KeyOf(const std::string& unique) {
    velmora::Sha256 hash;
    hash.Update(unique.data(), unique.size());
    return velmora::Sha256::Hex(hash.Finish()).substr(0, kKeyDigits);
}

// Reads the digits that lead text and moves past them.
template <typename Number>
bool TakeNumber(std::string_view& text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

bool TakeText(std::string_view& text, std::string_view expected) {
    if (text.substr(0, expected.size()) != expected) return false;
    text.remove_prefix(expected.size());
    return true;
}

std::optional<WorkFileName> ParseWorkFileName(std::string_view name) {
    WorkFileName parsed;
    long microseconds = 0;
    if (!TakeText(name, kPrefix) || !TakeNumber(name, parsed.seconds) || !TakeText(name, ".M") ||
        !TakeNumber(name, microseconds) || !TakeText(name, "P") || !TakeNumber(name, parsed.pid) ||
        !TakeText(name, ".R")) {
        return std::nullopt;
    }
    const auto dot = name.find('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return std::nullopt;
    const std::string_view key = name.substr(0, dot);
    if (key != "-" && key.size() != kKeyDigits) return std::nullopt;
    parsed.key = key == "-" ? std::string() : std::string(key);
    parsed.host = std::string(name.substr(dot + 1));
    return parsed;
}

bool WriterIsGone(const WorkFileName& file, std::int64_t now) {
    if (now - file.seconds > kAbandonedAfterSeconds) return true;
    if (file.host != HostNamePart() || file.pid <= 0 || file.pid == getpid()) return false;
    return ::kill(static_cast<pid_t>(file.pid), 0) != 0 && errno == ESRCH;
}

// The writer gave the new message its name (the work file is linked there
// too) and died before the old message went: the old one goes now.
void RemoveReplacedMessage(const fs::path& folder, const struct stat& work, const std::string& key) {
    for (const char* sub : {"cur", "new"}) {
        std::error_code error;
        for (fs::directory_iterator it(folder / sub, error), end; !error && it != end; it.increment(error)) {
            const fs::path& file = it->path();
            struct stat info {};
            if (KeyOf(UniqueName(file.filename().string())) != key || ::lstat(file.c_str(), &info) != 0 ||
                !S_ISREG(info.st_mode) || (info.st_ino == work.st_ino && info.st_dev == work.st_dev)) {
                continue;
            }
            if (::unlink(file.c_str()) == 0) SyncDirectory(folder / sub);
        }
    }
}

void MakeTmp(const fs::path& folder) {
    const fs::path tmp = folder / "tmp";
    struct stat owner {};
    if (::mkdir(tmp.c_str(), 0700) != 0 || ::stat(folder.c_str(), &owner) != 0) return;
    if ((owner.st_uid != ::geteuid() || owner.st_gid != ::getegid()) &&
        ::chown(tmp.c_str(), owner.st_uid, owner.st_gid) != 0) {
        // Not allowed to give it away: the directory stays the writer's,
        // which is no worse than having none.
        return;
    }
}

// Microseconds since 1970, moved on when this process handed out the same
// moment already.
std::int64_t UniqueStamp() {
    static std::mutex lock;
    static std::int64_t last = 0;
    timeval now{};
    gettimeofday(&now, nullptr);
    const std::lock_guard<std::mutex> guard(lock);
    last = std::max(last + 1, static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_usec);
    return last;
}

}  // namespace

fs::path NewWorkFile(const fs::path& folder, const std::string& replacedUnique) {
    MakeTmp(folder);
    const std::int64_t stamp = UniqueStamp();
    const std::string key = replacedUnique.empty() ? "-" : KeyOf(replacedUnique);
    return folder / "tmp" /
           (std::string(kPrefix) + std::to_string(stamp / 1'000'000) + ".M" + std::to_string(stamp % 1'000'000) + "P" +
            std::to_string(getpid()) + ".R" + key + "." + HostNamePart());
}

void RemoveAbandonedWorkFiles(const fs::path& folder) {
    const fs::path tmp = folder / "tmp";
    const std::int64_t now = ::time(nullptr);
    bool removed = false;
    std::error_code error;
    for (fs::directory_iterator it(tmp, error), end; !error && it != end; it.increment(error)) {
        const fs::path& file = it->path();
        const auto parsed = ParseWorkFileName(file.filename().string());
        struct stat info {};
        if (!parsed || !WriterIsGone(*parsed, now) || ::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        if (info.st_nlink > 1 && !parsed->key.empty()) RemoveReplacedMessage(folder, info, parsed->key);
        removed = ::unlink(file.c_str()) == 0 || removed;
    }
    if (removed) SyncDirectory(tmp);
}

void SyncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace mailstore::maildir
