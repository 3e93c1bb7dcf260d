#pragma once

// The text forms of the values the settings store keeps as strings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A float as stored: a blank or a minus sign, one digit, a point, 14
// digits, "E", the exponent's sign and four digits (23 characters).
std::u16string FloatToConfigText(long double value);
// The stored text back as a number, with a point whatever the locale; none
// when the text is no number.
std::optional<long double> ConfigTextToFloat(std::u16string_view text);

std::u16string Int64ToConfigText(std::int64_t value);
// EConfigClass "'<text>' is not a valid integer value" when the text is no
// decimal 64-bit integer.
std::int64_t ConfigTextToInt64(std::u16string_view text);

}  // namespace velmora
