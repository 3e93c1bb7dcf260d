#include <array>
#include <string_view>

#include "addin/ModuleTypeInfo.h"
#include "addin/uVelmora.h"
#include "base/Utf16.h"
#include "com/Bstr.h"

namespace velmora {

namespace {

// The operations' names and, at the same place, their argument counts.
constexpr std::array<std::u16string_view, 5> kOperations{u"OnConnection", u"OnDisconnection", u"OnAddInsUpdate",
                                                         u"OnStartupComplete", u"OnBeginShutdown"};
constexpr std::array<UINT, 5> kArgumentCounts{4, 2, 1, 1, 1};

std::u16string NameOf(const OLECHAR* name) {
    std::u16string text;
    for (const OLECHAR* c = name; c != nullptr && *c != 0; ++c) text += static_cast<char16_t>(*c);
    return text;
}

bool ReadObject(const VARIANT& value, IDispatch*& object) {
    if (value.vt == VT_DISPATCH) {
        object = value.pdispVal;
    } else if (value.vt == (VT_DISPATCH | VT_BYREF) && value.ppdispVal != nullptr) {
        object = *value.ppdispVal;
    } else {
        return false;
    }
    return true;
}

bool ReadInt(const VARIANT& value, std::int32_t& number) {
    if (value.vt == VT_I4) {
        number = value.lVal;
    } else if (value.vt == (VT_I4 | VT_BYREF) && value.plVal != nullptr) {
        number = *value.plVal;
    } else {
        return false;
    }
    return true;
}

HRESULT Mismatch(UINT* argErr, UINT position) {
    if (argErr != nullptr) *argErr = position;
    return DISP_E_TYPEMISMATCH;
}

}  // namespace

HRESULT TVelmora::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = HasTypeInfo() ? 1 : 0;
    return S_OK;
}

HRESULT TVelmora::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
    if (index != 0 && HasTypeInfo()) {
        if (typeInfo != nullptr) *typeInfo = nullptr;
        return DISP_E_BADINDEX;
    }
    return LoadTypeInfo(IID_IVelmora, typeInfo);
}

HRESULT TVelmora::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Parameters are not named here.
        for (std::size_t k = 0; i == 0 && k < kOperations.size(); ++k) {
            if (SameText(kOperations[k], NameOf(names[0]))) ids[0] = static_cast<DISPID>(k + 1);
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

// The arguments arrive last first; custom, always the last, is passed on
// unread.
HRESULT TVelmora::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argErr) {
    if (id < 1 || static_cast<std::size_t>(id) > kOperations.size() || (flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr) return E_INVALIDARG;
    if (params->cNamedArgs != 0) return DISP_E_PARAMNOTFOUND;
    if (params->cArgs != kArgumentCounts[static_cast<std::size_t>(id) - 1]) return DISP_E_BADPARAMCOUNT;
    const VARIANT* args = params->rgvarg;
    SAFEARRAY* custom = nullptr;
    HRESULT outcome = S_OK;
    switch (id) {
        case 1: {
            IDispatch* application = nullptr;
            IDispatch* addInInst = nullptr;
            std::int32_t mode = 0;
            if (!ReadObject(args[3], application)) return Mismatch(argErr, 3);
            if (!ReadInt(args[2], mode)) return Mismatch(argErr, 2);
            if (!ReadObject(args[1], addInInst)) return Mismatch(argErr, 1);
            outcome = OnConnection(application, static_cast<Office::ext_ConnectMode>(mode), addInInst, &custom);
            break;
        }
        case 2: {
            std::int32_t mode = 0;
            if (!ReadInt(args[1], mode)) return Mismatch(argErr, 1);
            outcome = OnDisconnection(static_cast<Office::ext_DisconnectMode>(mode), &custom);
            break;
        }
        case 3: outcome = OnAddInsUpdate(&custom); break;
        case 4: outcome = OnStartupComplete(&custom); break;
        default: outcome = OnBeginShutdown(&custom); break;
    }
    if (result != nullptr) VariantInit(result);
    if (SUCCEEDED(outcome)) return S_OK;
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = outcome;
        if (auto info = TakeErrorInfo()) {
            exception->bstrDescription = com::AllocBstr(info->Description);
            exception->bstrSource = com::AllocBstr(info->Source);
        }
    }
    return DISP_E_EXCEPTION;
}

}  // namespace velmora
