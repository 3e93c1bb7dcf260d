#pragma once

#include <string>

#include "imapstore/AccountUrl.h"
#include "velmora/CommandLine.h"

namespace velmora::cli {

// The account's password, never from the command line: the first line of
// --password-file, else VELMORA_IMAP_PASSWORD, else asked on the terminal
// without echo. Throws velmora::Exception when none can be had.
std::string ImapPassword(const Request& request, const imapstore::AccountUrl& url);

}  // namespace velmora::cli
