#pragma once

#include <string>
#include <string_view>

namespace mailstore {

struct MediaType {
    std::string Type;
    std::string Subtype;
};

// The media type of a file by its name's extension (any letter case);
// application/octet-stream for others.
MediaType MediaTypeOfName(std::string_view fileName);

// The usual extension, with its dot, for a media type ("type/subtype" in any
// letter case); ".dat" for others.
std::string ExtensionOfMediaType(std::string_view mimeType);

}  // namespace mailstore
