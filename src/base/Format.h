#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// One argument of Format: a text for %s, a number for %d.
using FormatArg = std::variant<std::u16string_view, std::int64_t>;

// The message texts of the system use %s and %d placeholders, filled in
// order; %% is a percent sign. A placeholder without an argument stays as it is.
std::u16string Format(std::u16string_view pattern, std::initializer_list<FormatArg> args);

}  // namespace velmora
