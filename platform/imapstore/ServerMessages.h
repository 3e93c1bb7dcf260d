#pragma once

#include "mailstore/Gmime.h"

#include <string>
#include <string_view>

#include "mailstore/GObjectPtr.h"

// Messages as an IMAP server holds them (lines ending in CRLF) and as GMime
// reads and writes them here (lines ending in LF, as in Maildir files).
namespace imapstore {

// Parses a message as the server sent it; its parts stay sub-streams of a
// copy in memory. Throws mailstore::UnreadableMessage.
mailstore::GObjectPtr<GMimeMessage> ParseServerMessage(std::string_view bytes);

// The message as it is appended: every line ending in CRLF. Throws
// host::HostError when it cannot be written (an attachment's file that
// cannot be read).
std::string ServerForm(GMimeMessage* message);

}  // namespace imapstore
