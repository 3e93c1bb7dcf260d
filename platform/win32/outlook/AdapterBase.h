#pragma once

#include "com/ComObject.h"
#include "win32/outlook/HostObject.h"

namespace win32 {

// An adapter of a wrapped object to one interface I of the core: it answers
// I itself and leaves every other interface, IUnknown included, to the
// wrapped object, whose identity it shares.
template <class I>
class Adapter : public com::ComObject<I> {
public:
    explicit Adapter(HostObject& host) : host_(com::ComPtr<HostObject>(&host)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid != IID_IUnknown) {
            if (void* own = this->Find(iid)) {
                *object = own;
                this->AddRef();
                return S_OK;
            }
        }
        return host_->QueryInterface(iid, object);
    }

protected:
    LateBound& Late() { return host_->Late(); }
    HostObject& Host() { return *host_; }

private:
    com::ComPtr<HostObject> host_;
};

// The same for the core's dual interfaces: their IDispatch is the wrapped object's.
template <class I>
class DispatchAdapter : public Adapter<I> {
public:
    using Adapter<I>::Adapter;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return this->Host().GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override {
        return this->Host().GetTypeInfo(index, locale, typeInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return this->Host().GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override {
        return this->Host().Invoke(id, iid, locale, flags, params, result, exception, argErr);
    }
};

// Whether the client's object answers the interface itself: whether it is
// an object of that kind.
inline bool RealHas(HostObject& host, REFIID iid) {
    IUnknown* real = nullptr;
    if (FAILED(host.Real()->QueryInterface(iid, reinterpret_cast<void**>(&real))) || real == nullptr) return false;
    real->Release();
    return true;
}

// A late-bound result as the core's interface I (see WrappedAs).
template <class I>
com::ComPtr<I> Result(const LateValue& value) {
    return WrappedAs<I>(value, com::IidOf<I>());
}

// A new adapter, with the reference the caller takes over.
template <class T>
T* Made(HostObject& host) {
    auto* adapter = new T(host);
    adapter->AddRef();
    return adapter;
}

}  // namespace win32
