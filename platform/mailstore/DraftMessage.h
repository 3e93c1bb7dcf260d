#pragma once

#include "mailstore/Gmime.h"

#include <filesystem>
#include <string_view>

#include "mailstore/Draft.h"
#include "mailstore/GObjectPtr.h"

namespace mailstore {

// A new message from the user at from (an address list): the draft's
// recipients, subject and plain-text body, dated now with a Message-ID of
// its own, and after the body the attachments of the forwarded message, if
// any. Throws host::HostError when the forwarded file is no readable message.
GObjectPtr<GMimeMessage> ComposeMessage(const DraftStart& start, std::u16string_view from);

// ReadMessageFile, with an unreadable file reported as host::HostError.
GObjectPtr<GMimeMessage> ReadMessageOrThrow(const std::filesystem::path& file);

}  // namespace mailstore
