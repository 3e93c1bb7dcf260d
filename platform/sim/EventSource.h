#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "com/ComObject.h"
#include "com/ConnectionPoint.h"

namespace sim {

// One connection point of a sim object: the sinks advised for one event
// interface, and the raising of its events as a host does it.
class EventSource : public com::ComObject<IConnectionPoint> {
public:
    // The container is the object whose events these are; it is not owned,
    // and lets go with Orphan when it goes.
    EventSource(const IID& events, IConnectionPointContainer* container);
    // Lets go of the sinks still advised.
    ~EventSource() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // The sink must answer the event interface (as its IDispatch).
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    // Nobody here enumerates connections.
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Calls Invoke of every sink advised when the event starts and still
    // advised when its turn comes. The arguments are given in the event's
    // order and reach the sinks in reverse order, as hosts pass them; they
    // are borrowed, not freed. The sinks' results are not looked at.
    void Raise(DISPID event, std::vector<VARIANT> arguments);

    const IID& Events() const { return events_; }
    std::size_t SinkCount() const { return sinks_.size(); }
    void Orphan() { container_ = nullptr; }

private:
    IID events_;
    IConnectionPointContainer* container_;
    // Each holds the reference Advise took; a raise takes none of its own,
    // as an add-in's sinks may belong to it alone and go as soon as they
    // are unadvised.
    std::map<DWORD, IDispatch*> sinks_;
    DWORD nextCookie_ = 1;
};

// The connection points of one object, for its FindConnectionPoint.
class EventSources {
public:
    EventSource& Add(const IID& events, IConnectionPointContainer* container);
    HRESULT Find(REFIID events, IConnectionPoint** point) const;
    ~EventSources();

private:
    std::vector<com::ComPtr<EventSource>> sources_;
};

}  // namespace sim

VELMORA_INTERFACE_ID(IConnectionPointContainer, IID_IConnectionPointContainer);
