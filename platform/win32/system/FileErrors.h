#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace win32 {

// Throws host::HostError with HRESULT_FROM_WIN32 of the code and the message
// "<action> "<path>": <reason>", as the Linux file layer words it; without a
// reason, the system's text of the code.
[[noreturn]] void ThrowFileError(std::u16string_view action, std::u16string_view path, DWORD code,
                                 std::u16string_view reason = {});

// "<directory>\<name>", the root's directory "C:" giving "C:\<name>".
std::u16string EntryPath(std::u16string_view directory, std::u16string_view name);

}  // namespace win32
