#pragma once

#include "com/ComObject.h"
#include "mapi/MapiDefs.h"
#include "mapi/MapiGuid.h"

namespace mailstore {

class AttachmentObject;

// What an attachment's MAPIOBJECT gives: IAttachment answering
// PR_ATTACH_SIZE and PR_ATTACH_FLAGS from the attachment's part.
class MapiProperties final : public com::ComObject<IAttachment> {
public:
    explicit MapiProperties(com::ComPtr<AttachmentObject> owner);

    // The values come in one block from std::malloc, which the MAPI library
    // of this platform frees with MAPIFreeBuffer. S_OK when every property
    // was found, MAPI_W_ERRORS_RETURNED with PT_ERROR entries when not.
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                                       LPSPropValue* values) override;

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropList(ULONG, LPSPropTagArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG, const IID*, ULONG, ULONG, IUnknown**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, LPSPropValue, SPropProblemArray**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray, SPropProblemArray**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(ULONG, const IID*, LPSPropTagArray, ULONG, IMAPIProgress*, const IID*, void*,
                                     ULONG, SPropProblemArray**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray, ULONG, IMAPIProgress*, const IID*, void*, ULONG,
                                        SPropProblemArray**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray*, const GUID*, ULONG, ULONG*, MAPINAMEID***) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG, MAPINAMEID**, ULONG, LPSPropTagArray*) override {
        return E_NOTIMPL;
    }

protected:
    void* Find(REFIID iid) override;

private:
    com::ComPtr<AttachmentObject> owner_;
};

}  // namespace mailstore
