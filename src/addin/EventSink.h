#pragma once

#include <functional>

#include "com/ConnectionPoint.h"
#include "com/Unknown.h"

namespace velmora {

// An object that receives one event interface's events from a host: the
// host calls its IDispatch::Invoke. It is not reference counted (AddRef
// answers 2, Release 1, and neither frees it); the object that made it
// disconnects and frees it.
class TEventSink : public IDispatch {
public:
    virtual ~TEventSink() = default;

    // IUnknown and IDispatch answer; the sink's own event interface gives
    // its IDispatch.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    // E_NOTIMPL: hosts call events by their dispatch identifiers.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    // What DoInvoke answers. An error that escapes it stops at this
    // boundary as DISP_E_EXCEPTION: it never reaches the host's code.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID DispID, REFIID IID, LCID LocaleID, WORD Flags, DISPPARAMS* Params,
                                     VARIANT* VarResult, EXCEPINFO* ExcepInfo, UINT* ArgErr) override;

    virtual IID GetEventIID() const = 0;

    // Advises sink on source's connection point for the sink's events: the
    // cookie, 0 when any step failed.
    static DWORD Connect(IUnknown* Source, TEventSink& Sink);
    // Unadvises the cookie's connection; the cookie becomes 0 when that
    // succeeded. Nothing happens for cookie 0; failures report nothing.
    static void Disconnect(IUnknown* Source, const IID& EventIID, DWORD& Cookie);

protected:
    TEventSink() = default;

    // Handles one event. Arguments come in reverse order, as hosts pass
    // them, and are read by their type: a handled event whose arguments are
    // missing or of another type calls no handler.
    virtual HRESULT DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) = 0;
};

// Click of a command bar button (_CommandBarButtonEvents, DispID 1).
class TButtonEventSink : public TEventSink {
public:
    using THandler = std::function<void(IDispatch* Ctrl, VARIANT_BOOL& CancelDefault)>;
    explicit TButtonEventSink(THandler Handler) : Handler_(std::move(Handler)) {}
    IID GetEventIID() const override;

protected:
    HRESULT DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) override;

private:
    THandler Handler_;
};

// OnUpdate of the command bars (_CommandBarsEvents, DispID 1).
class TCmdBarEventSink : public TEventSink {
public:
    using THandler = std::function<void()>;
    explicit TCmdBarEventSink(THandler Handler) : Handler_(std::move(Handler)) {}
    IID GetEventIID() const override;

protected:
    HRESULT DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) override;

private:
    THandler Handler_;
};

// ItemSend of the Outlook application (ApplicationEvents, DispID 0xF002).
class TAppEventsSink : public TEventSink {
public:
    using THandler = std::function<void(IDispatch* Item, VARIANT_BOOL& Cancel)>;
    explicit TAppEventsSink(THandler Handler) : Handler_(std::move(Handler)) {}
    IID GetEventIID() const override;

protected:
    HRESULT DoInvoke(DISPID DispID, const DISPPARAMS& Params, UINT* ArgErr) override;

private:
    THandler Handler_;
};

}  // namespace velmora
