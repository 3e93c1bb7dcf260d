#include "engine/ProgramName.h"

#include <filesystem>
#include <system_error>

#include "base/Utf16.h"
#include "com/ComTypes.h"

namespace velmora {

namespace {

// The running program's file: on Windows the process's own module, else
// the /proc/self/exe link.
std::filesystem::path ExecutablePath() {
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    if (length == 0 || length == MAX_PATH * 4) return {};
    return std::filesystem::path(std::wstring(buffer, length));
#else
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable;
#endif
}

}  // namespace

std::u16string ProgramName() {
    const std::u8string stem = ExecutablePath().stem().u8string();
    return FromUtf8(std::string(stem.begin(), stem.end()));
}

}  // namespace velmora
