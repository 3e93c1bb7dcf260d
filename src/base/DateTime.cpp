#include "base/DateTime.h"

#include <cmath>
#include <cstdint>

namespace velmora {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

// Days from 1970-01-01 for a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t kOleEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

TDateTime EncodeDateTime(const DateTimeParts& p) {
    const std::int64_t days = DaysFromCivil(p.Year, static_cast<unsigned>(p.Month), static_cast<unsigned>(p.Day)) - kOleEpochDays;
    const double fraction = ((p.Hour * 60.0 + p.Minute) * 60.0 + p.Second) * 1000.0 + p.Millisecond;
    const double timeOfDay = fraction / kMillisecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + timeOfDay : static_cast<double>(days) - timeOfDay;
}

DateTimeParts DecodeDateTime(TDateTime value) {
    const double whole = std::trunc(value);
    auto dayMs = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMillisecondsPerDay));
    auto days = static_cast<std::int64_t>(whole);
    if (dayMs >= 86400000) {  // rounding reached the next midnight
        dayMs -= 86400000;
        days += value >= 0 ? 1 : -1;
    }
    DateTimeParts p;
    CivilFromDays(days + kOleEpochDays, p.Year, p.Month, p.Day);
    p.Millisecond = static_cast<int>(dayMs % 1000);
    p.Second = static_cast<int>(dayMs / 1000 % 60);
    p.Minute = static_cast<int>(dayMs / 60000 % 60);
    p.Hour = static_cast<int>(dayMs / 3600000);
    return p;
}

}  // namespace velmora
