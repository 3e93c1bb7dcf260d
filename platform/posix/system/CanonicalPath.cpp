#include "posix/system/CanonicalPath.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "posix/system/CaseResolver.h"
#include "posix/system/WindowsPath.h"

namespace posix {

namespace {

namespace fs = std::filesystem;

struct FreeDeleter {
    void operator()(char* text) const { std::free(text); }
};

std::optional<fs::path> RealPath(const fs::path& path) {
    const std::unique_ptr<char, FreeDeleter> resolved(realpath(path.c_str(), nullptr));
    if (!resolved) return std::nullopt;
    return fs::path(resolved.get());
}

}  // namespace

std::u16string CanonicalWindowsPath(const DriveMap& drives, std::u16string_view path) {
    const std::optional<WindowsPath> parsed = ParseWindowsPath(path);
    if (!parsed) return std::u16string(path);
    const std::optional<fs::path> root = drives.Root(parsed->Drive);
    if (!root) return FormatWindowsPath(*parsed);

    // The names below the root with the stored spelling where they exist.
    const fs::path native = ResolveNames(*root, parsed->Components);
    std::vector<fs::path> names;
    for (const fs::path& name : native.lexically_relative(*root)) {
        if (!name.empty() && name != ".") names.push_back(name);
    }
    for (std::size_t existing = names.size() + 1; existing-- > 0;) {
        fs::path prefix = *root;
        for (std::size_t i = 0; i < existing; ++i) prefix /= names[i];
        std::optional<fs::path> resolved = RealPath(prefix);
        if (!resolved) continue;
        for (std::size_t i = existing; i < names.size(); ++i) *resolved /= names[i];
        if (std::optional<std::u16string> windows = drives.FromNative(*resolved)) return *windows;
        break;
    }
    return FormatWindowsPath(*parsed);
}

}  // namespace posix
