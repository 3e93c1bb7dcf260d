#pragma once

#include <ctime>

namespace posix {

// Temporary files (TemporaryNames.h) older than this are removed whoever
// wrote them: a pid used again by another process must not keep them forever.
inline constexpr std::time_t kLeftoverAgeSeconds = 36 * 60 * 60;

// Removes the temporary files in the directory held open whose writing
// process no longer lives, or that are older than kLeftoverAgeSeconds
// (both by now); the files of running writers stay. Entries that are no
// regular file and failures to remove are left alone: another run may be
// tidying up at the same time.
void RemoveLeftoverFiles(int directory, std::time_t now);

}  // namespace posix
