#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Message files of a Maildir folder (cur/, new/, tmp/; see MaildirFolders.h
// for the folders). Message files are named "<unique>[:2,<flags>]"; the
// unique part usually starts with the delivery time in seconds, and a file's
// content never changes under its name: a changed message is a new file.
namespace mailstore::maildir {

namespace fs = std::filesystem;

// The message files in cur/ and new/, sorted by file name; hidden files are none.
std::vector<fs::path> MessageFiles(const fs::path& dir);

// The folder a message file lies in (the directory above its cur/ or new/).
fs::path FolderOf(const fs::path& messageFile);

// The file name without the ":2,<flags>" info part.
std::string UniqueName(const std::string& fileName);

// The flags after ":2," (letters, kept as they are); empty when the name has none.
std::string Flags(const std::string& fileName);

// Where the message is now: the file itself, or, when another program has
// renamed it since (its flags changed, or it moved from new/ to cur/), the
// file of the same unique name in its folder.
std::optional<fs::path> Locate(const fs::path& messageFile);

// The delivery time (seconds since 1970, UTC) that leads the file name.
std::optional<std::int64_t> DeliveryTime(const std::string& fileName);

// This machine's name as Maildir file names carry it.
const std::string& HostNamePart();

// A new name for a message file in cur/:
// "<seconds>.M<microseconds>P<process>.<host>,S=<size>:2,<flags>".
// seconds dates the message (readers sort by it); the clock's microseconds
// now, this process and this machine make it unique, and a writer that finds
// the name taken all the same asks for another. size is the file's size in
// bytes, which servers trust.
std::string NewMessageName(std::int64_t seconds, std::uint64_t size, std::string_view flags);

}  // namespace mailstore::maildir
