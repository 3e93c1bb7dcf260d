#include "FakeObject.h"

#include <stdexcept>

#include "base/Utf16.h"
#include "com/Bstr.h"
#include "host/HostError.h"

namespace fakehost {

class FakeObject::Point final : public com::ComObject<IConnectionPoint> {
public:
    Point(FakeObject& owner, const IID& events) : owner_(owner), events_(events) {}

    const IID& Events() const { return events_; }
    std::size_t Count() const { return sinks_.size(); }

    HRESULT Fire(DISPID id, std::vector<VARIANT>& reversed) {
        HRESULT result = S_OK;
        // A sink may unadvise while it is called.
        const auto sinks = sinks_;
        for (const auto& [cookie, sink] : sinks) {
            DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
            EXCEPINFO exception{};
            result = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                                  nullptr);
            SysFreeString(exception.bstrSource);
            SysFreeString(exception.bstrDescription);
            SysFreeString(exception.bstrHelpFile);
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (iid == nullptr) return E_POINTER;
        *iid = events_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (container == nullptr) return E_POINTER;
        *container = &owner_;
        owner_.AddRef();
        return S_OK;
    }
    // As the real client does: the sink must answer the event interface.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (sink == nullptr || cookie == nullptr) return E_POINTER;
        IDispatch* events = nullptr;
        if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(&events))) || events == nullptr) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++lastCookie_;
        sinks_[*cookie] = com::ComPtr<IDispatch>::Attach(events);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return sinks_.erase(cookie) == 1 ? S_OK : CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        if (connections != nullptr) *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    FakeObject& owner_;
    IID events_;
    std::map<DWORD, com::ComPtr<IDispatch>> sinks_;
    DWORD lastCookie_ = 0;
};

FakeObject::FakeObject(std::vector<IID> kinds) : kinds_(std::move(kinds)) {}

FakeObject::~FakeObject() = default;

void* FakeObject::Find(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch) return static_cast<IDispatch*>(this);
    if (iid == IID_IConnectionPointContainer && !points_.empty()) return static_cast<IConnectionPointContainer*>(this);
    for (const IID& kind : kinds_) {
        if (kind == iid) return static_cast<IDispatch*>(this);
    }
    return nullptr;
}

void FakeObject::Member(const std::u16string& name, DISPID id, Method get, Setter set) {
    members_[id] = Entry{name, std::move(get), std::move(set), 0};
}

void FakeObject::Property(const std::u16string& name, DISPID id, LateValue initial) {
    auto& stored = values_[name];
    stored = std::make_unique<LateValue>(std::move(initial));
    LateValue* value = stored.get();
    Member(
        name, id, [value](std::vector<VARIANT>&) { return LateValue(*value); },
        [value](const VARIANT& given) { VariantCopy(value->Put(), const_cast<VARIANT*>(&given)); });
}

const LateValue& FakeObject::Value(const std::u16string& name) const {
    auto found = values_.find(name);
    if (found == values_.end()) throw std::logic_error("no such property of the fake");
    return *found->second;
}

int FakeObject::Calls(const std::u16string& name) const {
    for (const auto& [id, entry] : members_) {
        if (entry.Name == name) return entry.Calls;
    }
    return 0;
}

void FakeObject::AddEvents(const IID& events) { points_.push_back(com::MakeCom<Point>(*this, events)); }

std::size_t FakeObject::SinkCount(const IID& events) const {
    for (const auto& point : points_) {
        if (point->Events() == events) return point->Count();
    }
    return 0;
}

HRESULT FakeObject::Fire(const IID& events, DISPID id, std::vector<VARIANT> arguments) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    for (const auto& point : points_) {
        if (point->Events() == events) return point->Fire(id, reversed);
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT FakeObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT FakeObject::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
    if (typeInfo != nullptr) *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    ++nameLookups_;
    ids[0] = DISPID_UNKNOWN;
    // Names are plain wide strings, not BSTRs.
    const std::wstring_view name(names[0] != nullptr ? names[0] : L"");
    const std::u16string wanted(name.begin(), name.end());
    for (const auto& [id, entry] : members_) {
        if (velmora::SameText(entry.Name, wanted)) ids[0] = id;
    }
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT FakeObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT*) {
    auto found = members_.find(id);
    if (found == members_.end()) return DISP_E_MEMBERNOTFOUND;
    Entry& entry = found->second;
    ++entry.Calls;
    std::vector<VARIANT> arguments;
    if (params != nullptr) arguments.assign(std::make_reverse_iterator(params->rgvarg + params->cArgs),
                                            std::make_reverse_iterator(params->rgvarg));
    lastArguments_.clear();
    for (VARIANT& argument : arguments) {
        LateValue copy;
        VariantCopy(copy.Put(), &argument);
        lastArguments_.push_back(std::move(copy));
    }
    try {
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
            if (!entry.Set || arguments.size() != 1) return DISP_E_MEMBERNOTFOUND;
            entry.Set(arguments.front());
            return S_OK;
        }
        LateValue value = entry.Get(arguments);
        if (result != nullptr) VariantCopy(result, const_cast<VARIANT*>(&value.Get()));
        return S_OK;
    } catch (const host::HostError& error) {
        if (exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->scode = error.Code();
            exception->bstrDescription = com::AllocBstr(error.Message());
        }
        return DISP_E_EXCEPTION;
    }
}

HRESULT FakeObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT FakeObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    for (const auto& candidate : points_) {
        if (candidate->Events() == iid) {
            *point = candidate.Get();
            candidate->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

com::ComPtr<FakeObject> MakeFake(std::vector<IID> kinds) { return com::MakeCom<FakeObject>(std::move(kinds)); }

}  // namespace fakehost
