#pragma once

#include "mailstore/Gmime.h"

#include <filesystem>
#include <stdexcept>

#include "mailstore/GObjectPtr.h"

namespace mailstore {

// A file that cannot be read as a message; what() gives the reason, worded
// to follow "Skipping <file>: ".
class UnreadableMessage : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// The file is gone: another program deleted or moved the message.
class MessageGone : public UnreadableMessage {
public:
    using UnreadableMessage::UnreadableMessage;
};

// The longest header block read: mail from real senders stays far below it,
// and a parser fed more would hold it all in memory.
inline constexpr std::size_t kMaxHeaderBlock = 1024 * 1024;

// Parses a message file. Part contents are not copied: they stay sub-streams
// of the file, which is kept open while any part of the message lives.
GObjectPtr<GMimeMessage> ReadMessageFile(const std::filesystem::path& file);

// Parses the message a stream holds from its start, with the same checks;
// its parts stay sub-streams of it.
GObjectPtr<GMimeMessage> ReadMessageStream(GObjectPtr<GMimeStream> stream);

}  // namespace mailstore
