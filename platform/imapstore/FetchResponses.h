#pragma once

#include <libetpan/libetpan.h>

#include <string>
#include <vector>

#include "imapstore/ImapSession.h"
#include "imapstore/PartShape.h"

// libetpan's parsed answers turned into the store's own values, so that no
// libetpan structure outlives the call that received it.
namespace imapstore {

// A BODYSTRUCTURE as a tree of part shapes.
PartShape ShapeOf(const mailimap_body& body);

// Each message of a FETCH answer.
std::vector<FetchedMessage> FetchedMessages(clist* answer);

// A flag as IMAP writes it ("\\Seen", "$Label1").
std::string FlagText(const mailimap_flag& flag);

// A list of flags for APPEND; the caller frees it.
mailimap_flag_list* FlagList(const std::vector<std::string>& flags);

}  // namespace imapstore
