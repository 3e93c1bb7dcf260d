#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Random.h"

// Small writers of real file formats, so that the sample's attachments open
// in the programs their names promise. They store rather than compress: the
// sizes are what the sample asks for.
namespace sample {

std::uint32_t Crc32(std::string_view data);

// A ZIP archive of stored (uncompressed) members; names may be UTF-8.
std::string ZipArchive(const std::vector<std::pair<std::string, std::string>>& members);

// An RGB image of noise, width x height pixels, as a PNG.
std::string PngImage(std::uint32_t width, std::uint32_t height, Random& random);

// A gray 8 x 8 baseline JPEG, padded with comment segments to about size bytes.
std::string JpegImage(std::size_t size, Random& random);

// A one-page PDF showing title, its content stream padded to about size bytes.
std::string PdfDocument(std::string_view title, std::size_t size, Random& random);

}  // namespace sample
