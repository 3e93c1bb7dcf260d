#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "posix/system/DriveMap.h"

namespace posix {

// Finds names below root as Windows finds them: each name in turn is the
// entry of exactly that spelling when there is one, else the entry whose
// name equals it by velmora::SameText (the byte-wise smallest, should the
// directory hold several); a name that matches nothing is kept as given, and
// so is every name after it. Names on disk are UTF-8.
std::filesystem::path ResolveNames(const std::filesystem::path& root, const std::vector<std::u16string>& names);

// The native path of an absolute Windows path on a mapped drive, resolved by
// ResolveNames; nullopt where DriveMap::ToNative gives none.
std::optional<std::filesystem::path> ResolveWindowsPath(const DriveMap& drives, std::u16string_view path);

}  // namespace posix
