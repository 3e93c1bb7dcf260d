#pragma once

#include <cstddef>
#include <string>

#include "com/ComPtr.h"
#include "host/Outlook.h"
#include "sim/CommandBars.h"
#include "sim/DispatchObject.h"
#include "sim/EventSource.h"
#include "sim/Explorer.h"
#include "sim/FaultPlan.h"
#include "sim/Item.h"
#include "sim/NameSpace.h"

namespace sim {

// The host application: its one namespace, its command bars and, unless
// hidden, its explorer. Through IDispatch it answers Name, ActiveExplorer
// (an empty object when hidden) and CommandBars; it raises ItemSend of
// ApplicationEvents when the user sends an item.
class Application : public DispatchObject<Outlook::_Application, IDispatch, IConnectionPointContainer>,
                    public Injectable {
public:
    Application();

    // Only "MAPI" (in any letter case) names a namespace.
    com::ComPtr<Outlook::_NameSpace> GetNamespace(const std::u16string& type) override;
    com::ComPtr<Outlook::Explorer> ActiveExplorer() override;
    std::u16string Name() override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint** point) override;

    Application& SetName(std::u16string name);
    // A hidden explorer keeps its folder and selection for when it is shown again.
    Application& ShowExplorer(bool shown);

    // The user sends the item: ItemSend(item, Cancel) reaches every
    // connected sink. True when the item goes out, that is when no sink
    // set Cancel.
    bool Send(Item& item);
    std::size_t EventSinkCount() const { return events_->SinkCount(); }

    sim::NameSpace& Session() { return *session_; }
    sim::Explorer& MainExplorer() { return *explorer_; }
    // The same bars for the application and its explorer.
    sim::CommandBars& Bars() { return *bars_; }

private:
    std::u16string name_ = u"Outlook";
    bool explorerShown_ = true;
    com::ComPtr<sim::NameSpace> session_;
    com::ComPtr<sim::CommandBars> bars_;
    com::ComPtr<sim::Explorer> explorer_;
    EventSources sources_;
    EventSource* events_;
};

}  // namespace sim
