#pragma once

#include "mapi/AttachmentProperties.h"

namespace mailstore {

class AttachmentObject;

// What an attachment's MAPIOBJECT gives: IAttachment answering
// PR_ATTACH_SIZE and PR_ATTACH_FLAGS from the attachment's part.
class MapiProperties final : public velmora::TAttachmentProperties {
public:
    explicit MapiProperties(com::ComPtr<AttachmentObject> owner);

protected:
    std::optional<LONG> AttachSize() override;
    std::optional<LONG> AttachFlags() override;

private:
    com::ComPtr<AttachmentObject> owner_;
};

}  // namespace mailstore
