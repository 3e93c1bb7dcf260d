#pragma once

// The progress log's words for the outcome of one attachment.

#include <string>

#include "engine/uOutlookManager.h"

namespace velmora {

// The outcome text for a status kind, filled with the file name or the
// directory as the kind shows one of them; empty for a kind above 13.
std::u16string AttachmentStatusText(const std::u16string& fileName, const std::u16string& directory,
                                    TAttachmentStatus status);

}  // namespace velmora
