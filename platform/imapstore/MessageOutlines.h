#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imapstore/PartShape.h"
#include "mailstore/MessageSource.h"

namespace imapstore {

// A message without its content, as MIME text: the header fields given
// (the top-level header the server sent, such as its Subject lines, up to
// a blank line), then
// the parts of the shape with the fields that say what each is, every
// content empty. Whatever the server's texts hold, each field stays one
// field: line breaks become blanks, quotes are escaped, names and tokens
// that are not tokens are left out, and the multiparts get boundaries of
// their own.
std::string OutlineText(const PartShape& top, std::string_view headerFields);

// The outline GMime reads from that text, with each leaf part's decoded
// size estimated from its size as stored (see EstimatedDecodedSize). Throws
// mailstore::UnreadableMessage when it cannot be read as a message.
mailstore::MessageOutline MakeOutline(const PartShape& top, std::string_view headerFields);

// The decoded size of content stored in octets under the transfer encoding:
// base64 counted as lines of 76 characters with their line ends, anything
// else as it is stored.
std::uint64_t EstimatedDecodedSize(std::string_view encoding, std::uint64_t octets);

}  // namespace imapstore
