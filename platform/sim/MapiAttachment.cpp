#include "sim/MapiAttachment.h"

#include <cstdlib>
#include <optional>
#include <utility>

#include "mapi/MapiTags.h"
#include "sim/Attachment.h"

namespace sim {

namespace {

std::optional<LONG> PropertyOf(const AttachmentData& data, ULONG tag) {
    if (PROP_TYPE(tag) != PT_LONG && PROP_TYPE(tag) != PT_UNSPECIFIED) return std::nullopt;
    if (PROP_ID(tag) == PROP_ID(PR_ATTACH_SIZE)) return data.Size;
    if (PROP_ID(tag) == PROP_ID(PR_ATTACH_FLAGS)) return data.Flags;
    return std::nullopt;
}

}  // namespace

MapiAttachment::MapiAttachment(com::ComPtr<Attachment> owner) : owner_(std::move(owner)) {}

void* MapiAttachment::Find(REFIID iid) {
    if (iid == IID_IUnknown) return Identity();
    if (!owner_->Data().AnswersIAttachment) return nullptr;
    if (iid == IID_IAttachment || iid == IID_IMAPIProp) return static_cast<IAttachment*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE MapiAttachment::GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* values) {
    if (tags == nullptr || count == nullptr || values == nullptr) return E_INVALIDARG;
    if (auto fault = owner_->Faults().Next("GetProps")) return fault->Code;

    const ULONG wanted = tags->cValues;
    const ULONG* requested = tags->aulPropTag;  // cValues entries, past the declared one
    auto* block = static_cast<SPropValue*>(std::malloc(sizeof(SPropValue) * (wanted == 0 ? 1 : wanted)));
    if (block == nullptr) return E_OUTOFMEMORY;

    bool missing = false;
    for (ULONG i = 0; i < wanted; ++i) {
        const ULONG tag = requested[i];
        block[i] = SPropValue{};
        if (auto value = PropertyOf(owner_->Data(), tag)) {
            block[i].ulPropTag = CHANGE_PROP_TYPE(tag, PT_LONG);
            block[i].Value.l = *value;
        } else {
            block[i].ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
            block[i].Value.err = MAPI_E_NOT_FOUND;
            missing = true;
        }
    }
    *count = wanted;
    *values = block;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

}  // namespace sim
