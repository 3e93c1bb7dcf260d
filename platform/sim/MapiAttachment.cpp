#include "sim/MapiAttachment.h"

#include <utility>

#include "sim/Attachment.h"

namespace sim {

MapiAttachment::MapiAttachment(com::ComPtr<Attachment> owner) : owner_(std::move(owner)) {}

void* MapiAttachment::Find(REFIID iid) {
    if (iid != IID_IUnknown && !owner_->Data().AnswersIAttachment) return nullptr;
    return TAttachmentProperties::Find(iid);
}

HRESULT STDMETHODCALLTYPE MapiAttachment::GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                                                  LPSPropValue* values) {
    if (tags == nullptr || count == nullptr || values == nullptr) return E_INVALIDARG;
    if (auto fault = owner_->Faults().Next("GetProps")) return fault->Code;
    return TAttachmentProperties::GetProps(tags, flags, count, values);
}

std::optional<LONG> MapiAttachment::AttachSize() { return owner_->Data().Size; }
std::optional<LONG> MapiAttachment::AttachFlags() { return owner_->Data().Flags; }

}  // namespace sim
