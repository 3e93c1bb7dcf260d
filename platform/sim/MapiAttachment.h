#pragma once

#include "com/ComObject.h"
#include "mapi/MapiDefs.h"
#include "mapi/MapiGuid.h"

namespace sim {

class Attachment;

// What an attachment's MAPIOBJECT gives: IAttachment with the two integer
// properties of the attachment's data, unless the data says it answers no
// IAttachment. Failures planned for "GetProps" on the attachment come back
// as GetProps' result.
class MapiAttachment : public com::ComObject<IAttachment> {
public:
    explicit MapiAttachment(com::ComPtr<Attachment> owner);

    // The values come in one block from std::malloc, which the MAPI library
    // of this platform frees with MAPIFreeBuffer.
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
    com::ComPtr<Attachment> owner_;
};

}  // namespace sim
