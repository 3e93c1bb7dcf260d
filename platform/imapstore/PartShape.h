#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace imapstore {

// A part of a message as the server describes it (BODYSTRUCTURE): every
// text in it is the server's rendering of what the message's sender wrote.
struct PartShape {
    using Parameters = std::vector<std::pair<std::string, std::string>>;

    std::string type;  // "text", "multipart", ...
    std::string subtype;
    Parameters parameters;
    std::string id;        // Content-ID
    std::string encoding;  // Content-Transfer-Encoding
    std::uint64_t size = 0;  // octets as the server stores the content
    std::string disposition;
    Parameters dispositionParameters;
    std::string subject;  // of an attached message (message/rfc822): its envelope's
    std::vector<PartShape> parts;  // of a multipart
};

}  // namespace imapstore
