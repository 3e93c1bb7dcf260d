#pragma once

#include <filesystem>

namespace posix {

// Whether this process may write the hive file, judged before SQLite is
// asked to. The file (when it exists) and the directory that holds it (the
// journal is written beside the file) must be writable for this process
// and their mode bits must let someone write them; the second test is what
// makes a read-only hive read-only for root as well. A missing file needs
// its nearest existing ancestor directory to pass the same test.
bool MayWriteHive(const std::filesystem::path& file);

// Creates the directory of a missing hive file; false when it cannot.
bool CreateHiveDirectory(const std::filesystem::path& file);

}  // namespace posix
