#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace posix {

// An absolute Windows path taken apart: the drive letter (upper case) and
// the names below the drive's root, in order.
struct WindowsPath {
    char16_t Drive = u'C';
    std::vector<std::u16string> Components;
};

// Accepts "X:\..." and "X:/..." (either separator anywhere, repeated
// separators count once) and "X:" alone for the drive's root. "." is
// dropped and ".." takes away the name before it, never going above the
// root. Anything else gives nullopt: a relative or drive-relative path
// ("a\b", "X:a"), a UNC or device path ("\\server\share"), or a name that
// Windows itself refuses (control characters, or one of < > : " | ? *).
std::optional<WindowsPath> ParseWindowsPath(std::u16string_view path);

// "X:\name\name", or "X:\" for the root.
std::u16string FormatWindowsPath(const WindowsPath& path);

}  // namespace posix
