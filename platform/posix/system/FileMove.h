#pragma once

#include <filesystem>

namespace posix {

// Renames as rename(2) does (0, or -1 with errno) but fails with EEXIST
// rather than replace an existing entry.
using RenameFunction = int (*)(const char* from, const char* to);
int RenameWithoutReplacing(const char* from, const char* to);

// The shape of renameat2(2), a seam for tests of directory handles.
using RenameAtFunction = int (*)(int fromDirectory, const char* from, int toDirectory, const char* to,
                                 unsigned int flags);

// RenameWithoutReplacing between names in directories held open, through
// renameAt: RENAME_NOREPLACE, or where the file system does not know it, a
// hard link to the new name and the old name removed.
int RenameAtWithoutReplacing(RenameAtFunction renameAt, int fromDirectory, const char* from, int toDirectory,
                             const char* to);

// Copies the regular file from (never a symbolic link) into a new file to (EEXIST when to exists),
// with its permission bits and times, flushes the copy and its directory to
// stable storage, then removes from. When any step fails the partial copy is
// removed and from is left as it was. Returns 0 or the errno of the failure.
int CopyThenRemove(const std::filesystem::path& from, const std::filesystem::path& to);

// Moves a file without replacing an existing destination: rename, or, when
// the two lie on different file systems (EXDEV), CopyThenRemove. Returns 0 or
// an errno. rename is a seam for tests.
int MoveNativeFile(const std::filesystem::path& from, const std::filesystem::path& to,
                   RenameFunction rename = RenameWithoutReplacing);

}  // namespace posix
