#pragma once

#include <filesystem>
#include <string>

// Velmora's own files in a Maildir folder's tmp/, where a message is written
// before it becomes a message file. They are named
// "velmora-tmp.<seconds>.M<microseconds>P<process>.R<key>.<host>", so that
// they are told apart from other programs' files there and a later run can
// tell whether their writer still runs. <key> stands for the unique name of
// the message the file is to replace ("-" for none): a writer killed after
// the new file got its name in cur/ but before the old one went leaves its
// work file linked twice, and the clean-up then finishes the replacement.
namespace mailstore::maildir {

namespace fs = std::filesystem;

// The path of a new work file in the folder's tmp/, which is made when
// missing (with the folder's owner, so that the mailbox's own user may go on
// writing there). replacedUnique is the unique name of the message it is to
// replace, empty for none. Create it exclusively: the name is unique to this
// process and moment, not reserved.
fs::path NewWorkFile(const fs::path& folder, const std::string& replacedUnique);

// Removes the work files in the folder's tmp/ whose writer no longer runs (a
// process of this machine that is gone) or that are older than 36 hours;
// where such a writer had already given the new message its name, removes
// the message it replaced. Never touches other programs' files. Failures are
// left for a later run.
void RemoveAbandonedWorkFiles(const fs::path& folder);

// Makes the entries of the directory (new, renamed, removed) durable; a file
// system that cannot sync a directory is left as it is.
void SyncDirectory(const fs::path& dir);

}  // namespace mailstore::maildir
