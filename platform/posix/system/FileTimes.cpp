#include "posix/system/FileTimes.h"

namespace posix {

host::FileTime FileTimeFromTimespec(const timespec& time) {
    const std::int64_t ticks =
        static_cast<std::int64_t>(time.tv_sec) * kFileTicksPerSecond + time.tv_nsec / 100 + kUnixEpochAsFileTime;
    return ticks < 0 ? 0 : static_cast<host::FileTime>(ticks);
}

timespec TimespecFromFileTime(host::FileTime time) {
    const std::int64_t sinceEpoch = static_cast<std::int64_t>(time / kFileTicksPerSecond) -
                                    kUnixEpochAsFileTime / kFileTicksPerSecond;
    timespec result{};
    result.tv_sec = static_cast<time_t>(sinceEpoch);
    result.tv_nsec = static_cast<long>(time % kFileTicksPerSecond) * 100;
    return result;
}

}  // namespace posix
