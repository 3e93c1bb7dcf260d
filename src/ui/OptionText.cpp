#include "ui/OptionText.h"

#include <limits>

#include "base/Utf16.h"

namespace velmora {

std::u16string NormalizeExtensionList(std::u16string_view typed) {
    std::u16string list = Trim(typed);
    for (char16_t& c : list) {
        if (c == u',') c = u';';
    }
    std::size_t i = 0;
    while (i < list.size()) {
        const char16_t c = list[i];
        if (c == u' ' || c == u'*') {
            list.erase(i, 1);
            continue;
        }
        if ((i == 0 || list[i - 1] == u';') && c != u'.') list.insert(i, 1, u'.');
        ++i;
    }
    return list;
}

std::optional<std::int32_t> ParseInteger(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    if (i == text.size()) return std::nullopt;
    // Accumulated as a magnitude that may reach 2^31 for the lowest value.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        magnitude = magnitude * 10 + (text[i] - u'0');
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::u16string WithFinalBackslash(std::u16string directory) {
    if (directory.empty() || directory.back() != u'\\') directory += u'\\';
    return directory;
}

}  // namespace velmora
