#pragma once

#include "host/System.h"

namespace posix {

// host::System on Linux, which stands in for a current Windows (version 10.0).
// There is no old per-user profile file, so ProfileInt gives the fallback.
//
// Local time follows the TZ rules of the C library, applied at the moment
// converted (so a January and a July time each get their own offset).
// LocalToUtc meets two local times that are not one-to-one:
// - a time in the hour skipped when clocks go forward is read with the
//   offset in force before the change (02:30 on such a night in Berlin is
//   01:30 UTC, shown afterwards as 03:30 summer time);
// - a time in the hour repeated when clocks go back is the first of the two
//   moments, again with the offset in force before the change.
class PosixSystem : public host::System {
public:
    host::SystemVersion Version() override;
    int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) override;
    std::uint32_t TickCount() override;
    velmora::TDateTime Now() override;
    host::FileTime LocalToUtc(host::FileTime local) override;
    host::FileTime UtcToLocal(host::FileTime utc) override;
};

}  // namespace posix
