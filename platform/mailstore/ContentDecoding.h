#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>

// Undoing the transfer encoding of a part's content in one pass over the
// stored text, a chunk at a time, as mail readers decode it (see
// Base64Decoder), and finding on the way whether the text was damaged.
namespace mailstore {

struct DecodedContent {
    std::uint64_t Size = 0;
    // False when the stored text held input that readers may decode each
    // their own way, so that what was decoded may fall short of what they show.
    bool Intact = true;
};

// Decodes a leaf part's content, or writes an attached message, into sink.
// Throws host::HostError when the stored text cannot be read or sink refuses
// a write.
DecodedContent DecodeContent(GMimeObject* part, GMimeStream* sink);

// The same findings without writing the content anywhere: base64 is counted
// rather than decoded, content stored as it is measured by its length; only
// quoted-printable, uuencode and attached messages are decoded into nothing.
DecodedContent MeasureContent(GMimeObject* part);

}  // namespace mailstore
