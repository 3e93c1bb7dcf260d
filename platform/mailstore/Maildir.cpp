#include "mailstore/Maildir.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <mutex>
#include <system_error>

namespace mailstore::maildir {

namespace {

constexpr std::int64_t kLastPlausibleSecond = 253402300799;  // 9999-12-31 23:59:59
constexpr char kInfo[] = ":2,";

bool ByFileName(const fs::path& a, const fs::path& b) {
    const std::string nameA = a.filename().string();
    const std::string nameB = b.filename().string();
    return nameA != nameB ? nameA < nameB : a < b;
}

std::string ReadHostName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    std::string host(name.data());
    // '/' and ':' would break the file name and its info part, ',' its fields.
    std::replace(host.begin(), host.end(), '/', '_');
    std::replace(host.begin(), host.end(), ':', '_');
    std::replace(host.begin(), host.end(), ',', '_');
    return host;
}

// The clock's microseconds, moved on when this process handed out the same
// moment already.
std::int64_t UniqueMicroseconds() {
    static std::mutex lock;
    static std::int64_t last = 0;
    timeval now{};
    gettimeofday(&now, nullptr);
    const std::int64_t stamp = static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_usec;
    const std::lock_guard<std::mutex> guard(lock);
    last = std::max(last + 1, stamp);
    return last % 1'000'000;
}

}  // namespace

std::vector<fs::path> MessageFiles(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const char* sub : {"cur", "new"}) {
        std::error_code error;
        for (fs::directory_iterator it(dir / sub, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (!name.empty() && name.front() != '.' && it->is_regular_file(typeError)) files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end(), ByFileName);
    return files;
}

fs::path FolderOf(const fs::path& messageFile) { return messageFile.parent_path().parent_path(); }

std::string UniqueName(const std::string& fileName) { return fileName.substr(0, fileName.find(':')); }

std::string Flags(const std::string& fileName) {
    const auto info = fileName.find(kInfo);
    return info == std::string::npos ? std::string() : fileName.substr(info + sizeof(kInfo) - 1);
}

std::optional<fs::path> Locate(const fs::path& messageFile) {
    std::error_code error;
    if (fs::is_regular_file(messageFile, error)) return messageFile;
    const std::string unique = UniqueName(messageFile.filename().string());
    for (const char* sub : {"cur", "new"}) {
        for (fs::directory_iterator it(FolderOf(messageFile) / sub, error), end; !error && it != end;
             it.increment(error)) {
            if (UniqueName(it->path().filename().string()) == unique) return it->path();
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> DeliveryTime(const std::string& fileName) {
    std::int64_t seconds = 0;
    std::size_t digits = 0;
    for (; digits < fileName.size() && fileName[digits] >= '0' && fileName[digits] <= '9'; ++digits) {
        if (digits == 12) return std::nullopt;
        seconds = seconds * 10 + (fileName[digits] - '0');
    }
    if (digits == 0 || digits == fileName.size() || fileName[digits] != '.') return std::nullopt;
    if (seconds <= 0 || seconds > kLastPlausibleSecond) return std::nullopt;
    return seconds;
}

const std::string& HostNamePart() {
    static const std::string host = ReadHostName();
    return host;
}

std::string NewMessageName(std::int64_t seconds, std::uint64_t size, std::string_view flags) {
    return std::to_string(seconds) + ".M" + std::to_string(UniqueMicroseconds()) + "P" + std::to_string(getpid()) +
           "." + HostNamePart() + ",S=" + std::to_string(size) + kInfo + std::string(flags);
}

}  // namespace mailstore::maildir
