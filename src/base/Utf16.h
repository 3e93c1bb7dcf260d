#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Conversions at the boundary to UTF-8 (system calls, terminals). Invalid
// input never throws: broken sequences become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Letter case as Windows file names and registry keys compare it: simple
// one-to-one mappings (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
char16_t UpperChar(char16_t c);
char16_t LowerChar(char16_t c);
std::u16string UpperCase(std::u16string_view text);
std::u16string LowerCase(std::u16string_view text);
bool SameText(std::u16string_view a, std::u16string_view b);

// Blanks (and control characters) removed at both ends, as the dialogs trim.
std::u16string Trim(std::u16string_view text);

}  // namespace velmora
