#pragma once

#include "mailstore/Gmime.h"

#include <filesystem>
#include <string_view>

// Messages that the host itself puts into a folder: drafts it writes and
// mail it sends.
namespace mailstore {

// Writes the message into the folder as a new file, the way Maildir
// deliveries are made: written to tmp/ and flushed, then linked into cur/
// under its unique name with the flags given ("D" for a draft, "S" for seen)
// and taken out of tmp/. Returns the new file. Failures throw host::HostError
// and leave nothing behind.
std::filesystem::path DeliverMessage(const std::filesystem::path& folder, GMimeMessage* message,
                                     std::string_view flags);

// Moves a message file into another folder's cur/, under its unique name
// with the flags given; the file itself is not rewritten. Returns the new file.
std::filesystem::path MoveMessage(const std::filesystem::path& file, const std::filesystem::path& folder,
                                  std::string_view flags);

// The folder of that name right below the mailbox root (compared without
// regard to letter case), made as an empty Maildir when there is none.
std::filesystem::path EnsureTopFolder(const std::filesystem::path& root, std::string_view name);

}  // namespace mailstore
