#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "mailstore/ContentDecoding.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/ItemObject.h"
#include "mailstore/PartDescription.h"

namespace mailstore {

// An item's attachments: its attachment parts in the order they appear,
// read from the item's message (or its outline, until the message is read)
// anew for every call. Those of signed content count only when the store's
// options say so; otherwise the store notes once that the message was left
// as it is. Add and Remove change the message in memory; the item's Save
// writes it.
class AttachmentCollection final : public com::ComObject<Outlook::Attachments> {
public:
    explicit AttachmentCollection(com::ComPtr<ItemObject> item);

    std::int32_t Count() override;
    com::ComPtr<Outlook::Attachment> Item(std::int32_t index) override;
    // Type 1 makes a new part of the file (see AttachmentFromFile); type 4
    // makes a link part to it. Either goes after every other part, until
    // SetPartProperties gives it a place. position is not kept: a MIME
    // message orders parts, not places.
    com::ComPtr<Outlook::Attachment> Add(const std::u16string& source, std::int32_t type, std::int32_t position,
                                         const std::u16string& displayName) override;
    void Remove(std::int32_t index) override;

private:
    std::vector<GMimeObject*> Parts(GMimeMessage* message);

    com::ComPtr<ItemObject> item_;
};

// The part's file name (RFC 2231 and RFC 2047 decoded); an attached message
// without one is named by its subject, any other part by its type.
std::u16string AttachmentFileName(GMimeObject* part);

// One attachment part. It holds the part (and its message) so that it stays
// readable after it left the collection. Made over the item's outline, it
// answers what the outline tells (names, types, sizes) and moves to the same
// place in the whole message once it needs content.
class AttachmentObject final : public com::ComObject<Outlook::Attachment> {
public:
    // wrapped: what Add wrapped in a new multipart/mixed to put the part after it.
    AttachmentObject(com::ComPtr<ItemObject> item, GObjectPtr<GMimeMessage> message, GObjectPtr<GMimeObject> part,
                     GObjectPtr<GMimeObject> wrapped = {});

    std::u16string DisplayName() override;
    // See AttachmentFileName.
    std::u16string FileName() override;
    std::u16string PathName() override;
    // The attachment's place among the item's attachments, from 1; 0 once
    // it left the item.
    std::int32_t Position() override;
    // 4 for a link, 5 for an attached message, 1 for every other file.
    std::int32_t Type() override;
    com::ComPtr<IUnknown> MAPIOBJECT() override;
    // Writes the decoded content through the installed file system; a link
    // writes a copy of its file. A failed write leaves no partial file.
    void SaveAsFile(const std::u16string& path) override;
    // A link's own Content-ID (see LinkParts.h), else the part's.
    std::u16string ContentId() override;
    void SaveToStream(host::OutputStream& stream) override;
    // Known from the last write of the content, else found by reading it
    // without writing it; a link's is always intact.
    bool ContentIntact() override;
    // The part's header fields and its place (see PartDescription.h); for a
    // link, the fields of the part it stands for at the link's place.
    std::u16string PartProperties() override;
    // A file part takes the header fields back, and becomes an attached
    // message again when they say it was one; a link describes that part. A
    // text that is no valid description changes nothing.
    void SetPartProperties(const std::u16string& properties) override;

    // PR_ATTACH_SIZE: the decoded size (0 for a link); none beyond 32 bits.
    std::optional<LONG> SizeProperty();
    // PR_ATTACH_FLAGS: ATT_MHTML_REF when the HTML body shows the part by its
    // Content-ID, else 0.
    LONG FlagsProperty();

private:
    // The part in the whole message.
    GMimeObject* Whole();
    const DecodedContent& Decoded();
    void TakeHeaders(const std::vector<StoredHeader>& headers);

    com::ComPtr<ItemObject> item_;
    GObjectPtr<GMimeMessage> message_;
    GObjectPtr<GMimeObject> part_;
    GObjectPtr<GMimeObject> wrapped_;
    std::optional<DecodedContent> decoded_;
    bool outline_;  // whether message_ is the item's outline
};

}  // namespace mailstore
