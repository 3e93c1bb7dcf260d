#include "imapstore/MessageOutlines.h"

#include <functional>
#include <vector>

#include "mailstore/MessageFile.h"

namespace imapstore {

namespace {

constexpr std::uint64_t kBase64LineOctets = 78;  // 76 characters and CRLF

bool IsTokenCharacter(char c) {
    static constexpr std::string_view kSpecials = "()<>@,;:\\\"/[]?= ";
    return c > 0x20 && c < 0x7f && kSpecials.find(c) == std::string_view::npos;
}

bool IsToken(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!IsTokenCharacter(c)) return false;
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// A text that stays within its field: line breaks and NUL become blanks.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    return line;
}

// A parameter value as the message would hold it: a token as it is (so that
// RFC 2231 values stay unquoted), anything else quoted.
std::string ParameterValue(std::string_view value) {
    if (IsToken(value)) return std::string(value);
    std::string quoted = "\"";
    for (const char c : OneLine(value)) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ParameterList(const PartShape::Parameters& parameters, bool dropBoundary) {
    std::string list;
    for (const auto& [name, value] : parameters) {
        if (!IsToken(name) || (dropBoundary && Lower(name) == "boundary")) continue;
        list += "; " + name + "=" + ParameterValue(value);
    }
    return list;
}

class OutlineWriter {
public:
    std::string Write(const PartShape& top, std::string_view headerFields) {
        text_.clear();
        for (const std::string_view line : Lines(headerFields)) {
            // The blank line ends the header: nothing after it is a field.
            if (line.empty()) break;
            text_ += OneLine(line) + "\n";
        }
        text_ += "MIME-Version: 1.0\n";
        Part(top);
        return std::move(text_);
    }

private:
    static std::vector<std::string_view> Lines(std::string_view text) {
        std::vector<std::string_view> lines;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines.push_back(line);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        }
        return lines;
    }

    void Part(const PartShape& part) {
        const bool multipart = Lower(part.type) == "multipart";
        const std::string type = IsToken(part.type) ? part.type : "application";
        const std::string subtype = IsToken(part.subtype) ? part.subtype : "octet-stream";
        const std::string boundary = "=-outline-" + std::to_string(++boundaries_) + "-=";
        text_ += "Content-Type: " + type + "/" + subtype + ParameterList(part.parameters, multipart);
        text_ += multipart ? "; boundary=\"" + boundary + "\"\n" : "\n";
        if (IsToken(part.encoding)) text_ += "Content-Transfer-Encoding: " + part.encoding + "\n";
        if (!part.id.empty()) text_ += "Content-ID: " + OneLine(part.id) + "\n";
        if (IsToken(part.disposition)) {
            text_ += "Content-Disposition: " + part.disposition + ParameterList(part.dispositionParameters, false) +
                     "\n";
        }
        text_ += "\n";
        if (multipart) {
            for (const PartShape& child : part.parts) {
                text_ += "--" + boundary + "\n";
                Part(child);
            }
            text_ += "--" + boundary + "--\n";
        } else if (Lower(part.type) == "message" && Lower(part.subtype) == "rfc822") {
            text_ += "Subject: " + OneLine(part.subject) + "\n\n";
        }
    }

    std::string text_;
    int boundaries_ = 0;
};

// The parts that carry content, in the order both the shape and GMime's
// reading of its text list them: leaves, and attached messages as a whole.
void Leaves(const PartShape& part, std::vector<const PartShape*>& leaves) {
    if (Lower(part.type) != "multipart") {
        leaves.push_back(&part);
        return;
    }
    for (const PartShape& child : part.parts) Leaves(child, leaves);
}

void Leaves(GMimeObject* part, std::vector<GMimeObject*>& leaves) {
    if (!GMIME_IS_MULTIPART(part)) {
        leaves.push_back(part);
        return;
    }
    for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(part)); ++i) {
        Leaves(g_mime_multipart_get_part(GMIME_MULTIPART(part), i), leaves);
    }
}

}  // namespace

std::string OutlineText(const PartShape& top, std::string_view headerFields) {
    return OutlineWriter().Write(top, headerFields);
}

std::uint64_t EstimatedDecodedSize(std::string_view encoding, std::uint64_t octets) {
    if (Lower(encoding) != "base64") return octets;
    const std::uint64_t lines = (octets + kBase64LineOctets - 1) / kBase64LineOctets;
    const std::uint64_t characters = octets > 2 * lines ? octets - 2 * lines : 0;
    return characters / 4 * 3;
}

mailstore::MessageOutline MakeOutline(const PartShape& top, std::string_view headerFields) {
    const std::string text = OutlineText(top, headerFields);
    auto stream = mailstore::GObjectPtr<GMimeStream>::Adopt(
        g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    mailstore::MessageOutline outline;
    outline.message = mailstore::ReadMessageStream(std::move(stream));
    std::vector<const PartShape*> shapes;
    Leaves(top, shapes);
    std::vector<GMimeObject*> parts;
    Leaves(g_mime_message_get_mime_part(outline.message.get()), parts);
    if (parts.size() == shapes.size()) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            outline.decodedSizes[parts[i]] = EstimatedDecodedSize(shapes[i]->encoding, shapes[i]->size);
        }
    }
    return outline;
}

}  // namespace imapstore
