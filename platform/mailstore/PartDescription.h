#pragma once

#include "mailstore/Gmime.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What makes a part the part it is, apart from its content: its header
// fields as stored and its place in the message, in a text form that is
// kept outside the message (in the catalog of saved files) and given back
// later. The text comes back from storage that anyone may have written to,
// so reading it checks every field: nothing it holds can add header lines
// or reach beyond a part's own header.
namespace mailstore {

struct StoredHeader {
    std::string Name;
    // As stored after the colon: leading blanks, folded lines and line ends
    // included, so that the field is written back byte for byte.
    std::string RawValue;
};

struct PartDescription {
    std::vector<StoredHeader> Headers;
    std::optional<std::vector<int>> Place;  // see PlaceOf; none when the part had none
};

// The part's header fields in their order.
std::vector<StoredHeader> HeadersOf(GMimeObject* part);

// The value of the first field of that name (any letter case), unfolded;
// none when there is none.
std::optional<std::string> HeaderValue(const std::vector<StoredHeader>& headers, std::string_view name);

// Replaces the part's header fields by these, in their order; GMime reads
// the part's type, disposition, identifier and encoding anew from them.
void SetHeaders(GMimeObject* part, const std::vector<StoredHeader>& headers);

// The text form: ASCII lines, the first naming the form. Bytes outside
// printable ASCII (line ends included) and '%' are written as %XX.
std::string FormatPartDescription(const PartDescription& description);

// None unless the text is a description in that form whose every field
// could stand in a part's header: a name of printable ASCII without a
// colon, a value of lines that continue a folded field, no second type,
// disposition, transfer encoding or Content-ID, nothing beyond bounds that
// any real part stays far below.
std::optional<PartDescription> ParsePartDescription(std::string_view text);

}  // namespace mailstore
