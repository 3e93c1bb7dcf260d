#include "mailstore/ModifiedUtf7.h"

#include <cstdint>

namespace mailstore {

namespace {

// The value of a character of the modified base64 alphabet (',' in place of '/').
std::optional<std::uint32_t> SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint32_t>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == ',') return 63;
    return std::nullopt;
}

bool IsPrintableAscii(char c) { return c >= 0x20 && c <= 0x7E; }

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes a shifted run (what stands between '&' and '-') onto out.
bool DecodeShifted(std::string_view run, std::u16string& out) {
    std::uint32_t bits = 0;
    int count = 0;
    std::u16string units;
    for (const char c : run) {
        const auto sextet = SextetOf(c);
        if (!sextet) return false;
        bits = (bits << 6) | *sextet;
        count += 6;
        if (count >= 16) {
            count -= 16;
            units.push_back(static_cast<char16_t>((bits >> count) & 0xFFFF));
        }
    }
    // What is left over is padding: fewer than six bits, all zero.
    if (units.empty() || count >= 6 || (bits & ((1u << count) - 1)) != 0) return false;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        // Printable ASCII stands for itself; control characters make no name.
        if (unit < 0xA0) return false;
        if (IsLowSurrogate(unit)) return false;
        if (IsHighSurrogate(unit)) {
            if (i + 1 == units.size() || !IsLowSurrogate(units[i + 1])) return false;
            ++i;
        }
    }
    out += units;
    return true;
}

}  // namespace

std::optional<std::u16string> DecodeModifiedUtf7(std::string_view text) {
    std::u16string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!IsPrintableAscii(c)) return std::nullopt;
        if (c != '&') {
            decoded.push_back(static_cast<char16_t>(c));
            continue;
        }
        const std::size_t end = text.find('-', i + 1);
        if (end == std::string_view::npos) return std::nullopt;
        if (end == i + 1) {
            decoded.push_back(u'&');
        } else if (!DecodeShifted(text.substr(i + 1, end - i - 1), decoded)) {
            return std::nullopt;
        }
        i = end;
    }
    return decoded;
}

}  // namespace mailstore
