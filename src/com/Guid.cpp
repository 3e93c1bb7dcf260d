#include "com/Guid.h"

namespace com {

namespace {

void AppendHex(std::u16string& out, std::uint64_t value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

std::optional<std::uint64_t> ParseHex(std::u16string_view text) {
    std::uint64_t value = 0;
    for (char16_t c : text) {
        int digit = (c >= u'0' && c <= u'9')   ? c - u'0'
                    : (c >= u'a' && c <= u'f') ? c - u'a' + 10
                    : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                               : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

}  // namespace

std::u16string GuidToString(const GUID& guid) {
    std::u16string out = u"{";
    AppendHex(out, guid.Data1, 8);
    out += u'-';
    AppendHex(out, guid.Data2, 4);
    out += u'-';
    AppendHex(out, guid.Data3, 4);
    out += u'-';
    AppendHex(out, guid.Data4[0], 2);
    AppendHex(out, guid.Data4[1], 2);
    out += u'-';
    for (int i = 2; i < 8; ++i) AppendHex(out, guid.Data4[i], 2);
    out += u'}';
    return out;
}

std::optional<GUID> GuidFromString(std::u16string_view text) {
    // {8-4-4-4-12}
    if (text.size() != 38 || text.front() != u'{' || text.back() != u'}' || text[9] != u'-' || text[14] != u'-' ||
        text[19] != u'-' || text[24] != u'-') {
        return std::nullopt;
    }
    auto d1 = ParseHex(text.substr(1, 8));
    auto d2 = ParseHex(text.substr(10, 4));
    auto d3 = ParseHex(text.substr(15, 4));
    auto d4a = ParseHex(text.substr(20, 4));
    auto d4b = ParseHex(text.substr(25, 12));
    if (!d1 || !d2 || !d3 || !d4a || !d4b) return std::nullopt;
    GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(*d1);
    guid.Data2 = static_cast<std::uint16_t>(*d2);
    guid.Data3 = static_cast<std::uint16_t>(*d3);
    guid.Data4[0] = static_cast<std::uint8_t>(*d4a >> 8);
    guid.Data4[1] = static_cast<std::uint8_t>(*d4a);
    for (int i = 0; i < 6; ++i) guid.Data4[2 + i] = static_cast<std::uint8_t>(*d4b >> (40 - 8 * i));
    return guid;
}

}  // namespace com
