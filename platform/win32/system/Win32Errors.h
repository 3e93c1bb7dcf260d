#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "host/HostError.h"

namespace win32 {

// The system's own text of a Win32 error code, without its line break.
std::u16string ErrorText(DWORD code);

// A host error carrying the Win32 code (as HRESULT_FROM_WIN32) and a message
// naming what failed and the system's reason: "<what>: <reason>".
host::HostError Failure(DWORD code, std::u16string_view what);

// The same for the calling thread's last error.
host::HostError LastFailure(std::u16string_view what);

}  // namespace win32
