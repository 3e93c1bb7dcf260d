#include "util/DosDateTime.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01, the published offset between file times and Unix times.
constexpr std::uint64_t kUnixEpochInFileTimeSeconds = 11'644'473'600;

host::FileTime FromUnixSeconds(std::uint64_t seconds) { return (seconds + kUnixEpochInFileTimeSeconds) * kTicksPerSecond; }

TEST(DosDateTime, PacksTheFieldsAtBothEndsOfTheRange) {
    EXPECT_EQ(DateTimeToDos(EncodeDateTime({1980, 1, 1, 0, 0, 0, 0})), (DosDateTime{0x0021, 0x0000}));
    EXPECT_EQ(DateTimeToDos(EncodeDateTime({2107, 12, 31, 23, 59, 59, 0})), (DosDateTime{0xFF9F, 0xBF7D}));
}

TEST(DosDateTime, HasNoValueOutsideTheYears1980To2107) {
    EXPECT_FALSE(DateTimeToDos(EncodeDateTime({1979, 12, 31, 23, 59, 59, 0})));
    EXPECT_FALSE(DateTimeToDos(EncodeDateTime({2108, 1, 1, 0, 0, 0, 0})));
    EXPECT_FALSE(DateTimeToDos(0.0));
    EXPECT_FALSE(DateTimeToDos(-700000.5));
    EXPECT_FALSE(DateTimeToDos(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(DateTimeToDos(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(DateTimeToDos(1e300));
    EXPECT_FALSE(FileTimeToDos(FromUnixSeconds(315532800 - 1)));  // 1979-12-31 23:59:59 UTC
    EXPECT_FALSE(FileTimeToDos(0));
    EXPECT_FALSE(FileTimeToDos(std::numeric_limits<host::FileTime>::max()));
}

TEST(DosDateTime, DropsTheOddSecondAndEverythingBelowASecond) {
    const auto dos = DateTimeToDos(EncodeDateTime({2024, 5, 1, 10, 15, 37, 999}));
    ASSERT_TRUE(dos);
    EXPECT_EQ(DosToDateTime(*dos), EncodeDateTime({2024, 5, 1, 10, 15, 36, 0}));

    const host::FileTime fromFile = FromUnixSeconds(1714558537) + 9'999'999;  // 2024-05-01 10:15:37.9999999
    EXPECT_EQ(FileTimeToDos(fromFile), dos);
}

TEST(DosDateTime, FileTimesAndDateTimesMeetOnTheSameCalendar) {
    struct Case {
        DateTimeParts parts;
        std::uint64_t unixSeconds;
    };
    const Case cases[] = {
        {{1980, 1, 1, 0, 0, 0, 0}, 315532800},
        {{2000, 2, 29, 12, 0, 0, 0}, 951825600},
        {{2024, 5, 1, 10, 15, 36, 0}, 1714558536},
        {{2107, 12, 31, 23, 59, 58, 0}, 4354819198},
    };
    for (const Case& c : cases) {
        const auto dos = DateTimeToDos(EncodeDateTime(c.parts));
        ASSERT_TRUE(dos) << c.unixSeconds;
        EXPECT_EQ(DosToFileTime(*dos), FromUnixSeconds(c.unixSeconds)) << c.unixSeconds;
        EXPECT_EQ(FileTimeToDos(FromUnixSeconds(c.unixSeconds)), dos) << c.unixSeconds;
    }
}

}  // namespace
}  // namespace velmora
