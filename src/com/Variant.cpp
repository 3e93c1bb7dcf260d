#include "com/Unknown.h"

#ifndef _WIN32
#include <cstring>

#include "com/Bstr.h"

void VariantInit(VARIANT* value) {
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_DISPATCH:
        if (value->pdispVal != nullptr) value->pdispVal->Release();
        break;
    case VT_UNKNOWN:
        if (value->punkVal != nullptr) value->punkVal->Release();
        break;
    default:
        break;  // by-reference values and plain numbers own nothing
    }
    VariantInit(value);
    return S_OK;
}
#endif
