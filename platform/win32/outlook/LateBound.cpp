#include "win32/outlook/LateBound.h"

#include <mutex>
#include <vector>

#include "base/Format.h"
#include "base/Utf16.h"
#include "com/Bstr.h"
#include "com/Guid.h"
#include "host/HostError.h"

namespace win32 {

namespace {

// Identifiers of the members of each type of object, by type and folded name.
class TypeMembers {
public:
    std::optional<DISPID> Lookup(const GUID& type, const std::u16string& name) {
        std::lock_guard guard(mutex_);
        auto found = ids_.find({com::GuidToString(type), name});
        if (found == ids_.end()) return std::nullopt;
        return found->second;
    }
    void Remember(const GUID& type, const std::u16string& name, DISPID id) {
        std::lock_guard guard(mutex_);
        ids_[{com::GuidToString(type), name}] = id;
    }

private:
    std::mutex mutex_;
    std::map<std::pair<std::u16string, std::u16string>, DISPID> ids_;
};

TypeMembers& Members() {
    static TypeMembers members;
    return members;
}

std::optional<GUID> TypeOf(IDispatch* object) {
    UINT count = 0;
    if (FAILED(object->GetTypeInfoCount(&count)) || count == 0) return std::nullopt;
    ITypeInfo* info = nullptr;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || info == nullptr) return std::nullopt;
    TYPEATTR* attributes = nullptr;
    std::optional<GUID> type;
    if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
        type = attributes->guid;
        info->ReleaseTypeAttr(attributes);
    }
    info->Release();
    return type;
}

[[noreturn]] void ThrowMismatch() { throw host::HostError(DISP_E_TYPEMISMATCH, u"The host gave a value of another type"); }

LateValue Converted(const VARIANT& value, VARTYPE type) {
    LateValue converted;
    if (FAILED(VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, type))) ThrowMismatch();
    return converted;
}

}  // namespace

LateValue::LateValue(const LateValue& other) {
    VariantInit(&value_);
    VariantCopy(&value_, const_cast<VARIANT*>(&other.value_));
}

LateValue LateValue::Int(std::int32_t number) {
    LateValue value;
    value.value_.vt = VT_I4;
    value.value_.lVal = number;
    return value;
}

LateValue LateValue::Bool(bool flag) {
    LateValue value;
    value.value_.vt = VT_BOOL;
    value.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

LateValue LateValue::Text(std::u16string_view text) {
    LateValue value;
    value.value_.vt = VT_BSTR;
    value.value_.bstrVal = com::AllocBstr(text);
    return value;
}

LateValue LateValue::Object(IDispatch* object) {
    LateValue value;
    value.value_.vt = VT_DISPATCH;
    value.value_.pdispVal = object;
    if (object != nullptr) object->AddRef();
    return value;
}

LateValue LateValue::Missing() {
    LateValue value;
    value.value_.vt = VT_ERROR;
    value.value_.scode = DISP_E_PARAMNOTFOUND;
    return value;
}

std::int32_t LateValue::AsInt() const { return Converted(value_, VT_I4).value_.lVal; }

bool LateValue::AsBool() const { return Converted(value_, VT_BOOL).value_.boolVal != VARIANT_FALSE; }

std::u16string LateValue::AsText() const {
    if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
    return com::ToU16(Converted(value_, VT_BSTR).value_.bstrVal);
}

velmora::TDateTime LateValue::AsDate() const { return Converted(value_, VT_DATE).value_.date; }

com::ComPtr<IDispatch> LateValue::AsObject() const {
    if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
    if (value_.vt == VT_DISPATCH) return com::ComPtr<IDispatch>(value_.pdispVal);
    if (value_.vt == VT_UNKNOWN && value_.punkVal != nullptr) {
        return com::ComPtr<IUnknown>(value_.punkVal).As<IDispatch>(IID_IDispatch);
    }
    ThrowMismatch();
}

com::ComPtr<IUnknown> LateValue::AsUnknown() const {
    if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
    if (value_.vt == VT_UNKNOWN) return com::ComPtr<IUnknown>(value_.punkVal);
    if (value_.vt == VT_DISPATCH) return com::ComPtr<IUnknown>(value_.pdispVal);
    ThrowMismatch();
}

LateBound::LateBound(com::ComPtr<IDispatch> object) : object_(std::move(object)) {
    if (!object_) throw host::HostError(E_POINTER, u"The host gave no object");
    type_ = TypeOf(object_.Get());
}

std::optional<DISPID> LateBound::Find(std::u16string_view name) {
    const std::u16string folded = velmora::LowerCase(name);
    if (type_) {
        if (auto known = Members().Lookup(*type_, folded)) return known;
    } else if (auto own = ownIds_.find(folded); own != ownIds_.end()) {
        return own->second;
    }
    std::u16string text(name);
    LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(text.data())};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
    if (type_) {
        Members().Remember(*type_, folded, id);
    } else {
        ownIds_[folded] = id;
    }
    return id;
}

DISPID LateBound::IdOf(std::u16string_view name) {
    if (std::optional<DISPID> id = Find(name)) return *id;
    throw host::HostError(DISP_E_UNKNOWNNAME, velmora::Format(u"The host's object has no member %s", {name}));
}

LateValue LateBound::Invoke(std::u16string_view name, WORD flags, std::initializer_list<LateValue> arguments) {
    const DISPID id = IdOf(name);
    // Automation passes the arguments last first.
    std::vector<VARIANT> reversed;
    for (auto argument = std::rbegin(arguments); argument != std::rend(arguments); ++argument) {
        reversed.push_back(argument->Get());
    }
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    LateValue result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT code = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                         put ? nullptr : result.Put(), &exception, &argumentError);
    if (SUCCEEDED(code)) return result;
    if (code == DISP_E_EXCEPTION && exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    std::u16string message = com::ToU16(exception.bstrDescription);
    const HRESULT reported = code == DISP_E_EXCEPTION && FAILED(exception.scode) ? exception.scode : code;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    if (message.empty()) message = velmora::Format(u"The host's member %s failed", {name});
    throw host::HostError(reported, std::move(message));
}

LateValue LateBound::Get(std::u16string_view name, std::initializer_list<LateValue> arguments) {
    return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments);
}

void LateBound::Put(std::u16string_view name, const LateValue& value) {
    const WORD flags = value.Get().vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    Invoke(name, flags, {value});
}

LateValue LateBound::Call(std::u16string_view name, std::initializer_list<LateValue> arguments) {
    return Invoke(name, DISPATCH_METHOD, arguments);
}

}  // namespace win32
