#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace posix {

// Exclusive flock(2) locks on lock files, counted for the whole process:
// taking a lock the process holds already only counts it once more, so that
// a run nested in another (the send check during the dialog's run) never
// waits for itself. Another process, or another thread of this one that
// does not hold it yet, has to wait until the count is back to zero.
//
// TakeFileLock opens the file (created with mode 0600 when missing, never
// through a symbolic link) and locks it. When someone else holds it: without
// wait, false; with wait, beforeWaiting is called and the call blocks until
// the lock is free. Failures throw host::HostError naming what.
bool TakeFileLock(const std::filesystem::path& lockFile, bool wait, const std::function<void()>& beforeWaiting,
                  std::u16string_view what);
// Counts one taking off; the last one unlocks.
void ReleaseFileLock(const std::filesystem::path& lockFile);

}  // namespace posix
