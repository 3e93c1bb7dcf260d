#include "sim/DispatchMembers.h"

#include "base/Utf16.h"
#include "com/Bstr.h"
#include "host/HostError.h"

namespace sim {

namespace {

std::u16string NameOf(LPOLESTR name) {
    std::u16string text;
    for (const OLECHAR* c = name; c != nullptr && *c != 0; ++c) text += static_cast<char16_t>(*c);
    return text;
}

void Report(EXCEPINFO* exception, const host::HostError& error) {
    if (exception == nullptr) return;
    *exception = EXCEPINFO{};
    exception->scode = error.Code();
    exception->bstrSource = com::AllocBstr(u"sim");
    exception->bstrDescription = com::AllocBstr(error.Message());
}

}  // namespace

HRESULT DispatchMembers::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Only the first name is a member; the others would name its parameters.
        if (i > 0) {
            result = DISP_E_UNKNOWNNAME;
            continue;
        }
        const std::u16string wanted = NameOf(names[i]);
        for (std::size_t m = 0; m < members_.size(); ++m) {
            if (velmora::SameText(members_[m].Name, wanted)) ids[i] = static_cast<DISPID>(m + 1);
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT DispatchMembers::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception) const {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr) return E_INVALIDARG;
    const DispatchMember& member = members_[static_cast<std::size_t>(id) - 1];
    try {
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) return Put(member, *params);
        if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0) return Get(member, *params, result);
        return DISP_E_MEMBERNOTFOUND;
    } catch (const host::HostError& error) {
        Report(exception, error);
        return DISP_E_EXCEPTION;
    }
}

HRESULT DispatchMembers::Get(const DispatchMember& member, const DISPPARAMS& params, VARIANT* result) const {
    if (!member.Get) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value = member.Get();
    if (result != nullptr) {
        *result = value;
    } else {
        VariantClear(&value);
    }
    return S_OK;
}

HRESULT DispatchMembers::Put(const DispatchMember& member, const DISPPARAMS& params) const {
    if (!member.Put) return DISP_E_MEMBERNOTFOUND;
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs == nullptr ||
        params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTFOUND;
    }
    member.Put(params.rgvarg[0]);
    return S_OK;
}

}  // namespace sim
