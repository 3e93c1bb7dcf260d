#pragma once

#include <type_traits>
#include <utility>

#include "com/ComObject.h"
#include "sim/DispatchMembers.h"

namespace sim {

// A COM object whose IDispatch reaches its named members. The first of
// Interfaces that derives from IDispatch answers for IDispatch.
template <class... Interfaces>
class DispatchObject : public com::ComObject<Interfaces...> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
        if (typeInfo != nullptr) *typeInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return members_.GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        return members_.Invoke(id, flags, params, result, exception);
    }

    IDispatch* AsDispatch() { return FirstDispatch<Interfaces...>(); }

protected:
    DispatchObject() = default;

    void SetMembers(DispatchMembers members) { members_ = std::move(members); }

    void* Find(REFIID iid) override {
        if (iid == IID_IDispatch) return AsDispatch();
        return com::ComObject<Interfaces...>::Find(iid);
    }

private:
    template <class First, class... Rest>
    IDispatch* FirstDispatch() {
        if constexpr (std::is_base_of_v<IDispatch, First>) {
            return static_cast<First*>(this);
        } else {
            return FirstDispatch<Rest...>();
        }
    }

    DispatchMembers members_;
};

}  // namespace sim
