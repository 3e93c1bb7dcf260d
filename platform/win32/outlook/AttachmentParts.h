#pragma once

#include <string>

#include "host/FileSystem.h"
#include "win32/outlook/LateBound.h"

namespace win32 {

// What the client's object model offers of an attachment beyond its own
// members, read and written through its PropertyAccessor as Extended MAPI
// properties.

// PR_ATTACH_CONTENT_ID; empty when the attachment has none.
std::u16string AttachmentContentId(LateBound& attachment);

// The content as SaveAsFile writes it, through a temporary file that is
// removed again.
void SaveAttachmentToStream(LateBound& attachment, host::OutputStream& stream);

// The part's description, one "name=value" line each (a backslash, CR and
// LF in a value written as \\, \r and \n), in this order and only for what
// the attachment has: mime-tag (PR_ATTACH_MIME_TAG), content-id
// (PR_ATTACH_CONTENT_ID), hidden (PR_ATTACHMENT_HIDDEN, 0 or 1), flags
// (PR_ATTACH_FLAGS) and position (the object model's Position).
std::u16string AttachmentPartProperties(LateBound& attachment);

// Gives a new attachment what such a description holds: its MIME type,
// hidden and flags; its Content-ID too unless it is a link, which keeps its
// own. The position stays as Add made it. Lines it does not know are left
// alone.
void SetAttachmentPartProperties(LateBound& attachment, const std::u16string& properties);

}  // namespace win32
