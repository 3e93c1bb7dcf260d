#pragma once

#include "host/System.h"

namespace win32 {

// host::System over the Win32 calls. The version is the one the kernel
// reports (GetVersionEx answers 6.2 to a module without a manifest); local
// times follow the time zone's rules for the moment converted.
class Win32System : public host::System {
public:
    host::SystemVersion Version() override;
    int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) override;
    std::uint32_t TickCount() override;
    velmora::TDateTime Now() override;
    host::FileTime LocalToUtc(host::FileTime local) override;
    host::FileTime UtcToLocal(host::FileTime utc) override;
};

}  // namespace win32
