#include "posix/system/PosixSystem.h"

#include <ctime>
#include <optional>

#include "posix/system/FileTimes.h"

namespace posix {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

struct SplitTime {
    std::int64_t Seconds;    // since 1970, whole
    std::int64_t Remainder;  // 100 ns ticks within the second
};

SplitTime Split(host::FileTime time) {
    const std::int64_t ticks = static_cast<std::int64_t>(time) - kUnixEpochAsFileTime;
    std::int64_t seconds = ticks / kFileTicksPerSecond;
    std::int64_t remainder = ticks % kFileTicksPerSecond;
    if (remainder < 0) {
        remainder += kFileTicksPerSecond;
        --seconds;
    }
    return {seconds, remainder};
}

std::optional<host::FileTime> Join(std::int64_t seconds, std::int64_t remainder) {
    const std::int64_t ticks = seconds * kFileTicksPerSecond + remainder + kUnixEpochAsFileTime;
    if (ticks < 0) return std::nullopt;
    return static_cast<host::FileTime>(ticks);
}

// Seconds east of UTC in force at the UTC moment utc.
std::optional<std::int64_t> OffsetAt(std::int64_t utc) {
    const time_t moment = static_cast<time_t>(utc);
    tm local{};
    if (localtime_r(&moment, &local) == nullptr) return std::nullopt;
    return local.tm_gmtoff;
}

}  // namespace

host::SystemVersion PosixSystem::Version() { return {10, 0}; }

int PosixSystem::ProfileInt(std::u16string_view, std::u16string_view, int fallback) { return fallback; }

std::uint32_t PosixSystem::TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t milliseconds =
        static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<std::uint32_t>(milliseconds);
}

velmora::TDateTime PosixSystem::Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return velmora::EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                    local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)});
}

host::FileTime PosixSystem::UtcToLocal(host::FileTime utc) {
    const SplitTime split = Split(utc);
    const std::optional<std::int64_t> offset = OffsetAt(split.Seconds);
    if (!offset) return utc;
    return Join(split.Seconds + *offset, split.Remainder).value_or(utc);
}

host::FileTime PosixSystem::LocalToUtc(host::FileTime local) {
    const SplitTime split = Split(local);
    // Offsets never reach a day, so the moment sought lies between these two
    // instants, and real zones change their offset at most once in between.
    const std::optional<std::int64_t> before = OffsetAt(split.Seconds - kSecondsPerDay);
    const std::optional<std::int64_t> after = OffsetAt(split.Seconds + kSecondsPerDay);
    if (!before || !after) return local;
    std::int64_t chosen = *before;  // also the choice when neither offset fits (a skipped hour)
    if (OffsetAt(split.Seconds - *before) != *before && OffsetAt(split.Seconds - *after) == *after) chosen = *after;
    return Join(split.Seconds - chosen, split.Remainder).value_or(local);
}

}  // namespace posix
