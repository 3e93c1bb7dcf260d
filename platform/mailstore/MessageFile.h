#pragma once

#include "mailstore/Gmime.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

#include "mailstore/GObjectPtr.h"

namespace mailstore {

// A file that cannot be read as a message; what() gives the reason, worded
// to follow "Skipping <file>: ".
class UnreadableMessage : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// The longest header block read: mail from real senders stays far below it,
// and a parser fed more would hold it all in memory.
inline constexpr std::size_t kMaxHeaderBlock = 1024 * 1024;

// Parses a message file. Part contents are not copied: they stay sub-streams
// of the file, which is kept open while any part of the message lives.
GObjectPtr<GMimeMessage> ReadMessageFile(const std::filesystem::path& file);

// Replaces a message file by message, the Maildir way: written to tmp/,
// flushed to disk, then renamed over the message's current file, whose name
// (flags included), permissions and modification time it keeps. A crash at
// any point leaves the old file or the new one, whole. check sees the written
// file before it replaces anything; what it throws keeps the old file. Returns
// the path that now holds the message. Failures throw host::HostError.
std::filesystem::path ReplaceMessageFile(const std::filesystem::path& file, GMimeMessage* message,
                                         const std::function<void(const std::filesystem::path&)>& check);

}  // namespace mailstore
