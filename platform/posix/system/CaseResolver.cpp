#include "posix/system/CaseResolver.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "base/Utf16.h"
#include "posix/system/Descriptor.h"
#include "posix/system/DirectoryEntries.h"
#include "posix/system/WindowsPath.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

// The stored spelling of name in directory, or nullopt when nothing there matches.
std::optional<std::string> MatchIgnoringCase(const fs::path& directory, std::u16string_view name) {
    const Descriptor held(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!held.Valid()) return std::nullopt;
    return MatchIgnoringCaseAt(held.Get(), name);
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
