#include "engine/ConfigText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include <fmt/format.h>

#include "base/Utf16.h"
#include "engine/ConfigError.h"

namespace velmora {

namespace {

// Blanks around the number are allowed, and a '+' sign, which from_chars refuses.
std::string NumberText(std::u16string_view text) {
    std::string narrow = ToUtf8(Trim(text));
    if (narrow.starts_with('+') && !narrow.starts_with("+-")) narrow.erase(0, 1);
    return narrow;
}

}  // namespace

std::u16string FloatToConfigText(long double value) {
    // Double carries the 15 significant digits written; fmt prints at least two exponent digits.
    const std::string scientific = fmt::format("{:.14E}", static_cast<double>(value));
    const std::string sign = std::signbit(value) ? "" : " ";
    const size_t e = scientific.find('E');
    if (e == std::string::npos) return FromUtf8(sign + scientific);  // INF, NAN
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    return FromUtf8(fmt::format("{}{}E{}{:04}", sign, scientific.substr(0, e), exponent < 0 ? '-' : '+',
                                std::abs(exponent)));
}

std::optional<long double> ConfigTextToFloat(std::u16string_view text) {
    const std::string number = NumberText(text);
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (number.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::u16string Int64ToConfigText(std::int64_t value) { return FromUtf8(std::to_string(value)); }

std::int64_t ConfigTextToInt64(std::u16string_view text) {
    const std::string number = NumberText(text);
    std::int64_t value = 0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value);
    if (number.empty() || error != std::errc() || stop != end)
        throw EConfigClass(u"'" + std::u16string(text) + u"' is not a valid integer value");
    return value;
}

}  // namespace velmora
