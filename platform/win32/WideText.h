#pragma once

#include <string>
#include <string_view>

namespace win32 {

// Host strings are UTF-16 in char16_t; the wide Win32 calls take the same
// code units as wchar_t, which is 16 bits wide on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

inline std::u16string FromWide(const wchar_t* text) {
    return text == nullptr ? std::u16string() : FromWide(std::wstring_view(text));
}

}  // namespace win32
