#pragma once

#include "mapi/AttachmentProperties.h"

namespace sim {

class Attachment;

// What an attachment's MAPIOBJECT gives: IAttachment with the two integer
// properties of the attachment's data, unless the data says it answers no
// IAttachment. Failures planned for "GetProps" on the attachment come back
// as GetProps' result.
class MapiAttachment : public velmora::TAttachmentProperties {
public:
    explicit MapiAttachment(com::ComPtr<Attachment> owner);

    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                                       LPSPropValue* values) override;

protected:
    std::optional<LONG> AttachSize() override;
    std::optional<LONG> AttachFlags() override;
    void* Find(REFIID iid) override;

private:
    com::ComPtr<Attachment> owner_;
};

}  // namespace sim
