#pragma once

#include <optional>

#include "com/ComObject.h"
#include "mapi/MapiDefs.h"
#include "mapi/MapiGuid.h"

namespace velmora {

// An attachment's MAPI object as the hosts of this project give it:
// IAttachment answering PR_ATTACH_SIZE and PR_ATTACH_FLAGS, each possibly
// absent; every other property operation is not supported.
class TAttachmentProperties : public com::ComObject<IAttachment> {
public:
    // The values come in one block from std::malloc, which the MAPI library
    // of these hosts frees with MAPIFreeBuffer. S_OK when every property was
    // found, MAPI_W_ERRORS_RETURNED with PT_ERROR entries when not.
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
    TAttachmentProperties() = default;

    // The decoded size and the attachment flags; none when absent.
    virtual std::optional<LONG> AttachSize() = 0;
    virtual std::optional<LONG> AttachFlags() = 0;

    void* Find(REFIID iid) override;
};

}  // namespace velmora
