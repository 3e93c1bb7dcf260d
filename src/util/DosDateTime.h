#pragma once

#include <cstdint>
#include <optional>

#include "base/DateTime.h"
#include "host/FileSystem.h"

namespace velmora {

// The packed date and time words of a DOS directory entry, the form file
// times pass through on their way to and from disk:
//   Date = (year - 1980) << 9 | month << 5 | day
//   Time = hour << 11 | minute << 5 | second / 2
// It holds the years 1980 to 2107 and even seconds only.
struct DosDateTime {
    std::uint16_t Date = 0;
    std::uint16_t Time = 0;

    friend bool operator==(const DosDateTime&, const DosDateTime&) = default;
};

// Each conversion into the DOS form drops the odd second and everything
// below a second; none for a moment outside 1980-2107.
std::optional<DosDateTime> DateTimeToDos(TDateTime value);
std::optional<DosDateTime> FileTimeToDos(host::FileTime time);

// Back from a value made by the conversions above.
TDateTime DosToDateTime(DosDateTime value);
host::FileTime DosToFileTime(DosDateTime value);

}  // namespace velmora
