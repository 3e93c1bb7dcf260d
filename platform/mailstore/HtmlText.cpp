#include "mailstore/HtmlText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "base/Utf16.h"

namespace mailstore {

namespace {

constexpr std::string_view kSkippedElements[] = {"head", "script", "style", "title"};
constexpr std::string_view kBlockElements[] = {"br", "p", "div", "tr", "li", "table", "blockquote", "pre",
                                               "h1", "h2", "h3", "h4", "h5", "h6", "hr", "ul", "ol"};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool Contains(const auto& list, std::string_view name) {
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Finds wanted (lower case) in text without regard to ASCII letter case.
std::size_t FindNoCase(std::string_view text, std::string_view wanted, std::size_t from = 0) {
    for (std::size_t i = from; i + wanted.size() <= text.size(); ++i) {
        std::size_t matched = 0;
        while (matched < wanted.size() && LowerChar(text[i + matched]) == wanted[matched]) ++matched;
        if (matched == wanted.size()) return i;
    }
    return std::string_view::npos;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Resolves the entity at html[at] ('&'); returns how many characters it took,
// 0 when it is no entity this knows.
std::size_t AppendEntity(std::string_view html, std::size_t at, std::string& out) {
    const auto end = html.find(';', at);
    if (end == std::string_view::npos || end - at > 12) return 0;
    const std::string name = AsciiLower(html.substr(at + 1, end - at - 1));
    static constexpr std::pair<std::string_view, std::uint32_t> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    for (const auto& [entity, code] : kNamed) {
        if (name == entity) {
            AppendUtf8(out, code);
            return end - at + 1;
        }
    }
    if (name.size() < 2 || name[0] != '#') return 0;
    const bool hex = name[1] == 'x';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return 0;
    char* stop = nullptr;
    const unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
    if (*stop != '\0') return 0;
    AppendUtf8(out, static_cast<std::uint32_t>(code));
    return end - at + 1;
}

std::string TagName(std::string_view tag) {
    std::size_t i = 0;
    while (i < tag.size() && tag[i] == '/') ++i;
    std::size_t end = i;
    while (end < tag.size() && !IsSpace(tag[end]) && tag[end] != '/' && tag[end] != '>') ++end;
    return AsciiLower(tag.substr(i, end - i));
}

// At most one empty line in a row, as paragraphs show.
void AppendLineBreak(std::string& out) {
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\n\n") != 0) out += '\n';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

bool IsUriText(std::u16string_view uri) {
    for (const char16_t c : uri) {
        if (c < 0x20 || c == 0x7F || c == u'<') return false;
    }
    return true;
}

// The URI as an attribute value: what a URI may not hold percent-encoded
// (UTF-8), '&' as an entity.
std::string HrefOf(std::u16string_view uri) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string href;
    for (const char c : velmora::ToUtf8(uri)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>') {
            href += '%';
            href += kDigits[byte >> 4];
            href += kDigits[byte & 0xF];
        } else if (c == '&') {
            href += "&amp;";
        } else {
            href += c;
        }
    }
    return href;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (auto& c : lower) c = LowerChar(c);
    return lower;
}

std::u16string HtmlToText(std::string_view html) {
    std::string out;
    bool pendingSpace = false;
    for (std::size_t i = 0; i < html.size();) {
        const char c = html[i];
        if (c == '<') {
            if (html.substr(i, 4) == "<!--") {
                const auto end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const auto close = html.find('>', i + 1);
            if (close == std::string_view::npos) break;
            const std::string_view tag = html.substr(i + 1, close - i - 1);
            const std::string name = TagName(tag);
            i = close + 1;
            if (tag.empty() || tag[0] != '/') {
                if (Contains(kSkippedElements, name)) {
                    const auto end = FindNoCase(html, "</" + name, i);
                    const auto endClose = end == std::string_view::npos ? end : html.find('>', end);
                    i = endClose == std::string_view::npos ? html.size() : endClose + 1;
                    continue;
                }
            }
            if (Contains(kBlockElements, name)) {
                AppendLineBreak(out);
                pendingSpace = false;
            }
            continue;
        }
        if (IsSpace(c)) {
            pendingSpace = true;
            ++i;
            continue;
        }
        if (pendingSpace && !out.empty() && out.back() != '\n') out += ' ';
        pendingSpace = false;
        if (c == '&') {
            if (const auto used = AppendEntity(html, i, out)) {
                i += used;
                continue;
            }
        }
        out += c;
        ++i;
    }
    const auto first = out.find_first_not_of('\n');
    out.erase(0, first == std::string::npos ? out.size() : first);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    std::string crlf;
    for (const char ch : out) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
    }
    return velmora::FromUtf8(crlf);
}

std::string EscapeHtml(std::u16string_view text) {
    std::string html;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        switch (c) {
        case u'&': html += "&amp;"; break;
        case u'<': html += "&lt;"; break;
        case u'>': html += "&gt;"; break;
        case u'"': html += "&quot;"; break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            html += "<br>\n";
            break;
        case u'\n': html += "<br>\n"; break;
        default:
            if (c < 0x80) {
                html += static_cast<char>(c);
            } else {
                std::uint32_t code = c;
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                    code = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                    ++i;
                }
                html += "&#" + std::to_string(code) + ";";
            }
        }
    }
    return html;
}

std::string TextAsHtml(std::u16string_view text) {
    static constexpr std::u16string_view kOpening = u"<file:";
    std::string html;
    std::size_t done = 0;
    for (std::size_t at = text.find(kOpening); at != std::u16string_view::npos; at = text.find(kOpening, at + 1)) {
        const std::size_t close = text.find(u'>', at);
        if (close == std::u16string_view::npos) break;
        const std::u16string_view uri = text.substr(at + 1, close - at - 1);
        if (!IsUriText(uri)) continue;
        html += EscapeHtml(text.substr(done, at - done));
        html += "&lt;<a href=\"" + HrefOf(uri) + "\">" + EscapeHtml(uri) + "</a>&gt;";
        done = close + 1;
        at = close;
    }
    return html + EscapeHtml(text.substr(done));
}

std::size_t BodyStart(std::string_view html) {
    for (std::size_t at = FindNoCase(html, "<body"); at != std::string_view::npos; at = FindNoCase(html, "<body", at + 1)) {
        const std::size_t after = at + 5;
        if (after < html.size() && (html[after] == '>' || IsSpace(html[after]))) {
            const auto close = html.find('>', after);
            return close == std::string_view::npos ? html.size() : close + 1;
        }
    }
    const auto headEnd = FindNoCase(html, "</head>");
    return headEnd == std::string_view::npos ? 0 : headEnd + 7;
}

std::set<std::string> ContentIdReferences(std::string_view html) {
    static constexpr std::string_view kStops = "\"'<>() \t\r\n";
    std::set<std::string> ids;
    for (std::size_t at = FindNoCase(html, "cid:"); at != std::string_view::npos; at = FindNoCase(html, "cid:", at + 4)) {
        std::size_t end = at + 4;
        while (end < html.size() && kStops.find(html[end]) == std::string_view::npos) ++end;
        const std::string id = AsciiLower(PercentDecoded(html.substr(at + 4, end - at - 4)));
        if (!id.empty()) ids.insert(id);
    }
    return ids;
}

}  // namespace mailstore
