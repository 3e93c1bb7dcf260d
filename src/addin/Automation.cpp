#include "addin/Automation.h"

#include "base/Format.h"
#include "com/Bstr.h"
#include "host/HostError.h"

namespace velmora {

namespace {

DISPID MemberId(IDispatch* object, std::u16string_view name) {
    if (object == nullptr) {
        throw host::HostError(E_POINTER, Format(u"There is no object whose %s could be reached", {name}));
    }
    std::u16string text(name);
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(text.data())};
    DISPID id = DISPID_UNKNOWN;
    if (HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(result)) {
        throw host::HostError(result, Format(u"The object has no member %s", {name}));
    }
    return id;
}

// A failed Invoke as the error it reports.
[[noreturn]] void ThrowFailure(HRESULT result, EXCEPINFO& exception, std::u16string_view name) {
    if (result == DISP_E_EXCEPTION && exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    std::u16string message = com::ToU16(exception.bstrDescription);
    const HRESULT code = result == DISP_E_EXCEPTION && FAILED(exception.scode) ? exception.scode : result;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (message.empty()) message = Format(u"The member %s failed", {name});
    throw host::HostError(code, std::move(message));
}

}  // namespace

Variant Variant::OfInt(std::int32_t number) {
    Variant value;
    value.value_.vt = VT_I4;
    value.value_.lVal = number;
    return value;
}

Variant Variant::OfText(std::u16string_view text) {
    Variant value;
    value.value_.vt = VT_BSTR;
    value.value_.bstrVal = com::AllocBstr(text);
    return value;
}

Variant Variant::OfDispatch(IDispatch* object) {
    Variant value;
    value.value_.vt = VT_DISPATCH;
    value.value_.pdispVal = object;
    if (object != nullptr) object->AddRef();
    return value;
}

std::u16string Variant::Text() const {
    if (value_.vt == VT_BSTR) return com::ToU16(value_.bstrVal);
    if (value_.vt == (VT_BSTR | VT_BYREF)) return com::ToU16(*value_.pbstrVal);
    throw host::HostError(DISP_E_TYPEMISMATCH, u"The value is not a text");
}

com::ComPtr<IDispatch> Variant::Dispatch() const {
    if (value_.vt == VT_DISPATCH) return com::ComPtr<IDispatch>(value_.pdispVal);
    if (value_.vt == (VT_DISPATCH | VT_BYREF)) return com::ComPtr<IDispatch>(*value_.ppdispVal);
    throw host::HostError(DISP_E_TYPEMISMATCH, u"The value is not an object");
}

Variant GetProperty(IDispatch* object, std::u16string_view name) {
    const DISPID id = MemberId(object, name);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    if (HRESULT code = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                      &none, result.Put(), &exception, &argumentError);
        FAILED(code)) {
        ThrowFailure(code, exception, name);
    }
    return result;
}

void SetProperty(IDispatch* object, std::u16string_view name, const Variant& value) {
    const DISPID id = MemberId(object, name);
    VARIANT argument = value.Get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    if (HRESULT code = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                      &exception, &argumentError);
        FAILED(code)) {
        ThrowFailure(code, exception, name);
    }
}

}  // namespace velmora
