#pragma once

#include <utility>

#include "com/ComObject.h"

namespace sim {

// The IDispatch of an item, which the item interfaces lack, as an event
// hands the item out: a tear-off whose every other interface, IUnknown
// included, is the item's own.
class ItemDispatch : public com::ComObject<IDispatch> {
public:
    explicit ItemDispatch(com::ComPtr<IUnknown> item) : item_(std::move(item)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override;
    // Items have no members by name here.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    com::ComPtr<IUnknown> item_;
};

}  // namespace sim
