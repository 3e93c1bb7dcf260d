#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Text from a message as a terminal may show it: every control character
// (C0, DEL, C1) becomes a visible escape (\n, \r, \t, \x1b), and so does
// every bidirectional override or isolate (\u202e), which would reorder
// what the reader sees. Nothing else changes, so the escapes stay readable
// in paths full of backslashes.
std::u16string VisibleControls(std::u16string_view text);

// The same, with line breaks ("\n", "\r\n") kept as they are: for text of
// several lines whose parts from messages are escaped already.
std::u16string VisibleControlsKeepingLines(std::u16string_view text);

}  // namespace velmora
