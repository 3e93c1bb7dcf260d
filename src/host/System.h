#pragma once

#include <cstdint>
#include <string_view>

#include "base/DateTime.h"
#include "host/FileSystem.h"

namespace host {

struct SystemVersion {
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
};

// The operating system's version, clock and time-zone rules.
class System {
public:
    virtual ~System() = default;

    virtual SystemVersion Version() = 0;
    // A number from the old per-user profile file (section, key); fallback when absent.
    virtual int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) = 0;
    // Milliseconds since an arbitrary start; wraps at 2^32.
    virtual std::uint32_t TickCount() = 0;
    virtual velmora::TDateTime Now() = 0;
    // Conversions between UTC and local file times by the time-zone rules
    // in force at the given moment.
    virtual FileTime LocalToUtc(FileTime local) = 0;
    virtual FileTime UtcToLocal(FileTime utc) = 0;
};

}  // namespace host
