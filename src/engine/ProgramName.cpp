#include "engine/ProgramName.h"

#include <filesystem>
#include <system_error>

#include "base/Utf16.h"

namespace velmora {

std::u16string ProgramName() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const std::u8string stem = executable.stem().u8string();
    return FromUtf8(std::string(stem.begin(), stem.end()));
}

}  // namespace velmora
