#include "mailstore/Maildir.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>

namespace mailstore::maildir {

namespace {

constexpr int kMaxFolderDepth = 32;
constexpr std::int64_t kLastPlausibleSecond = 253402300799;  // 9999-12-31 23:59:59

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(fs::symlink_status(path, error));
}

bool IsReserved(const std::string& name) {
    return name.empty() || name.front() == '.' || name == "cur" || name == "new" || name == "tmp";
}

std::vector<fs::path> CandidateSubDirectories(const fs::path& dir) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        if (!IsReserved(path.filename().string()) && IsDirectory(path)) found.push_back(path);
    }
    return found;
}

bool HoldsFolder(const fs::path& dir, int depth) {
    if (IsMaildir(dir)) return true;
    if (depth >= kMaxFolderDepth) return false;
    const auto below = CandidateSubDirectories(dir);
    return std::any_of(below.begin(), below.end(), [&](const fs::path& sub) { return HoldsFolder(sub, depth + 1); });
}

bool ByFileName(const fs::path& a, const fs::path& b) {
    const std::string nameA = a.filename().string();
    const std::string nameB = b.filename().string();
    return nameA != nameB ? nameA < nameB : a < b;
}

std::string HostNamePart() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    std::string host(name.data());
    // '/' and ':' would break the file name and its info part.
    std::replace(host.begin(), host.end(), '/', '_');
    std::replace(host.begin(), host.end(), ':', '_');
    return host;
}

}  // namespace

bool IsMaildir(const fs::path& dir) { return IsDirectory(dir / "cur") && IsDirectory(dir / "new"); }

std::vector<fs::path> SubFolders(const fs::path& dir) {
    std::vector<fs::path> folders;
    for (const auto& sub : CandidateSubDirectories(dir)) {
        if (HoldsFolder(sub, 1)) folders.push_back(sub);
    }
    std::sort(folders.begin(), folders.end(), ByFileName);
    return folders;
}

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

fs::path NewTemporaryFile(const fs::path& folder) {
    static std::atomic<unsigned long> sequence{0};
    const fs::path tmp = folder / "tmp";
    std::error_code error;
    fs::create_directory(tmp, error);
    timeval now{};
    gettimeofday(&now, nullptr);
    const std::string name = std::to_string(now.tv_sec) + ".M" + std::to_string(now.tv_usec) + "P" +
                             std::to_string(getpid()) + "Q" + std::to_string(++sequence) + "." + HostNamePart();
    return tmp / name;
}

}  // namespace mailstore::maildir
