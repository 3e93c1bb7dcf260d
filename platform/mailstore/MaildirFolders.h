#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The folder tree of a mailbox directory, in the layouts mail servers, readers
// and synchronisers make:
// - a Maildir (cur/, new/, tmp/) whose sub-folders are sub-directories, and a
//   directory that only holds folders (a root of Maildirs, as synchronisers
//   make it, or a level of the tree that holds no messages itself);
// - Maildir++: a folder's sub-folders are hidden directories beside it whose
//   names give the hierarchy, ".Work" and ".Work.Clients" in a folder's own
//   directory being "Work" and "Work/Clients" below it. A level that has no
//   directory of its own is a folder without messages.
// Folder names on disk in modified UTF-7 are shown decoded.
namespace mailstore::maildir {

namespace fs = std::filesystem;

// A directory with cur/ and new/ (tmp/ is made when a message is written).
bool IsMaildir(const fs::path& dir);

// Whether the directory can be opened as a mailbox: it is a Maildir or holds
// at least one.
bool IsMailbox(const fs::path& dir);

// The sub-folders of a folder of the mailbox whose root is root, sorted by
// name: sub-directories that are Maildirs or hold one further down, and the
// Maildir++ folders one level below. cur/, new/, tmp/, hidden directories
// that are no Maildir++ folder, and symbolic links are none.
std::vector<fs::path> SubFolders(const fs::path& root, const fs::path& folder);

// The name a folder (never the root) is shown by: the last level of its name
// on disk, decoded when it is modified UTF-7.
std::u16string FolderName(const fs::path& folder);
// That last level as it is on disk.
std::string FolderNameOnDisk(const fs::path& folder);

// The folders from the root's sub-folder down to folder, each a sub-folder of
// the one before; empty for the root itself, none when folder is no folder of
// the mailbox.
std::optional<std::vector<fs::path>> FolderChain(const fs::path& root, const fs::path& folder);

}  // namespace mailstore::maildir
