#pragma once

#include <windows.h>

#include "host/FileSystem.h"

namespace win32 {

inline FILETIME ToFiletime(host::FileTime time) {
    return {static_cast<DWORD>(time & 0xFFFFFFFFu), static_cast<DWORD>(time >> 32)};
}

inline host::FileTime FromFiletime(const FILETIME& time) {
    return (static_cast<host::FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace win32
