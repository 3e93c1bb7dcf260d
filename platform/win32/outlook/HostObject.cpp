#include "win32/outlook/HostObject.h"

#include <vector>

#include "host/HostError.h"
#include "win32/outlook/EventAdapters.h"
#include "win32/outlook/PictureImages.h"

namespace win32 {

namespace {

// Answered by a wrapped object (and its adapters) with the object itself,
// so that it can be told from the client's own objects.
constexpr IID kHostObject = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x00}};

HostObject* AsHostObject(IUnknown* object) {
    if (object == nullptr) return nullptr;
    void* found = nullptr;
    if (FAILED(object->QueryInterface(kHostObject, &found)) || found == nullptr) return nullptr;
    auto* host = static_cast<HostObject*>(static_cast<IDispatch*>(found));
    host->Release();
    return host;
}

}  // namespace

com::ComPtr<IDispatch> HostObject::Wrap(com::ComPtr<IDispatch> real) {
    if (!real) return {};
    if (AsHostObject(real.Get()) != nullptr) return real;
    return com::ComPtr<IDispatch>(com::MakeCom<HostObject>(std::move(real)).Get());
}

IDispatch* HostObject::Unwrapped(IDispatch* object) {
    HostObject* host = AsHostObject(object);
    return host != nullptr ? host->Real() : object;
}

void* HostObject::Find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kHostObject) return static_cast<IDispatch*>(this);
    return nullptr;
}

HRESULT HostObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = Find(iid);
    if (*object != nullptr) {
        AddRef();
        return S_OK;
    }
    try {
        if (iid == IID_IConnectionPointContainer) {
            auto real = com::ComPtr<IDispatch>(Real()).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
            if (!real) return E_NOINTERFACE;
            *object = WrapConnectionPoints(real).Detach();
            return S_OK;
        }
        IUnknown* adapter = MakeOutlookAdapter(iid, *this);
        if (adapter == nullptr) adapter = MakeOfficeAdapter(iid, *this);
        *object = adapter;
        return adapter != nullptr ? S_OK : E_NOINTERFACE;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT HostObject::GetTypeInfoCount(UINT* count) { return Real()->GetTypeInfoCount(count); }

HRESULT HostObject::GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) {
    return Real()->GetTypeInfo(index, locale, typeInfo);
}

HRESULT HostObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    return Real()->GetIDsOfNames(iid, names, count, locale, ids);
}

HRESULT HostObject::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argErr) {
    std::vector<VARIANT> arguments;
    std::vector<com::ComPtr<IDispatch>> pictures;
    DISPPARAMS passed{nullptr, nullptr, 0, 0};
    if (params != nullptr) {
        arguments.assign(params->rgvarg, params->rgvarg + params->cArgs);
        try {
            for (VARIANT& argument : arguments) {
                if (argument.vt != VT_DISPATCH || argument.pdispVal == nullptr) continue;
                if (com::ComPtr<IDispatch> picture = SystemPictureOf(argument.pdispVal)) {
                    pictures.push_back(picture);
                    argument.pdispVal = picture.Get();
                } else {
                    argument.pdispVal = Unwrapped(argument.pdispVal);
                }
            }
        } catch (const host::HostError& error) {
            return error.Code();
        }
        passed = {arguments.data(), params->rgdispidNamedArgs, params->cArgs, params->cNamedArgs};
    }
    const HRESULT code = Real()->Invoke(id, iid, locale, flags, params != nullptr ? &passed : nullptr, result,
                                        exception, argErr);
    if (SUCCEEDED(code) && result != nullptr && result->vt == VT_DISPATCH && result->pdispVal != nullptr) {
        com::ComPtr<IDispatch> wrapped = Wrap(com::ComPtr<IDispatch>::Attach(result->pdispVal));
        result->pdispVal = wrapped.Detach();
    }
    return code;
}

}  // namespace win32
