#include "mailstore/ContentTypes.h"

#include <algorithm>
#include <cctype>

namespace mailstore {

namespace {

struct KnownType {
    std::string_view Extension;
    std::string_view Type;
    std::string_view Subtype;
};

// The first entry of a media type gives its extension.
constexpr KnownType kKnownTypes[] = {
    {".pdf", "application", "pdf"},
    {".txt", "text", "plain"},
    {".htm", "text", "html"},
    {".html", "text", "html"},
    {".csv", "text", "csv"},
    {".ics", "text", "calendar"},
    {".vcf", "text", "vcard"},
    {".xml", "application", "xml"},
    {".json", "application", "json"},
    {".png", "image", "png"},
    {".jpg", "image", "jpeg"},
    {".jpeg", "image", "jpeg"},
    {".gif", "image", "gif"},
    {".bmp", "image", "bmp"},
    {".tif", "image", "tiff"},
    {".tiff", "image", "tiff"},
    {".svg", "image", "svg+xml"},
    {".zip", "application", "zip"},
    {".gz", "application", "gzip"},
    {".doc", "application", "msword"},
    {".xls", "application", "vnd.ms-excel"},
    {".ppt", "application", "vnd.ms-powerpoint"},
    {".docx", "application", "vnd.openxmlformats-officedocument.wordprocessingml.document"},
    {".xlsx", "application", "vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    {".pptx", "application", "vnd.openxmlformats-officedocument.presentationml.presentation"},
    {".odt", "application", "vnd.oasis.opendocument.text"},
    {".mp3", "audio", "mpeg"},
    {".wav", "audio", "wav"},
    {".mp4", "video", "mp4"},
    {".eml", "message", "rfc822"},
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

}  // namespace

MediaType MediaTypeOfName(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot != std::string_view::npos) {
        const std::string extension = Lower(fileName.substr(dot));
        for (const auto& known : kKnownTypes) {
            // A message part may not carry a transfer encoding, so a file
            // added as an attachment never becomes one.
            if (known.Extension == extension && known.Type != "message") {
                return {std::string(known.Type), std::string(known.Subtype)};
            }
        }
    }
    return {"application", "octet-stream"};
}

std::string ExtensionOfMediaType(std::string_view mimeType) {
    const std::string wanted = Lower(mimeType);
    for (const auto& known : kKnownTypes) {
        if (wanted == std::string(known.Type) + "/" + std::string(known.Subtype)) return std::string(known.Extension);
    }
    return ".dat";
}

}  // namespace mailstore
