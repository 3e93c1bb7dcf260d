#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mailstore {

// The folder name that an IMAP name in modified UTF-7 (RFC 3501, 5.1.3)
// stands for, as servers and synchronisers write folder directories
// ("&ANw-berweisungen" is "Überweisungen"). None when the text is not in that
// form: not pure printable ASCII, a shifted run that is not properly closed
// or padded, characters that must stand for themselves, control characters,
// or broken surrogate pairs. Such a name is a name in its own right.
std::optional<std::u16string> DecodeModifiedUtf7(std::string_view text);

}  // namespace mailstore
