#pragma once

#include "mailstore/Gmime.h"

#include <string>
#include <string_view>

// An item's Body: the message's plain-text body, as the text part holds it
// or, for a message with HTML only, as its HTML shows it. Lines end in CR LF.
namespace mailstore {

std::u16string ReadBody(GMimeMessage* message);

// Makes wanted the body, current being the body it replaces (what ReadBody
// gave, or the last body written).
//
// The engine only ever puts text in front of a body ("Attachment extracted:
// <file://...>" lines), and the reader must see that text whichever part
// their mail reader shows. So when wanted ends with current, only the text in
// front is added, to every body part: at the start of the text part, and
// HTML-escaped right after the HTML part's <body> tag, its file URIs as links. Everything else of
// both parts stays as it was, bytes included, whenever their charset can carry
// the added text; otherwise the part is converted to UTF-8. Any other change
// rewrites the text part and replaces the HTML part by the text, escaped, as
// the host itself does when a program sets the body. A message with neither
// part gets a text part in front of its other parts.
void WriteBody(GMimeMessage* message, std::u16string_view current, std::u16string_view wanted);

}  // namespace mailstore
