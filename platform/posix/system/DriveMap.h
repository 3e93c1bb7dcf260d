#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace posix {

// Drive letters mapped onto native directories, so that Windows paths have a
// place on a Linux machine.
//
// Rules:
// - A letter is A to Z in either case; each letter maps onto one directory,
//   kept as an absolute, lexically normal path. Mapping a letter again
//   replaces its directory.
// - ToNative takes an absolute Windows path ("X:\a\b", "X:/a/b", or "X:" for
//   the root; see ParseWindowsPath for "." and "..", which never leave the
//   drive's directory) and joins its names, as spelt, onto the drive's
//   directory. An unmapped drive or any other form of path gives nullopt.
//   It does not look at the disk: matching names without regard to letter
//   case is the file system's part (WindowsFileSystem::ToNative).
// - FromNative makes a native path absolute and lexically normal and gives
//   the Windows path under the drive whose directory is the longest leading
//   part of it, compared component by component (so /srv/cc is not under
//   /srv/c); when none matches, the same is tried once more with symbolic
//   links resolved on both sides. A directory outside every mapped drive has
//   no file-system path: nullopt.
// - FromEnvironment: VELMORA_DRIVES, when set, lists the mappings as
//   "C=/srv/c;D=/mnt/d" (entries that are not a letter, '=' and a directory
//   are ignored); otherwise C: and D: are the sub-directories "c" and "d" of
//   $VELMORA_DRIVES_ROOT, or of $XDG_DATA_HOME/velmora/drives, or of
//   ~/.local/share/velmora/drives, in that order of preference, and those
//   two directories are created when missing.
class DriveMap {
public:
    void Map(char16_t letter, const std::filesystem::path& directory);
    std::optional<std::filesystem::path> Root(char16_t letter) const;

    std::optional<std::filesystem::path> ToNative(std::u16string_view windowsPath) const;
    std::optional<std::u16string> FromNative(const std::filesystem::path& nativePath) const;

    static DriveMap FromEnvironment();

private:
    std::optional<std::u16string> FromNormalNative(const std::filesystem::path& nativePath, bool resolveLinks) const;

    std::map<char16_t, std::filesystem::path> roots_;
};

}  // namespace posix
