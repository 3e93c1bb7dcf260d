#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The on-disk layout of a mailbox: Maildir folders (cur/, new/, tmp/) whose
// sub-folders are sub-directories. Message files are named
// "<unique>[:2,<flags>]"; the unique part usually starts with the delivery
// time in seconds.
namespace mailstore::maildir {

namespace fs = std::filesystem;

// A directory with cur/ and new/ (tmp/ is made when a message is written).
bool IsMaildir(const fs::path& dir);

// The sub-folders of a folder, sorted by name: sub-directories that are
// Maildirs or hold one further down. cur/, new/, tmp/, hidden entries and
// symbolic links are none.
std::vector<fs::path> SubFolders(const fs::path& dir);

// The message files in cur/ and new/, sorted by file name; hidden files are none.
std::vector<fs::path> MessageFiles(const fs::path& dir);

// The folder a message file lies in (the directory above its cur/ or new/).
fs::path FolderOf(const fs::path& messageFile);

// The file name without the ":2,<flags>" info part.
std::string UniqueName(const std::string& fileName);

// Where the message is now: the file itself, or, when another program has
// renamed it since (its flags changed, or it moved from new/ to cur/), the
// file of the same unique name in its folder.
std::optional<fs::path> Locate(const fs::path& messageFile);

// The delivery time (seconds since 1970, UTC) that leads the file name.
std::optional<std::int64_t> DeliveryTime(const std::string& fileName);

// A new name in the folder's tmp/ (created when missing) that no other
// writer uses, as Maildir writers name files.
fs::path NewTemporaryFile(const fs::path& folder);

}  // namespace mailstore::maildir
