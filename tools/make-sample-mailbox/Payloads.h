#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Random.h"

namespace sample {

enum class FileKind { Pdf, Docx, Xlsx, Png, Jpg, Zip, Csv, Txt, Ics, Lnk };

std::string_view ExtensionOf(FileKind kind);
std::string_view MediaTypeOf(FileKind kind);

// A file of that kind of about size bytes (never less than the format's
// smallest file), the same for the same seed.
std::string MakeFile(FileKind kind, std::size_t size, std::uint64_t seed);

// Words of filler text, lines of about 70 characters, up to size bytes.
std::string FillerText(std::size_t size, Random& random);

}  // namespace sample
