#include "sim/Variants.h"

#include "com/Bstr.h"
#include "host/HostError.h"

namespace sim {

namespace {

[[noreturn]] void Mismatch(const char16_t* wanted) {
    throw host::HostError(DISP_E_TYPEMISMATCH, std::u16string(u"The value is not ") + wanted + u".");
}

// A by-reference argument is read through its reference.
bool HasType(const VARIANT& value, VARTYPE type) { return value.vt == type || value.vt == (type | VT_BYREF); }
bool ByReference(const VARIANT& value) { return (value.vt & VT_BYREF) != 0; }

}  // namespace

VARIANT TextVariant(const std::u16string& text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = com::AllocBstr(text);
    return value;
}

VARIANT IntVariant(std::int32_t number) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}

VARIANT BoolVariant(bool flag) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

VARIANT DispatchVariant(IDispatch* object) {
    if (object != nullptr) object->AddRef();
    return BorrowedDispatch(object);
}

VARIANT BorrowedDispatch(IDispatch* object) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DISPATCH;
    value.pdispVal = object;
    return value;
}

VARIANT BoolReference(VARIANT_BOOL& flag) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL | VT_BYREF;
    value.pboolVal = &flag;
    return value;
}

std::u16string TextOf(const VARIANT& value) {
    if (!HasType(value, VT_BSTR)) Mismatch(u"a text");
    return com::ToU16(ByReference(value) ? *value.pbstrVal : value.bstrVal);
}

std::int32_t IntOf(const VARIANT& value) {
    if (!HasType(value, VT_I4)) Mismatch(u"a number");
    return ByReference(value) ? *value.plVal : value.lVal;
}

bool BoolOf(const VARIANT& value) {
    if (!HasType(value, VT_BOOL)) Mismatch(u"a boolean");
    return (ByReference(value) ? *value.pboolVal : value.boolVal) != VARIANT_FALSE;
}

IDispatch* DispatchOf(const VARIANT& value) {
    if (!HasType(value, VT_DISPATCH)) Mismatch(u"an object");
    return ByReference(value) ? *value.ppdispVal : value.pdispVal;
}

}  // namespace sim
