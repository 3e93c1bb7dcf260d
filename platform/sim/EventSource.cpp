#include "sim/EventSource.h"

#include <algorithm>

#include "com/Bstr.h"

namespace sim {

EventSource::EventSource(const IID& events, IConnectionPointContainer* container)
    : events_(events), container_(container) {}

EventSource::~EventSource() {
    for (const auto& [cookie, sink] : sinks_) sink->Release();
}

HRESULT EventSource::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = events_;
    return S_OK;
}

HRESULT EventSource::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = container_;
    if (container_ == nullptr) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
}

HRESULT EventSource::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    void* events = nullptr;
    if (FAILED(sink->QueryInterface(events_, &events)) || events == nullptr) return CONNECT_E_CANNOTCONNECT;
    auto* dispatch = static_cast<IDispatch*>(events);
    // The reference taken by QueryInterface stays with the connection.
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, dispatch);
    return S_OK;
}

HRESULT EventSource::Unadvise(DWORD cookie) {
    auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

HRESULT EventSource::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
}

void EventSource::Raise(DISPID event, std::vector<VARIANT> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    std::vector<DWORD> cookies;
    for (const auto& [cookie, sink] : sinks_) cookies.push_back(cookie);
    for (DWORD cookie : cookies) {
        auto found = sinks_.find(cookie);
        if (found == sinks_.end()) continue;
        DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), nullptr,
                          static_cast<UINT>(arguments.size()), 0};
        EXCEPINFO exception{};
        UINT argumentError = 0;
        found->second->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &exception,
                              &argumentError);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
}

EventSource& EventSources::Add(const IID& events, IConnectionPointContainer* container) {
    sources_.push_back(com::MakeCom<EventSource>(events, container));
    return *sources_.back();
}

HRESULT EventSources::Find(REFIID events, IConnectionPoint** point) const {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    for (const auto& source : sources_) {
        if (source->Events() == events) {
            *point = source.Get();
            source->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

EventSources::~EventSources() {
    for (const auto& source : sources_) source->Orphan();
}

}  // namespace sim
