#include "mailstore/LinkParts.h"

#include <sys/random.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/ContentTypes.h"
#include "mailstore/HtmlText.h"
#include "mailstore/NativeFiles.h"
#include "mailstore/PartContent.h"

namespace mailstore {

namespace {

// The body of a link holds a header; a longer one is no link of ours.
constexpr std::uint64_t kMaxInnerHeader = 64 * 1024;

std::string StoredTarget(std::u16string_view windowsPath) {
    if (const auto* files = DriveMappedFileSystem()) {
        if (const auto native = files->ToNative(windowsPath)) return native->string();
    }
    return velmora::ToUtf8(windowsPath);
}

std::u16string FileNamePart(std::u16string_view path) {
    const auto separator = path.find_last_of(u"\\/:");
    return std::u16string(separator == std::u16string_view::npos ? path : path.substr(separator + 1));
}

bool HasControls(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// Names come from other people's messages: a control character never reaches a header.
std::string WithoutControls(std::string_view text) {
    std::string clean(text);
    for (auto& c : clean) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return clean;
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::string LocalHostName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) return "localhost";
    std::string host;
    for (const char* c = name.data(); *c != '\0'; ++c) {
        const bool allowed = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                             *c == '-' || *c == '.';
        if (allowed) host += *c;
    }
    return host.empty() ? "localhost" : host;
}

// 128 bits from the system's random source.
std::string NewContentId() {
    std::array<unsigned char, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0 && errno != EINTR) {
            throw host::HostError(E_FAIL, u"No random number can be had for the link's identifier.");
        }
        if (got > 0) filled += static_cast<std::size_t>(got);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string id;
    for (const unsigned char byte : bytes) {
        id += kDigits[byte >> 4];
        id += kDigits[byte & 0xF];
    }
    return id + "@" + LocalHostName();
}

const char* NonEmpty(const char* text) { return text != nullptr && *text != '\0' ? text : nullptr; }

// The link's body as a part of its own: the header it holds, with no content.
GObjectPtr<GMimeObject> InnerHeader(GMimeObject* link) {
    if (!GMIME_IS_PART(link) || StoredLength(GMIME_PART(link)) > kMaxInnerHeader) return {};
    std::string header = DecodedBytes(GMIME_PART(link));
    const auto end = std::min(header.find("\n\n"), header.find("\r\n\r\n"));
    if (end != std::string::npos) header.resize(end);
    header += "\n\n";
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer(header.data(), header.size()));
    auto parser = GObjectPtr<GMimeParser>::Adopt(g_mime_parser_new_with_stream(stream.get()));
    return GObjectPtr<GMimeObject>::Adopt(g_mime_parser_construct_part(parser.get(), nullptr));
}

// The file name of the part that the header describes, when it gives one.
const char* DescribedFileName(GMimeObject* described) {
    const char* name = NonEmpty(g_mime_object_get_content_disposition_parameter(described, "filename"));
    return name != nullptr ? name : NonEmpty(g_mime_object_get_content_type_parameter(described, "name"));
}

// Makes the described part's header the link's body, and names its file in
// the link's description.
void WriteInnerHeader(GMimePart* link, GMimeObject* described) {
    char* headers = g_mime_object_get_headers(described, nullptr);
    const std::string body = std::string(headers == nullptr ? "" : headers) + "\n";
    g_free(headers);
    ReplaceContent(link, body);
    g_mime_part_set_content_encoding(link, IsAscii(body) ? GMIME_CONTENT_ENCODING_7BIT : GMIME_CONTENT_ENCODING_8BIT);

    const char* fileName = DescribedFileName(described);
    const std::string name = fileName != nullptr ? fileName : velmora::ToUtf8(LinkDisplayName(GMIME_OBJECT(link)));
    const char* target = g_mime_object_get_content_type_parameter(GMIME_OBJECT(link), "name");
    const std::string description = name + " (saved as " + (target == nullptr ? "" : target) + ")";
    g_mime_object_set_header(GMIME_OBJECT(link), "Content-Description", WithoutControls(description).c_str(), "utf-8");
}

bool IsNamed(const StoredHeader& header, std::string_view name) { return AsciiLower(header.Name) == name; }

}  // namespace

bool IsLinkPart(GMimeObject* part) {
    GMimeContentType* type = g_mime_object_get_content_type(part);
    if (type == nullptr || !g_mime_content_type_is_type(type, "message", "external-body")) return false;
    const char* access = g_mime_object_get_content_type_parameter(part, "access-type");
    return access != nullptr && g_ascii_strcasecmp(access, "local-file") == 0;
}

GObjectPtr<GMimePart> MakeLinkPart(std::u16string_view windowsPath, std::u16string_view displayName) {
    const std::string target = StoredTarget(windowsPath);
    if (HasControls(target)) {
        throw host::HostError(E_INVALIDARG, u"No link can name the path " + std::u16string(windowsPath) +
                                                u": it holds control characters.");
    }
    const std::string name =
        WithoutControls(velmora::ToUtf8(displayName.empty() ? FileNamePart(windowsPath) : displayName));
    auto part = GObjectPtr<GMimePart>::Adopt(g_mime_part_new_with_type("message", "external-body"));
    GMimeObject* object = GMIME_OBJECT(part.get());
    g_mime_object_set_content_type_parameter(object, "access-type", "local-file");
    SetTypeParameter(object, "name", target);
    g_mime_object_set_content_type_parameter(object, "site", LocalHostName().c_str());
    g_mime_object_set_disposition(object, GMIME_DISPOSITION_ATTACHMENT);
    SetDispositionParameter(object, "filename", name);

    const MediaType type = MediaTypeOfName(name);
    auto described = GObjectPtr<GMimePart>::Adopt(g_mime_part_new_with_type(type.Type.c_str(), type.Subtype.c_str()));
    GMimeObject* header = GMIME_OBJECT(described.get());
    SetTypeParameter(header, "name", name);
    g_mime_object_set_disposition(header, GMIME_DISPOSITION_ATTACHMENT);
    SetDispositionParameter(header, "filename", name);
    g_mime_object_set_content_id(header, NewContentId().c_str());
    WriteInnerHeader(part.get(), header);
    return part;
}

void DescribeLinkedPart(GMimePart* link, const std::vector<StoredHeader>& headers) {
    std::string id = LinkContentId(GMIME_OBJECT(link));
    if (id.empty()) id = NewContentId();
    std::vector<StoredHeader> kept;
    for (const auto& header : headers) {
        if (!IsNamed(header, "content-id") && !IsNamed(header, "content-transfer-encoding")) kept.push_back(header);
    }
    auto described = GObjectPtr<GMimePart>::Adopt(g_mime_part_new());
    GMimeObject* header = GMIME_OBJECT(described.get());
    SetHeaders(header, kept);
    if (g_mime_object_get_content_disposition(header) == nullptr) {
        const char* name = NonEmpty(g_mime_object_get_content_type_parameter(header, "name"));
        g_mime_object_set_disposition(header, GMIME_DISPOSITION_ATTACHMENT);
        SetDispositionParameter(header, "filename",
                                name != nullptr ? name : velmora::ToUtf8(LinkDisplayName(GMIME_OBJECT(link))));
    }
    g_mime_object_set_content_id(header, id.c_str());
    WriteInnerHeader(link, header);
}

std::vector<StoredHeader> LinkedPartHeaders(GMimeObject* link) {
    std::vector<StoredHeader> headers;
    bool disposition = false;
    if (auto inner = InnerHeader(link)) {
        for (auto& header : HeadersOf(inner.get())) {
            if (IsNamed(header, "content-id")) continue;
            disposition = disposition || IsNamed(header, "content-disposition");
            headers.push_back(std::move(header));
        }
    }
    if (!disposition) {
        for (auto& header : HeadersOf(link)) {
            if (IsNamed(header, "content-disposition")) headers.push_back(std::move(header));
        }
    }
    return headers;
}

std::string LinkContentId(GMimeObject* link) {
    auto inner = InnerHeader(link);
    const char* id = inner ? NonEmpty(g_mime_object_get_content_id(inner.get())) : nullptr;
    return id == nullptr ? std::string() : id;
}

std::u16string LinkedWindowsPath(GMimeObject* part) {
    const char* stored = g_mime_object_get_content_type_parameter(part, "name");
    if (stored == nullptr) return {};
    const std::string target(stored);
    if (!target.empty() && target.front() == '/') {
        if (const auto* files = DriveMappedFileSystem()) {
            if (const auto windows = files->FromNative(target)) return *windows;
        }
    }
    return velmora::FromUtf8(target);
}

std::u16string LinkDisplayName(GMimeObject* part) {
    const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
    if (name != nullptr && *name != '\0') return velmora::FromUtf8(name);
    return FileNamePart(LinkedWindowsPath(part));
}

}  // namespace mailstore
