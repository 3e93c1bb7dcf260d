#pragma once

#include <string>
#include <string_view>

namespace velmora::cli {

// The extension filter as typed ("pdf, doc") in the stored form that the save
// run matches (".pdf;.doc"), rewritten the way the main dialog rewrites its
// field: blanks at both ends dropped, "," turned into ";", every blank and
// "*" removed, and a "." put in front of each entry that lacks one. An empty
// text stays empty (no filter).
std::u16string NormaliseExtensionList(std::u16string_view typed);

}  // namespace velmora::cli
