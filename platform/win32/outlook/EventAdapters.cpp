#include "win32/outlook/EventAdapters.h"

#include <vector>

#include "com/ComObject.h"
#include "win32/outlook/HostObject.h"

namespace win32 {

namespace {

using com::ComPtr;

class SinkAdapter final : public com::ComObject<IDispatch> {
public:
    explicit SinkAdapter(ComPtr<IDispatch> sink) : sink_(std::move(sink)) {}

    // The client asks a sink for its event interface before it advises it:
    // whatever the core's sink answers, this one answers too.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            IUnknown* answer = nullptr;
            if (FAILED(sink_->QueryInterface(iid, reinterpret_cast<void**>(&answer))) || answer == nullptr) {
                return E_NOINTERFACE;
            }
            answer->Release();
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return sink_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override {
        return sink_->GetTypeInfo(index, locale, typeInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return sink_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override {
        if (params == nullptr) return sink_->Invoke(id, iid, locale, flags, params, result, exception, argErr);
        // Objects passed by value are wrapped for the call; everything else
        // is the client's own, by-reference flags included.
        std::vector<VARIANT> arguments(params->rgvarg, params->rgvarg + params->cArgs);
        std::vector<ComPtr<IDispatch>> wrapped;
        for (VARIANT& argument : arguments) {
            if (argument.vt != VT_DISPATCH || argument.pdispVal == nullptr) continue;
            wrapped.push_back(HostObject::Wrap(ComPtr<IDispatch>(argument.pdispVal)));
            argument.pdispVal = wrapped.back().Get();
        }
        DISPPARAMS passed{arguments.data(), params->rgdispidNamedArgs, params->cArgs, params->cNamedArgs};
        return sink_->Invoke(id, iid, locale, flags, &passed, result, exception, argErr);
    }

private:
    ComPtr<IDispatch> sink_;
};

class PointAdapter final : public com::ComObject<IConnectionPoint> {
public:
    PointAdapter(ComPtr<IConnectionPoint> real, ComPtr<IConnectionPointContainer> container)
        : real_(std::move(real)), container_(std::move(container)) {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override { return real_->GetConnectionInterface(iid); }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (container == nullptr) return E_POINTER;
        *container = container_.Get();
        container_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (sink == nullptr || cookie == nullptr) return E_POINTER;
        ComPtr<IDispatch> dispatch = ComPtr<IUnknown>(sink).As<IDispatch>(IID_IDispatch);
        if (!dispatch) return CONNECT_E_CANNOTCONNECT;
        ComPtr<SinkAdapter> adapter = com::MakeCom<SinkAdapter>(dispatch);
        return real_->Advise(static_cast<IDispatch*>(adapter.Get()), cookie);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return real_->Unadvise(cookie); }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        return real_->EnumConnections(connections);
    }

private:
    ComPtr<IConnectionPoint> real_;
    ComPtr<IConnectionPointContainer> container_;
};

class ContainerAdapter final : public com::ComObject<IConnectionPointContainer> {
public:
    explicit ContainerAdapter(ComPtr<IConnectionPointContainer> real) : real_(std::move(real)) {}

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points != nullptr) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (point == nullptr) return E_POINTER;
        *point = nullptr;
        ComPtr<IConnectionPoint> real;
        if (HRESULT result = real_->FindConnectionPoint(iid, real.Put()); FAILED(result)) return result;
        auto adapter = com::MakeCom<PointAdapter>(real, ComPtr<IConnectionPointContainer>(this));
        *point = adapter.Detach();
        return S_OK;
    }

private:
    ComPtr<IConnectionPointContainer> real_;
};

}  // namespace

ComPtr<IConnectionPointContainer> WrapConnectionPoints(ComPtr<IConnectionPointContainer> real) {
    if (!real) return {};
    return com::MakeCom<ContainerAdapter>(std::move(real));
}

}  // namespace win32
