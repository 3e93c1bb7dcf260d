#include "addin/EventSink.h"

#include "com/Bstr.h"
#include "com/ComPtr.h"
#include "host/Office.h"
#include "host/Outlook.h"

namespace velmora {

namespace {

// The two arguments of Click and ItemSend: the object at rgvarg[1], the
// by-reference boolean at rgvarg[0].
HRESULT ObjectAndFlag(const DISPPARAMS& params, UINT* argErr, IDispatch*& object, VARIANT_BOOL*& flag) {
    if (params.cArgs < 2 || params.rgvarg == nullptr) return DISP_E_BADPARAMCOUNT;
    const VARIANT& first = params.rgvarg[1];
    const VARIANT& second = params.rgvarg[0];
    if (first.vt == VT_DISPATCH) {
        object = first.pdispVal;
    } else if (first.vt == (VT_DISPATCH | VT_BYREF) && first.ppdispVal != nullptr) {
        object = *first.ppdispVal;
    } else {
        if (argErr != nullptr) *argErr = 1;
        return DISP_E_TYPEMISMATCH;
    }
    if (second.vt != (VT_BOOL | VT_BYREF) || second.pboolVal == nullptr) {
        if (argErr != nullptr) *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    flag = second.pboolVal;
    return S_OK;
}

void Report(EXCEPINFO* exception, const std::u16string& message) {
    if (exception == nullptr) return;
    *exception = EXCEPINFO{};
    exception->scode = E_UNEXPECTED;
    exception->bstrDescription = com::AllocBstr(message);
}

com::ComPtr<IConnectionPoint> PointOf(IUnknown* source, const IID& events) {
    if (source == nullptr) return nullptr;
    auto container = com::ComPtr<IUnknown>(source).As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    com::ComPtr<IConnectionPoint> point;
    if (!container || FAILED(container->FindConnectionPoint(events, point.Put()))) return nullptr;
    return point;
}

}  // namespace

HRESULT TEventSink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == GetEventIID()) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT TEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
    if (typeInfo != nullptr) *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TEventSink::Invoke(DISPID DispID, REFIID, LCID, WORD, DISPPARAMS* Params, VARIANT*, EXCEPINFO* ExcepInfo,
                           UINT* ArgErr) {
    static const DISPPARAMS kNoArguments{nullptr, nullptr, 0, 0};
    try {
        return DoInvoke(DispID, Params != nullptr ? *Params : kNoArguments, ArgErr);
    } catch (...) {
        Report(ExcepInfo, u"The add-in failed to handle an event");
        return DISP_E_EXCEPTION;
    }
}

DWORD TEventSink::Connect(IUnknown* Source, TEventSink& Sink) {
    DWORD cookie = 0;
    com::ComPtr<IConnectionPoint> point = PointOf(Source, Sink.GetEventIID());
    if (point && FAILED(point->Advise(static_cast<IDispatch*>(&Sink), &cookie))) cookie = 0;
    return cookie;
}

void TEventSink::Disconnect(IUnknown* Source, const IID& EventIID, DWORD& Cookie) {
    if (Cookie == 0) return;
    com::ComPtr<IConnectionPoint> point = PointOf(Source, EventIID);
    if (point && SUCCEEDED(point->Unadvise(Cookie))) Cookie = 0;
}

IID TButtonEventSink::GetEventIID() const { return Office::DIID__CommandBarButtonEvents; }

HRESULT TButtonEventSink::DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) {
    if (DispID != Office::DISPID_Click) return S_OK;
    IDispatch* Ctrl = nullptr;
    VARIANT_BOOL* CancelDefault = nullptr;
    if (HRESULT result = ObjectAndFlag(Params, ArgErr, Ctrl, CancelDefault); FAILED(result)) return result;
    Handler_(Ctrl, *CancelDefault);
    return S_OK;
}

IID TCmdBarEventSink::GetEventIID() const { return Office::DIID__CommandBarsEvents; }

HRESULT TCmdBarEventSink::DoInvoke(DISPID DispID, const DISPPARAMS&, UINT*) {
    if (DispID == Office::DISPID_OnUpdate) Handler_();
    return S_OK;
}

IID TAppEventsSink::GetEventIID() const { return Outlook::DIID_ApplicationEvents; }

HRESULT TAppEventsSink::DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) {
    if (DispID != Outlook::DISPID_ItemSend) return S_OK;
    IDispatch* Item = nullptr;
    VARIANT_BOOL* Cancel = nullptr;
    if (HRESULT result = ObjectAndFlag(Params, ArgErr, Item, Cancel); FAILED(result)) return result;
    Handler_(Item, *Cancel);
    return S_OK;
}

}  // namespace velmora
