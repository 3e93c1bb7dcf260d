#include <gtest/gtest.h>

#include <ctime>

#include "DriveFixture.h"
#include "ScopedEnvironment.h"
#include "posix/system/FileTimes.h"
#include "posix/system/PosixSystem.h"
#include "posix/system/WindowsFileSystem.h"

using posix_tests::DriveFixture;
using posix_tests::ScopedTimeZone;

namespace {

// A file time from calendar fields, read as UTC (or as the local wall clock
// where the value stands for a local time).
host::FileTime At(int year, int month, int day, int hour, int minute, int second, int ticks = 0) {
    tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<host::FileTime>(static_cast<std::int64_t>(timegm(&fields)) * posix::kFileTicksPerSecond +
                                       posix::kUnixEpochAsFileTime + ticks);
}

constexpr host::FileTime kHour = 3600ull * 10000000;

}  // namespace

TEST(PosixSystem, StandsInForACurrentWindowsWithoutAProfileFile) {
    posix::PosixSystem system;
    EXPECT_EQ(system.Version().Major, 10u);
    EXPECT_EQ(system.Version().Minor, 0u);
    EXPECT_EQ(system.ProfileInt(u"Mail", u"MAPI", 0), 0);
    EXPECT_EQ(system.ProfileInt(u"Mail", u"MAPI", 7), 7);
}

TEST(PosixSystem, ConvertsByTheRulesInForceAtThatMoment) {
    ScopedTimeZone berlin("Europe/Berlin");
    posix::PosixSystem system;
    EXPECT_EQ(system.LocalToUtc(At(2024, 1, 15, 10, 15, 36, 1234567)), At(2024, 1, 15, 9, 15, 36, 1234567));
    EXPECT_EQ(system.LocalToUtc(At(2024, 7, 15, 10, 15, 36)), At(2024, 7, 15, 8, 15, 36));
    EXPECT_EQ(system.UtcToLocal(At(2024, 1, 15, 9, 15, 36, 1234567)), At(2024, 1, 15, 10, 15, 36, 1234567));
    EXPECT_EQ(system.UtcToLocal(At(2024, 7, 15, 8, 15, 36)), At(2024, 7, 15, 10, 15, 36));
    // Around the change itself (31 March 2024, 01:00 UTC) each side keeps its own offset.
    EXPECT_EQ(system.LocalToUtc(At(2024, 3, 31, 1, 59, 59)), At(2024, 3, 31, 0, 59, 59));
    EXPECT_EQ(system.LocalToUtc(At(2024, 3, 31, 3, 0, 0)), At(2024, 3, 31, 1, 0, 0));
    // Before 1970 the rules of the time apply as well (no summer time in January).
    EXPECT_EQ(system.LocalToUtc(At(1960, 1, 1, 12, 0, 0)), At(1960, 1, 1, 11, 0, 0));
}

TEST(PosixSystem, SkippedAndRepeatedHoursTakeTheOffsetBeforeTheChange) {
    ScopedTimeZone berlin("Europe/Berlin");
    posix::PosixSystem system;
    // 02:30 does not exist on 31 March 2024: read as winter time, it is 01:30 UTC (03:30 summer time).
    EXPECT_EQ(system.LocalToUtc(At(2024, 3, 31, 2, 30, 0)), At(2024, 3, 31, 1, 30, 0));
    EXPECT_EQ(system.UtcToLocal(At(2024, 3, 31, 1, 30, 0)), At(2024, 3, 31, 3, 30, 0));
    // 02:30 happens twice on 27 October 2024: the first time, still summer time.
    EXPECT_EQ(system.UtcToLocal(At(2024, 10, 27, 0, 30, 0)), At(2024, 10, 27, 2, 30, 0));
    EXPECT_EQ(system.UtcToLocal(At(2024, 10, 27, 1, 30, 0)), At(2024, 10, 27, 2, 30, 0));
    EXPECT_EQ(system.LocalToUtc(At(2024, 10, 27, 2, 30, 0)), At(2024, 10, 27, 0, 30, 0));
    EXPECT_EQ(system.LocalToUtc(At(2024, 10, 27, 3, 0, 0)), At(2024, 10, 27, 2, 0, 0));
}

TEST(PosixSystem, WorksInZonesSouthOfTheEquatorAndFarFromUtc) {
    {
        ScopedTimeZone sydney("Australia/Sydney");  // summer time in January
        posix::PosixSystem system;
        EXPECT_EQ(system.LocalToUtc(At(2024, 1, 15, 10, 0, 0)), At(2024, 1, 14, 23, 0, 0));
        EXPECT_EQ(system.LocalToUtc(At(2024, 7, 15, 10, 0, 0)), At(2024, 7, 15, 0, 0, 0));
    }
    ScopedTimeZone kiritimati("Pacific/Kiritimati");  // UTC+14
    posix::PosixSystem system;
    EXPECT_EQ(system.LocalToUtc(At(2024, 1, 1, 0, 0, 0)), At(2023, 12, 31, 10, 0, 0));
    EXPECT_EQ(system.UtcToLocal(At(2023, 12, 31, 10, 0, 0)), At(2024, 1, 1, 0, 0, 0));
}

TEST(PosixSystem, NowIsTheLocalWallClock) {
    ScopedTimeZone fixed("<+0530>-5:30");
    posix::PosixSystem system;
    const time_t before = time(nullptr);
    const velmora::TDateTime now = system.Now();
    const time_t after = time(nullptr);
    const auto asDateTime = [](time_t utc) { return (utc + 5 * 3600 + 1800) / 86400.0 + 25569.0; };
    EXPECT_GE(now, asDateTime(before));
    EXPECT_LT(now, asDateTime(after + 1));
}

using FileTimesAcrossSummerTime = DriveFixture;

TEST_F(FileTimesAcrossSummerTime, LocalStampsReadBackUnchanged) {
    ScopedTimeZone berlin("Europe/Berlin");
    posix::PosixSystem system;
    posix::WindowsFileSystem files(drives);
    WriteNative(C() / "winter.txt", "w");
    WriteNative(C() / "summer.txt", "s");

    const host::FileTime january = At(2024, 1, 15, 10, 15, 36);
    const host::FileTime july = At(2024, 7, 15, 10, 15, 36);
    ASSERT_TRUE(files.SetLastWriteTime(u"C:\\winter.txt", system.LocalToUtc(january)));
    ASSERT_TRUE(files.SetLastWriteTime(u"C:\\summer.txt", system.LocalToUtc(july)));

    EXPECT_EQ(files.Find(u"C:\\winter.txt")->LastWriteTime, january - kHour);
    EXPECT_EQ(files.Find(u"C:\\summer.txt")->LastWriteTime, july - 2 * kHour);
    EXPECT_EQ(system.UtcToLocal(files.Find(u"C:\\winter.txt")->LastWriteTime), january);
    EXPECT_EQ(system.UtcToLocal(files.Find(u"C:\\summer.txt")->LastWriteTime), july);
}
