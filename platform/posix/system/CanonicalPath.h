#pragma once

#include <string>
#include <string_view>

#include "posix/system/DriveMap.h"

namespace posix {

// The Windows path with "." and ".." taken out by its names (never above
// the drive's root), then the longest leading part that exists resolved to
// where it really is (symbolic links followed, letter case as stored) and
// given back as a Windows path by the drive map, the names that do not exist
// following as given. A path on no mapped drive, or one that resolves to a
// place outside every drive, has only "." and ".." taken out; what is no
// absolute Windows path comes back as it is.
std::u16string CanonicalWindowsPath(const DriveMap& drives, std::u16string_view path);

}  // namespace posix
