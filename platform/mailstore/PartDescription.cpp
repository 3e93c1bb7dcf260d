#include "mailstore/PartDescription.h"

#include <algorithm>
#include <cstdlib>

#include "mailstore/HtmlText.h"

namespace mailstore {

namespace {

constexpr std::string_view kFormLine = "mime-part 1";
constexpr std::string_view kPlaceKey = "place";
constexpr std::string_view kHeaderKey = "header ";
constexpr std::size_t kMaxText = 256 * 1024;
constexpr std::size_t kMaxHeaders = 128;
constexpr std::size_t kMaxNameLength = 200;
constexpr std::size_t kMaxPlaceDepth = 64;
constexpr std::size_t kMaxIndexDigits = 6;

bool NeedsEscape(unsigned char c) { return c < 0x20 || c >= 0x7F || c == '%'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Escaped(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            escaped += '%';
            escaped += kDigits[byte >> 4];
            escaped += kDigits[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (NeedsEscape(c)) {
            return std::nullopt;
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

bool IsFieldName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (const char c : name) {
        if (c < 33 || c > 126 || c == ':') return false;
    }
    return true;
}

// Lines that end in a line break, each after the first continuing the field
// (a blank first, and more than blanks: a blank line could end the header).
bool IsRawValue(std::string_view value) {
    if (value.empty() || value.back() != '\n') return false;
    bool first = true;
    while (!value.empty()) {
        const auto end = value.find('\n');
        std::string_view line = value.substr(0, end);
        value.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!first && (line.empty() || (line.front() != ' ' && line.front() != '\t') ||
                       line.find_first_not_of(" \t") == std::string_view::npos)) {
            return false;
        }
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\t') || byte == 0x7F) return false;
        }
        first = false;
    }
    return true;
}

std::optional<std::vector<int>> ParsePlace(std::string_view text) {
    std::vector<int> place;
    if (text.empty()) return place;
    if (text.front() != ' ') return std::nullopt;
    text.remove_prefix(1);
    while (true) {
        const auto end = text.find('.');
        const std::string_view digits = text.substr(0, end);
        if (digits.empty() || digits.size() > kMaxIndexDigits || place.size() == kMaxPlaceDepth ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        place.push_back(std::atoi(std::string(digits).c_str()));
        if (end == std::string_view::npos) return place;
        text.remove_prefix(end + 1);
    }
}

// A part read with two of a field that makes it what it is would be
// written with both, and read back as whichever its reader takes.
bool DefinesPartOnce(const std::vector<StoredHeader>& headers) {
    for (const std::string_view name :
         {"content-type", "content-disposition", "content-transfer-encoding", "content-id"}) {
        const auto count = std::count_if(headers.begin(), headers.end(),
                                         [&](const StoredHeader& header) { return AsciiLower(header.Name) == name; });
        if (count > 1) return false;
    }
    return true;
}

std::optional<StoredHeader> ParseHeader(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || !IsFieldName(text.substr(0, colon))) return std::nullopt;
    auto value = Unescaped(text.substr(colon + 1));
    if (!value || !IsRawValue(*value)) return std::nullopt;
    return StoredHeader{std::string(text.substr(0, colon)), std::move(*value)};
}

}  // namespace

std::vector<StoredHeader> HeadersOf(GMimeObject* part) {
    std::vector<StoredHeader> headers;
    GMimeHeaderList* list = g_mime_object_get_header_list(part);
    for (int i = 0; list != nullptr && i < g_mime_header_list_get_count(list); ++i) {
        GMimeHeader* header = g_mime_header_list_get_header_at(list, i);
        const char* name = g_mime_header_get_raw_name(header);
        const char* raw = g_mime_header_get_raw_value(header);
        if (name == nullptr || raw == nullptr) continue;
        // A field GMime formatted itself may lack the line end that a stored one has.
        std::string value(raw);
        if (value.empty() || value.back() != '\n') value += '\n';
        headers.push_back({name, std::move(value)});
    }
    return headers;
}

std::optional<std::string> HeaderValue(const std::vector<StoredHeader>& headers, std::string_view name) {
    const std::string wanted = AsciiLower(name);
    for (const auto& header : headers) {
        if (AsciiLower(header.Name) != wanted) continue;
        std::string value;
        for (const char c : header.RawValue) {
            if (c != '\r' && c != '\n') value += c;
        }
        const auto start = value.find_first_not_of(" \t");
        return start == std::string::npos ? std::string() : value.substr(start);
    }
    return std::nullopt;
}

void SetHeaders(GMimeObject* part, const std::vector<StoredHeader>& headers) {
    GMimeHeaderList* list = g_mime_object_get_header_list(part);
    g_mime_header_list_clear(list);
    for (const auto& header : headers) {
        g_mime_header_list_append(list, header.Name.c_str(), "", nullptr);
        GMimeHeader* added = g_mime_header_list_get_header_at(list, g_mime_header_list_get_count(list) - 1);
        g_mime_header_set_raw_value(added, header.RawValue.c_str());
    }
}

std::string FormatPartDescription(const PartDescription& description) {
    std::string text(kFormLine);
    if (description.Place) {
        text += "\n" + std::string(kPlaceKey);
        for (std::size_t i = 0; i < description.Place->size(); ++i) {
            text += (i == 0 ? " " : ".") + std::to_string((*description.Place)[i]);
        }
    }
    for (const auto& header : description.Headers) {
        text += "\n" + std::string(kHeaderKey) + header.Name + ":" + Escaped(header.RawValue);
    }
    return text;
}

std::optional<PartDescription> ParsePartDescription(std::string_view text) {
    if (text.size() > kMaxText) return std::nullopt;
    PartDescription description;
    bool first = true;
    while (!text.empty() || first) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            if (line != kFormLine) return std::nullopt;
            first = false;
        } else if (line.rfind(kHeaderKey, 0) == 0) {
            auto header = ParseHeader(line.substr(kHeaderKey.size()));
            if (!header || description.Headers.size() == kMaxHeaders) return std::nullopt;
            description.Headers.push_back(std::move(*header));
        } else if (line == kPlaceKey || line.rfind(std::string(kPlaceKey) + " ", 0) == 0) {
            auto place = ParsePlace(line.substr(kPlaceKey.size()));
            if (!place || description.Place) return std::nullopt;
            description.Place = std::move(place);
        }
        // Lines of other kinds are for later forms of the text.
    }
    if (!DefinesPartOnce(description.Headers)) return std::nullopt;
    return description;
}

}  // namespace mailstore
