#pragma once

#include <string>
#include <string_view>

#include "posix/system/DriveMap.h"

namespace posix {

// The file URI of a Windows path on a mapped drive: "file://" and the native
// absolute path (names matched as the file system matches them), its UTF-8
// bytes percent-encoded but for the unreserved characters (letters, digits,
// '-', '.', '_', '~') and '/'. A path on no mapped drive gives "file://" and
// the path as it is.
std::u16string FileUriOf(const DriveMap& drives, std::u16string_view path);

}  // namespace posix
