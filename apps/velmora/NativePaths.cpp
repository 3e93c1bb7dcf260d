#include "velmora/NativePaths.h"

#include <algorithm>
#include <filesystem>

#include "base/Exception.h"
#include "base/Utf16.h"

namespace velmora::cli {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsWindowsAbsolute(std::string_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':' &&
           (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

}  // namespace

posix::DriveMap WithRootDrive(posix::DriveMap drives) {
    if (drives.FromNative("/")) return drives;
    for (char16_t letter = u'Z'; letter >= u'A'; --letter) {
        if (!drives.Root(letter)) {
            drives.Map(letter, "/");
            return drives;
        }
    }
    throw Exception(u"Every drive letter is mapped already; none is left for the native file system \"/\"");
}

std::u16string ToEnginePath(std::string_view typed, const posix::DriveMap& drives) {
    if (typed.empty()) return {};
    if (IsWindowsAbsolute(typed)) {
        std::u16string path = FromUtf8(typed);
        std::replace(path.begin(), path.end(), u'/', u'\\');
        return path;
    }
    const std::filesystem::path native = std::filesystem::absolute(std::filesystem::path(typed));
    if (auto windows = drives.FromNative(native)) return *windows;
    throw Exception(u"The path " + FromUtf8(native.string()) + u" lies on no drive");
}

}  // namespace velmora::cli
