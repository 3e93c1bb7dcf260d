#pragma once

// How the main dialog reads and rewrites the texts typed into its fields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The extension filter as the engine matches it: entries ".ext" separated
// by ";". Blanks at both ends go, "," becomes ";", every blank and "*" is
// dropped, and an entry that does not start with "." gets one.
std::u16string NormalizeExtensionList(std::u16string_view typed);

// A decimal 32-bit integer, optionally signed, after optional leading
// blanks; none for anything else (trailing characters, overflow, empty).
std::optional<std::int32_t> ParseInteger(std::u16string_view text);

// The directory with one final backslash, added when it has none.
std::u16string WithFinalBackslash(std::u16string directory);

}  // namespace velmora
