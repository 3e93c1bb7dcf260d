#pragma once

#include <filesystem>
#include <string>

namespace cli_tests {

// The Message-Id as GMime reads the file on its own ("(none)" when the
// message has none); empty when the file does not parse as a message.
std::string ParsedMessageId(const std::filesystem::path& file);

}  // namespace cli_tests
