#pragma once

#include <string>
#include <string_view>

namespace catalog {

// Failures of the catalog file, thrown as host::HostError with a Win32 code
// and a message that names the file.

// result: an SQLite result code, primary or extended; text: SQLite's words.
[[noreturn]] void ThrowSqliteFailure(std::u16string_view file, int result, std::string_view text);

// The file is not a catalog this program can use; reason says why.
[[noreturn]] void ThrowDamaged(std::u16string_view file, std::u16string_view reason);

[[noreturn]] void ThrowAccessDenied(std::u16string_view file, std::u16string_view reason);
[[noreturn]] void ThrowFolderMissing(std::u16string_view folder);

// A call the store's state does not allow, such as Commit without Begin.
[[noreturn]] void ThrowMisuse(std::u16string_view file, std::u16string_view problem);

[[noreturn]] void ThrowNoSuchEntry(std::u16string_view file, long long id);

}  // namespace catalog
