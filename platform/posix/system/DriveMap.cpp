#include "posix/system/DriveMap.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "base/Utf16.h"
#include "posix/system/WindowsPath.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

std::optional<char16_t> DriveLetter(char16_t letter) {
    const char16_t upper = velmora::UpperChar(letter);
    if (upper < u'A' || upper > u'Z') return std::nullopt;
    return upper;
}

fs::path Normal(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    fs::path normal = absolute.lexically_normal();
    // "/srv/c/" and "/srv/c" name the same directory.
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal;
}

fs::path WithLinksResolved(const fs::path& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    return error ? path : resolved;
}

// The names of path below base, or nullopt when base is not a leading part.
std::optional<std::vector<fs::path>> NamesBelow(const fs::path& base, const fs::path& path) {
    auto baseIt = base.begin();
    auto pathIt = path.begin();
    for (; baseIt != base.end(); ++baseIt, ++pathIt) {
        if (pathIt == path.end() || *baseIt != *pathIt) return std::nullopt;
    }
    std::vector<fs::path> names;
    for (; pathIt != path.end(); ++pathIt) {
        if (!pathIt->empty()) names.push_back(*pathIt);
    }
    return names;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

fs::path DefaultDrivesRoot() {
    if (std::string root = Environment("VELMORA_DRIVES_ROOT"); !root.empty()) return root;
    if (std::string data = Environment("XDG_DATA_HOME"); !data.empty()) return fs::path(data) / "velmora" / "drives";
    return fs::path(Environment("HOME")) / ".local" / "share" / "velmora" / "drives";
}

}  // namespace

void DriveMap::Map(char16_t letter, const fs::path& directory) {
    const std::optional<char16_t> drive = DriveLetter(letter);
    if (!drive) throw velmora::Exception(u"A drive letter must be one of A to Z");
    roots_[*drive] = Normal(directory);
}

std::optional<fs::path> DriveMap::Root(char16_t letter) const {
    const std::optional<char16_t> drive = DriveLetter(letter);
    if (!drive) return std::nullopt;
    const auto found = roots_.find(*drive);
    if (found == roots_.end()) return std::nullopt;
    return found->second;
}

std::optional<fs::path> DriveMap::ToNative(std::u16string_view windowsPath) const {
    const std::optional<WindowsPath> parsed = ParseWindowsPath(windowsPath);
    if (!parsed) return std::nullopt;
    std::optional<fs::path> native = Root(parsed->Drive);
    if (!native) return std::nullopt;
    for (const std::u16string& name : parsed->Components) *native /= velmora::ToUtf8(name);
    return native;
}

std::optional<std::u16string> DriveMap::FromNative(const fs::path& nativePath) const {
    const fs::path normal = Normal(nativePath);
    if (std::optional<std::u16string> found = FromNormalNative(normal, false)) return found;
    return FromNormalNative(WithLinksResolved(normal), true);
}

std::optional<std::u16string> DriveMap::FromNormalNative(const fs::path& nativePath, bool resolveLinks) const {
    const std::pair<const char16_t, fs::path>* best = nullptr;
    std::vector<fs::path> bestNames;
    std::size_t bestDepth = 0;
    for (const auto& entry : roots_) {
        const fs::path root = resolveLinks ? WithLinksResolved(entry.second) : entry.second;
        std::optional<std::vector<fs::path>> names = NamesBelow(root, nativePath);
        const std::size_t depth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
        if (names && (best == nullptr || depth > bestDepth)) {
            best = &entry;
            bestNames = std::move(*names);
            bestDepth = depth;
        }
    }
    if (best == nullptr) return std::nullopt;
    WindowsPath windows{best->first, {}};
    for (const fs::path& name : bestNames) windows.Components.push_back(velmora::FromUtf8(name.native()));
    return FormatWindowsPath(windows);
}

DriveMap DriveMap::FromEnvironment() {
    DriveMap drives;
    if (const char* listed = std::getenv("VELMORA_DRIVES"); listed != nullptr) {
        const std::string_view text(listed);
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find(';', start);
            if (end == std::string_view::npos) end = text.size();
            const std::string_view entry = text.substr(start, end - start);
            start = end + 1;
            if (entry.size() < 3 || entry[1] != '=') continue;
            const char16_t letter = static_cast<unsigned char>(entry[0]);
            if (DriveLetter(letter)) drives.Map(letter, fs::path(entry.substr(2)));
        }
        return drives;
    }
    const fs::path root = DefaultDrivesRoot();
    for (const auto& [letter, name] : {std::pair{u'C', "c"}, std::pair{u'D', "d"}}) {
        std::error_code ignored;  // a drive that cannot be made fails at its first use
        fs::create_directories(root / name, ignored);
        drives.Map(letter, root / name);
    }
    return drives;
}

}  // namespace posix
