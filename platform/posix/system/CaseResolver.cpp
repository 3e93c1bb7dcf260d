#include "posix/system/CaseResolver.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

#include "base/Utf16.h"
#include "posix/system/WindowsPath.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

bool Exists(const fs::path& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// The stored spelling of name in directory, or nullopt when nothing there matches.
std::optional<std::string> MatchIgnoringCase(const fs::path& directory, std::u16string_view name) {
    std::unique_ptr<DIR, DirectoryCloser> listing(opendir(directory.c_str()));
    if (!listing) return std::nullopt;
    // The letter-case mapping keeps every character's UTF-8 length, so only
    // names of the same byte length can match: the rest need no conversion.
    const std::size_t length = velmora::ToUtf8(name).size();
    std::optional<std::string> best;
    while (const dirent* entry = readdir(listing.get())) {
        const std::string_view stored(entry->d_name);
        if (stored.size() != length || stored == "." || stored == "..") continue;
        if (velmora::SameText(velmora::FromUtf8(stored), name) && (!best || stored < *best)) best = std::string(stored);
    }
    return best;
}

}  // namespace

fs::path ResolveNames(const fs::path& root, const std::vector<std::u16string>& names) {
    fs::path current = root;
    bool onDisk = true;
    for (const std::u16string& name : names) {
        const std::string asGiven = velmora::ToUtf8(name);
        if (onDisk && !Exists(current / asGiven)) {
            if (std::optional<std::string> stored = MatchIgnoringCase(current, name)) {
                current /= *stored;
                continue;
            }
            onDisk = false;
        }
        current /= asGiven;
    }
    return current;
}

std::optional<fs::path> ResolveWindowsPath(const DriveMap& drives, std::u16string_view path) {
    const std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return std::nullopt;
    const std::optional<fs::path> root = drives.Root(parsed->Drive);
    if (!root) return std::nullopt;
    return ResolveNames(*root, parsed->Components);
}

}  // namespace posix
