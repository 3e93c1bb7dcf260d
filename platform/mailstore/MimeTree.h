#pragma once

#include "mailstore/Gmime.h"

#include <optional>
#include <vector>

#include "mailstore/GObjectPtr.h"

// Which parts of a message are its attachments and its body, and the edits
// that add and remove them. Encrypted content and signatures are never
// entered: they are not files of the message's own, and changing them would
// destroy what they protect; signed content only when asked to, and nothing
// new is put into it. Attached messages count as one attachment each.
namespace mailstore {

// A part that carries a file: attachment disposition or a file name, or a
// link to a local file (message/external-body, access-type local-file).
// Encrypted content and external bodies of other kinds do not count.
bool IsAttachmentPart(GMimeObject* part);

// The message's attachment parts in the order they appear.
std::vector<GMimeObject*> AttachmentParts(GMimeMessage* message);
// The same, leaving out those of signed content unless includeSigned:
// taking one of them out breaks the signature.
std::vector<GMimeObject*> AttachmentParts(GMimeMessage* message, bool includeSigned);
bool SignedContentHoldsAttachments(GMimeMessage* message);

// Where a part lies below top: the index of each multipart's part on the
// way down, empty for top itself; none when the part is not below top.
// Attached messages are not entered.
std::optional<std::vector<int>> PlaceOf(GMimeObject* top, GMimeObject* part);
// The part at that place below top; none when there is no such place.
GMimeObject* PartAt(GMimeObject* top, const std::vector<int>& place);

// Moves a part of the message to right after holder, in holder's multipart.
// Nothing is put into signed or encrypted content: the part goes after that
// content instead. False, and nothing moved, when holder is the top-level
// part or the part itself, or the part cannot leave where it is.
bool MoveAfter(GMimeMessage* message, GMimeObject* part, GMimeObject* holder);

// The first text part of that subtype ("plain" or "html") that is not an
// attachment: the body as that kind of text; none when there is none.
GMimeTextPart* BodyPart(GMimeMessage* message, const char* subtype);

// Every text/html part that is not an attachment.
std::vector<GMimeTextPart*> HtmlBodyParts(GMimeMessage* message);

// The part that makes the message what it is: the first part that is not an
// attachment (a multipart counts only when it holds one), within
// multipart/alternative the calendar when there is one.
GMimeObject* MainPart(GMimeMessage* message);

bool HasType(GMimeObject* part, const char* type, const char* subtype);
bool IsCalendar(GMimeObject* part);
bool IsContactCard(GMimeObject* part);

// Takes a part out of the message; a multipart left empty goes with it, as
// does the signature of signed content that held the part, and a message
// left without content gets an empty text part.
void RemovePart(GMimeMessage* message, GMimeObject* part);

// Puts an attachment after every other part: at the end of the top-level
// multipart/mixed, which is made around the old content when missing.
// Returns that old content when it was wrapped so, else none.
GObjectPtr<GMimeObject> AppendAttachment(GMimeMessage* message, GMimeObject* part);

// Puts replacement where part is in the message.
void ReplacePart(GMimeMessage* message, GMimeObject* part, GMimeObject* replacement);

// Makes wrapped the top-level part again when it is all that the top-level
// multipart/mixed made around it still holds.
void UnwrapSingle(GMimeMessage* message, GMimeObject* wrapped);

// Puts a new text body where readers look for it without changing what the
// message is: beside a calendar main part as its alternative, else before
// every other part (in the top-level multipart/mixed, made when missing).
void InsertBodyPart(GMimeMessage* message, GMimeObject* part);

}  // namespace mailstore
