#pragma once

#include <ctime>
#include <cstdint>

#include "host/FileSystem.h"

namespace posix {

// 1 January 1970 counted in 100-nanosecond intervals since 1 January 1601.
inline constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;
inline constexpr std::int64_t kFileTicksPerSecond = 10000000;

// Nanoseconds are kept to the 100 ns a file time holds; a time before 1601 becomes 0.
host::FileTime FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(host::FileTime time);

}  // namespace posix
