#include "win32/system/TemporaryNames.h"

#include <atomic>
#include <random>

namespace win32 {

namespace {

constexpr std::u16string_view kPrefix = u".~velmora-";
constexpr std::u16string_view kSuffix = u".tmp";
constexpr std::size_t kUniqueDigits = 16;

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); }

std::uint64_t ProcessSeed() {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

std::u16string HexDigits(std::uint64_t value) {
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string digits;
    for (int shift = 60; shift >= 0; shift -= 4) digits += kDigits[(value >> shift) & 0xF];
    return digits;
}

}  // namespace

std::u16string TemporaryFileName(DWORD processId, std::uint64_t unique) {
    std::u16string name(kPrefix);
    for (char c : std::to_string(processId)) name += static_cast<char16_t>(c);
    return name + u"-" + HexDigits(unique) + std::u16string(kSuffix);
}

std::u16string InterimFileName(std::uint64_t unique) { return std::u16string(kPrefix) + u"rename-" + HexDigits(unique); }

std::optional<DWORD> TemporaryFileOwner(std::u16string_view name) {
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    name.remove_suffix(kSuffix.size());
    const std::size_t dash = name.find(u'-');
    if (dash == std::u16string_view::npos || dash == 0 || dash > 10) return std::nullopt;
    const std::u16string_view unique = name.substr(dash + 1);
    if (unique.size() != kUniqueDigits) return std::nullopt;
    for (char16_t c : unique) {
        if (!IsHexDigit(c)) return std::nullopt;
    }
    std::uint64_t id = 0;
    for (char16_t c : name.substr(0, dash)) {
        if (c < u'0' || c > u'9') return std::nullopt;
        id = id * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    if (id == 0 || id > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<DWORD>(id);
}

std::uint64_t NextTemporaryUnique() {
    static const std::uint64_t seed = ProcessSeed();
    static std::atomic<std::uint64_t> counter{0};
    // An odd multiplier is a bijection: distinct counts give distinct parts.
    return seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
}

}  // namespace win32
