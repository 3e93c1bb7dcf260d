#include "mailstore/BodyText.h"

#include <optional>

#include "base/Utf16.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MimeTree.h"
#include "mailstore/PartContent.h"

namespace mailstore {

namespace {

bool IsAscii(std::string_view text) {
    for (const unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

bool StartsWithAny(const std::string& text, std::initializer_list<std::string_view> prefixes) {
    for (const auto prefix : prefixes) {
        if (text.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

// Charsets in which ASCII text is the same bytes.
bool IsAsciiCompatible(const std::string& charset) {
    return !StartsWithAny(charset, {"utf-16", "utf16", "utf-32", "utf32", "ucs-2", "ucs2", "ucs-4", "ucs4", "utf-7", "utf7"});
}

bool IsUtf8Family(const std::string& charset) {
    return charset.empty() || charset == "utf-8" || charset == "utf8" || charset == "us-ascii" || charset == "ascii";
}

std::optional<std::string> Convert(std::string_view bytes, const char* to, const char* from) {
    gsize written = 0;
    GError* error = nullptr;
    gchar* converted = g_convert(bytes.data(), static_cast<gssize>(bytes.size()), to, from, nullptr, &written, &error);
    if (converted == nullptr) {
        g_clear_error(&error);
        return std::nullopt;
    }
    std::string result(converted, written);
    g_free(converted);
    return result;
}

std::u16string WithCrLf(std::u16string_view text) {
    std::u16string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            result += u"\r\n";
        } else {
            result += text[i];
        }
    }
    return result;
}

// UTF-8 with the line ends the part's content already uses.
std::string WithLineEnds(std::u16string_view text, std::string_view content) {
    const bool crlf = content.find("\r\n") != std::string_view::npos;
    std::string lines;
    for (const char c : velmora::ToUtf8(WithCrLf(text))) {
        if (c != '\r' || crlf) lines += c;
    }
    return lines;
}

std::string CharsetOf(GMimePart* part) {
    const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    return AsciiLower(charset == nullptr ? "" : charset);
}

void SetUtf8(GMimePart* part) { g_mime_object_set_content_type_parameter(GMIME_OBJECT(part), "charset", "utf-8"); }

void InsertText(GMimePart* part, std::u16string_view prefix, bool html) {
    std::string content = DecodedBytes(part);
    const std::string text = html ? TextAsHtml(prefix) : WithLineEnds(prefix, content);
    const std::string charset = CharsetOf(part);
    const char* iconvName = g_mime_charset_iconv_name(charset.c_str());

    std::optional<std::string> inCharset;
    if (IsAsciiCompatible(charset)) {
        inCharset = IsAscii(text) || IsUtf8Family(charset) ? std::optional(text) : Convert(text, iconvName, "UTF-8");
    }
    if (inCharset) {
        content.insert(html ? BodyStart(content) : 0, *inCharset);
        ReplaceContent(part, content);
        if (!IsAscii(text) && IsUtf8Family(charset)) SetUtf8(part);
        return;
    }
    // The charset cannot carry the text: the part becomes UTF-8, its bytes
    // kept as they were when even that conversion fails.
    std::string utf8 = Convert(content, "UTF-8", iconvName).value_or(content);
    utf8.insert(html ? BodyStart(utf8) : 0, text);
    ReplaceContent(part, utf8);
    SetUtf8(part);
}

void ReplaceText(GMimePart* part, std::u16string_view text, bool html) {
    const std::string content = html ? "<html><body>" + TextAsHtml(text) + "</body></html>\n"
                                     : WithLineEnds(text, DecodedBytes(part));
    ReplaceContent(part, content);
    SetUtf8(part);
}

std::string TextOf(GMimeTextPart* part) {
    gchar* text = g_mime_text_part_get_text(part);
    std::string result = text == nullptr ? "" : text;
    g_free(text);
    return result;
}

}  // namespace

std::u16string ReadBody(GMimeMessage* message) {
    if (GMimeTextPart* text = BodyPart(message, "plain")) return WithCrLf(velmora::FromUtf8(TextOf(text)));
    if (GMimeTextPart* html = BodyPart(message, "html")) return HtmlToText(TextOf(html));
    return {};
}

void WriteBody(GMimeMessage* message, std::u16string_view current, std::u16string_view wanted) {
    GMimeTextPart* text = BodyPart(message, "plain");
    GMimeTextPart* html = BodyPart(message, "html");
    if (text == nullptr && html == nullptr) {
        auto part = GObjectPtr<GMimeTextPart>::Adopt(g_mime_text_part_new_with_subtype("plain"));
        ReplaceText(GMIME_PART(part.get()), wanted, false);
        InsertBodyPart(message, GMIME_OBJECT(part.get()));
        return;
    }
    const bool prefixed = wanted.size() >= current.size() && wanted.substr(wanted.size() - current.size()) == current;
    for (const auto& [part, isHtml] : {std::pair{text, false}, std::pair{html, true}}) {
        if (part == nullptr) continue;
        if (!prefixed) {
            ReplaceText(GMIME_PART(part), wanted, isHtml);
        } else if (wanted.size() > current.size()) {
            InsertText(GMIME_PART(part), wanted.substr(0, wanted.size() - current.size()), isHtml);
        }
    }
}

}  // namespace mailstore
