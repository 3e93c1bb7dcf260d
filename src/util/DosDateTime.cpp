#include "util/DosDateTime.h"

#include <cmath>

namespace velmora {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2107;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kSecondsPerDay = 86'400;
constexpr std::uint64_t kTicksPerDay = kTicksPerSecond * kSecondsPerDay;

// Whole days from 1601-01-01 (where file times start) to 1899-12-30 (where
// OLE dates start); whole-day OLE values are exact, so the base calendar
// serves for file times too.
std::int64_t FileTimeEpochInOleDays() {
    static const auto days = static_cast<std::int64_t>(std::llround(EncodeDateTime({1601, 1, 1})));
    return -days;
}

std::optional<DosDateTime> Pack(const DateTimeParts& p) {
    if (p.Year < kFirstYear || p.Year > kLastYear) return std::nullopt;
    DosDateTime dos;
    dos.Date = static_cast<std::uint16_t>((p.Year - kFirstYear) << 9 | p.Month << 5 | p.Day);
    dos.Time = static_cast<std::uint16_t>(p.Hour << 11 | p.Minute << 5 | p.Second / 2);
    return dos;
}

DateTimeParts Unpack(DosDateTime dos) {
    DateTimeParts p;
    p.Year = kFirstYear + (dos.Date >> 9);
    p.Month = dos.Date >> 5 & 0x0F;
    p.Day = dos.Date & 0x1F;
    p.Hour = dos.Time >> 11;
    p.Minute = dos.Time >> 5 & 0x3F;
    p.Second = (dos.Time & 0x1F) * 2;
    p.Millisecond = 0;
    return p;
}

}  // namespace

std::optional<DosDateTime> DateTimeToDos(TDateTime value) {
    // Keeps NaN, infinities and far-off values away from the calendar arithmetic;
    // the year test below does the exact cut.
    if (!std::isfinite(value) || std::fabs(value) > 3'000'000.0) return std::nullopt;
    return Pack(DecodeDateTime(value));
}

std::optional<DosDateTime> FileTimeToDos(host::FileTime time) {
    const auto days = static_cast<std::int64_t>(time / kTicksPerDay);
    const auto secondOfDay = static_cast<int>(time % kTicksPerDay / kTicksPerSecond);
    DateTimeParts p = DecodeDateTime(static_cast<double>(days - FileTimeEpochInOleDays()));
    p.Hour = secondOfDay / 3600;
    p.Minute = secondOfDay / 60 % 60;
    p.Second = secondOfDay % 60;
    return Pack(p);
}

TDateTime DosToDateTime(DosDateTime value) { return EncodeDateTime(Unpack(value)); }

host::FileTime DosToFileTime(DosDateTime value) {
    const DateTimeParts p = Unpack(value);
    const std::int64_t oleDays = std::llround(EncodeDateTime({p.Year, p.Month, p.Day}));
    const auto days = static_cast<std::uint64_t>(oleDays + FileTimeEpochInOleDays());
    const auto seconds = static_cast<std::uint64_t>((p.Hour * 60 + p.Minute) * 60 + p.Second);
    return days * kTicksPerDay + seconds * kTicksPerSecond;
}

}  // namespace velmora
