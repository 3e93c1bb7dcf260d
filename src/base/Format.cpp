#include "base/Format.h"

#include <vector>

namespace velmora {

std::u16string Format(std::u16string_view pattern, std::initializer_list<FormatArg> args) {
    std::vector<FormatArg> values(args);
    size_t next = 0;
    std::u16string out;
    out.reserve(pattern.size() + 32);
    for (size_t i = 0; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        char16_t placeholder = pattern[i + 1];
        if (placeholder == u'%') {
            out += u'%';
            ++i;
        } else if ((placeholder == u's' || placeholder == u'd') && next < values.size()) {
            const FormatArg& arg = values[next++];
            if (const auto* text = std::get_if<std::u16string_view>(&arg)) {
                out += *text;
            } else {
                for (char ch : std::to_string(std::get<std::int64_t>(arg))) out += static_cast<char16_t>(ch);
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace velmora
