#pragma once

#include <functional>
#include <string>
#include <vector>

#include "com/Unknown.h"

namespace sim {

// A property that callers reach by name through IDispatch. A missing
// function makes the property read-only or write-only.
struct DispatchMember {
    std::u16string Name;
    std::function<VARIANT()> Get;
    std::function<void(const VARIANT&)> Put;
};

// The named members of a sim object, numbered 1, 2, ... in order, and the
// IDispatch protocol over them: names compare without regard to letter
// case; a member that throws host::HostError answers DISP_E_EXCEPTION with
// the error's code and message in the EXCEPINFO.
class DispatchMembers {
public:
    DispatchMembers() = default;
    explicit DispatchMembers(std::vector<DispatchMember> members) : members_(std::move(members)) {}

    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const;
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception) const;

private:
    HRESULT Get(const DispatchMember& member, const DISPPARAMS& params, VARIANT* result) const;
    HRESULT Put(const DispatchMember& member, const DISPPARAMS& params) const;

    std::vector<DispatchMember> members_;
};

}  // namespace sim
