#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

// The little HTML handling an item body needs: no DOM, only what a mail
// reader shows as text, and where text shows first.
namespace mailstore {

// What the HTML (UTF-8) shows as plain text: tags dropped, head, script and
// style left out, entities resolved, white space collapsed, block ends as
// line breaks (at most one empty line in a row). Lines end in CR LF.
std::u16string HtmlToText(std::string_view html);

// The text as HTML that shows it as it stands: markup characters as entities,
// characters beyond ASCII as numeric references (so the result is ASCII and
// fits any ASCII-compatible charset), line breaks as <br>.
std::string EscapeHtml(std::u16string_view text);

// The text as EscapeHtml makes it, but for file URIs written in angle
// brackets ("<file:///home/me/a%20b.pdf>", as the engine refers to saved
// files), which become links that show the URI.
std::string TextAsHtml(std::u16string_view text);

// The offset in the HTML where content shows before everything the body
// showed so far: after the <body> tag, else after </head>, else at the start.
std::size_t BodyStart(std::string_view html);

// The content ids the HTML refers to with "cid:" URLs, percent-decoded and
// lower-cased.
std::set<std::string> ContentIdReferences(std::string_view html);

// ASCII lower case, for ids and tags.
std::string AsciiLower(std::string_view text);

}  // namespace mailstore
