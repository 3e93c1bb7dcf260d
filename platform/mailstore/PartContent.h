#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "host/FileSystem.h"
#include "mailstore/ContentDecoding.h"
#include "mailstore/GObjectPtr.h"

// The content of a leaf part or an attached message as the file it stands
// for: transfer encoding undone, nothing else changed.
namespace mailstore {

// Decodes the content into the host file, a chunk at a time (see
// DecodeContent). Errors of the file reach the caller as they were thrown; a
// part that cannot be read throws host::HostError.
DecodedContent WriteDecoded(GMimeObject* part, host::OutputStream& file);

// The whole decoded content of a leaf part (for body texts and calendars).
std::string DecodedBytes(GMimePart* part);

// The length of a leaf part's content as stored (still encoded); an upper
// bound of its decoded size for every transfer encoding.
std::uint64_t StoredLength(GMimePart* part);

// Gives the part new content (decoded bytes). It keeps base64 or
// quoted-printable when it had one, else takes the lightest encoding that
// keeps every line 7-bit.
void ReplaceContent(GMimePart* part, std::string_view bytes);

// The message the stream holds, parsed (its parts' contents stay in the
// stream); none when it holds no message.
GObjectPtr<GMimeMessage> MessageFrom(GMimeStream* stream);

// A new attachment part with the file at the Windows path as its content,
// named fileName (UTF-8). The file is read when the message is written, a
// chunk at a time, and held open until then (see OpenFileStream). It is
// base64-encoded, so that every byte comes back as it was.
GObjectPtr<GMimePart> AttachmentFromFile(std::u16string_view path, const std::string& fileName);

// Sets a Content-Type or Content-Disposition parameter (UTF-8); a value
// beyond ASCII is written as RFC 2231 UTF-8.
void SetTypeParameter(GMimeObject* object, const char* name, const std::string& value);
void SetDispositionParameter(GMimeObject* object, const char* name, const std::string& value);

}  // namespace mailstore
