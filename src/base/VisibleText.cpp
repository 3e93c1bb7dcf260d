#include "base/VisibleText.h"


namespace velmora {

namespace {

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsBidiOverride(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

std::u16string Hex(unsigned value, int digits) {
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string text(static_cast<std::size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

void AppendVisible(std::u16string& out, char16_t c) {
    switch (c) {
        case u'\n': out += u"\\n"; return;
        case u'\r': out += u"\\r"; return;
        case u'\t': out += u"\\t"; return;
        default: break;
    }
    if (IsControl(c)) {
        out += u"\\x" + Hex(c, 2);
    } else if (IsBidiOverride(c)) {
        out += u"\\u" + Hex(c, 4);
    } else {
        out += c;
    }
}

}  // namespace

std::u16string VisibleControls(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) AppendVisible(out, c);
    return out;
}

std::u16string VisibleControlsKeepingLines(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool lineBreak = text[i] == u'\n' || (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n');
        if (lineBreak) {
            out += text[i];
        } else {
            AppendVisible(out, text[i]);
        }
    }
    return out;
}

}  // namespace velmora
