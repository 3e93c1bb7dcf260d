#pragma once

#include <string>
#include <string_view>

// Parts of Windows paths, split at the last '\' or ':' (a drive's colon
// counts as a separator, so "C:a.txt" has the name "a.txt").
namespace velmora {

// Everything after the last separator.
std::u16string ExtractFileName(std::u16string_view path);
// Everything up to and including the last separator.
std::u16string ExtractFilePath(std::u16string_view path);
// The extension of the name with its dot ("" when the name has none).
std::u16string ExtractFileExt(std::u16string_view path);
// dir, a backslash and name.
std::u16string JoinPath(std::u16string_view dir, std::u16string_view name);
// The path with its extension replaced (or the new one appended).
std::u16string ChangeFileExt(std::u16string_view path, std::u16string_view extension);
// The path with empty components and "." left out and each ".." taking the
// component before it away (never what precedes the first component, such
// as a drive "C:"), and no trailing '\' but after a drive.
std::u16string NormalizePath(std::u16string_view path);
// Whether path lies below directory (both normalised), letter case aside;
// rest receives what follows the directory, beginning with '\'.
bool IsBelow(std::u16string_view path, std::u16string_view directory, std::u16string* rest = nullptr);

}  // namespace velmora
