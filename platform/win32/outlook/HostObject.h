#pragma once

#include "com/ComObject.h"
#include "com/ComPtr.h"
#include "win32/outlook/LateBound.h"

namespace win32 {

// An object of the real mail client as the core reaches it. The client's
// objects answer only late-bound calls (their own interfaces have other
// layouts than the core's), so this object stands in for one of them:
// - asked for an interface of the core's Outlook or Office vocabulary that
//   the client's object has, it gives an adapter whose every operation is one
//   late-bound call of the client's object (OutlookAdapters, OfficeAdapters);
// - as IDispatch it forwards to the client's object, and every object passed
//   either way is wrapped or unwrapped, a picture of the core's made a
//   picture object the client can take (PictureImages);
// - as a connection point container it hands the client sinks that wrap the
//   objects its events pass (EventAdapters).
// QueryInterface for IUnknown answers this object from every adapter, so an
// object keeps one identity.
class HostObject final : public com::ComObject<IDispatch> {
public:
    // Null stays null; a HostObject is not wrapped again.
    static com::ComPtr<IDispatch> Wrap(com::ComPtr<IDispatch> real);
    // The client's own object behind a wrapped one; any other object as it is.
    static IDispatch* Unwrapped(IDispatch* object);

    explicit HostObject(com::ComPtr<IDispatch> real) : late_(std::move(real)) {}

    LateBound& Late() { return late_; }
    IDispatch* Real() const { return late_.Object(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override;

protected:
    void* Find(REFIID iid) override;

private:
    LateBound late_;
};

// The wrapped object of a late-bound result, as the core's interface I;
// null for an empty result.
template <class I>
com::ComPtr<I> WrappedAs(const LateValue& value, REFIID iid) {
    com::ComPtr<IDispatch> wrapped = HostObject::Wrap(value.AsObject());
    return wrapped ? wrapped.As<I>(iid) : com::ComPtr<I>();
}

// Where adapters answer for a wrapped object: an adapter of the interface
// iid over host, or null when the core has no such interface.
IUnknown* MakeOutlookAdapter(REFIID iid, HostObject& host);
IUnknown* MakeOfficeAdapter(REFIID iid, HostObject& host);

}  // namespace win32
