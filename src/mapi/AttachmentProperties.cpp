#include "mapi/AttachmentProperties.h"

#include <cstdlib>

#include "mapi/MapiTags.h"

namespace velmora {

void* TAttachmentProperties::Find(REFIID iid) {
    if (iid == IID_IUnknown) return Identity();
    if (iid == IID_IAttachment || iid == IID_IMAPIProp) return static_cast<IAttachment*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE TAttachmentProperties::GetProps(LPSPropTagArray tags, ULONG, ULONG* count,
                                                         LPSPropValue* values) {
    if (tags == nullptr || count == nullptr || values == nullptr) return E_INVALIDARG;
    const ULONG wanted = tags->cValues;
    const ULONG* requested = tags->aulPropTag;  // cValues entries, past the declared one
    auto* block = static_cast<SPropValue*>(std::malloc(sizeof(SPropValue) * (wanted == 0 ? 1 : wanted)));
    if (block == nullptr) return E_OUTOFMEMORY;

    bool missing = false;
    try {
        for (ULONG i = 0; i < wanted; ++i) {
            const ULONG tag = requested[i];
            std::optional<LONG> value;
            if (PROP_TYPE(tag) == PT_LONG || PROP_TYPE(tag) == PT_UNSPECIFIED) {
                if (PROP_ID(tag) == PROP_ID(PR_ATTACH_SIZE)) value = AttachSize();
                if (PROP_ID(tag) == PROP_ID(PR_ATTACH_FLAGS)) value = AttachFlags();
            }
            block[i] = SPropValue{};
            if (value) {
                block[i].ulPropTag = CHANGE_PROP_TYPE(tag, PT_LONG);
                block[i].Value.l = *value;
            } else {
                block[i].ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
                block[i].Value.err = MAPI_E_NOT_FOUND;
                missing = true;
            }
        }
    } catch (...) {
        // A COM method reports failures by its result, never by throwing.
        std::free(block);
        return E_FAIL;
    }
    *count = wanted;
    *values = block;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

}  // namespace velmora
