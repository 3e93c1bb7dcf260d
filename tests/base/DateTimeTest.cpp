#include <gtest/gtest.h>

#include "base/DateTime.h"

using namespace velmora;

TEST(DateTime, EpochAndKnownDates) {
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1}), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2026, 12, 8, 12, 0, 0}), 46364.5);
}

TEST(DateTime, DecodesWhatWasEncoded) {
    const DateTimeParts in{2024, 2, 29, 23, 59, 58, 0};
    const DateTimeParts out = DecodeDateTime(EncodeDateTime(in));
    EXPECT_EQ(out.Year, 2024);
    EXPECT_EQ(out.Month, 2);
    EXPECT_EQ(out.Day, 29);
    EXPECT_EQ(out.Hour, 23);
    EXPECT_EQ(out.Minute, 59);
    EXPECT_EQ(out.Second, 58);
}

TEST(DateTime, RoundingNeverGivesTwentyFourOClock) {
    const DateTimeParts out = DecodeDateTime(EncodeDateTime({2020, 1, 1}) - 1e-10);
    EXPECT_EQ(out.Day, 1);
    EXPECT_EQ(out.Hour, 0);
}

TEST(DateTime, NegativeDatesCountTheTimeForward) {
    // -1.25 is 29 December 1899, 06:00.
    const DateTimeParts out = DecodeDateTime(-1.25);
    EXPECT_EQ(out.Day, 29);
    EXPECT_EQ(out.Hour, 6);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 29, 6}), -1.25);
}
