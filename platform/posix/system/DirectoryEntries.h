#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace posix {

// The names of every entry of the directory held open as directory, "." and
// ".." left out; nullopt when it cannot be read. The descriptor itself is
// left where it was.
std::optional<std::vector<std::string>> EntryNamesAt(int directory);

// The stored spelling of the entry whose name equals name by
// velmora::SameText (names on disk are UTF-8), the byte-wise smallest should
// several match; nullopt when none does.
std::optional<std::string> MatchIgnoringCaseAt(int directory, std::u16string_view name);

}  // namespace posix
