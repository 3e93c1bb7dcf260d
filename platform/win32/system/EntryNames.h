#pragma once

#include <string_view>

namespace win32 {

// Whether the text can be one entry's name in a directory, made relative to
// its handle: not empty, "." or "..", no separator, drive colon, wildcard,
// quote, pipe or control character, no trailing dot or blank (which the
// Win32 calls strip, so other programs could not open it), and no device
// name (CON, NUL, COM1, ... with or without an extension), which the Win32
// calls take for the device.
bool IsSingleName(std::u16string_view name);

}  // namespace win32
