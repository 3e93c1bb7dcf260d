#pragma once

#include <string>
#include <string_view>

#include "com/ComTypes.h"

#ifndef _WIN32
// Length-prefixed strings of the automation protocol.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
#endif

namespace com {

// A BSTR's text; a null BSTR is the empty string.
std::u16string ToU16(BSTR text);
// A new BSTR holding the text; the caller frees it.
BSTR AllocBstr(std::u16string_view text);

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : value_(AllocBstr(text)) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(other.Detach()) {}
    Bstr& operator=(Bstr&& other) noexcept;
    ~Bstr() { SysFreeString(value_); }

    BSTR Get() const { return value_; }
    BSTR Detach();
    std::u16string Text() const { return ToU16(value_); }

private:
    BSTR value_ = nullptr;
};

}  // namespace com
