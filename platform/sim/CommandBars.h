#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Office.h"
#include "sim/CommandBar.h"
#include "sim/DispatchObject.h"
#include "sim/EventSource.h"
#include "sim/FaultPlan.h"

namespace sim {

// The bars that persist from one start of the host to the next.
using SavedCommandBars = std::vector<BarState>;

// The host's command bars: "Menu Bar", "Standard" and "Context Menu" on a
// first start, or what an earlier start saved. OnUpdate is raised when a
// control is added to any bar and whenever RaiseUpdate is called (as the
// host does when its windows change); a change of a bar's or a control's
// properties raises nothing.
class CommandBars : public DispatchObject<Office::_CommandBars, IConnectionPointContainer>, public Injectable {
public:
    CommandBars();
    ~CommandBars() override;

    std::int32_t Count() override;
    com::ComPtr<Office::CommandBar> Item(std::int32_t index) override;
    // Without a name the bar is called "Custom <n>". A bar of exactly the
    // same name (letter case included) cannot be added twice.
    com::ComPtr<Office::CommandBar> Add(std::optional<std::u16string> name, std::optional<std::int32_t> position,
                                        std::optional<bool> menuBar, std::optional<bool> temporary) override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint** point) override;

    // OnUpdate to every connected sink.
    void RaiseUpdate();
    std::size_t UpdateSinkCount() const { return updateSource_->SinkCount(); }

    // The bar of exactly that name; nullptr when there is none.
    CommandBar* Find(std::u16string_view name);
    CommandBar& BarAt(int index);
    const std::vector<com::ComPtr<CommandBar>>& Bars() const { return bars_; }
    // Setting up: a bar added as the host has it, raising nothing.
    CommandBar& Seed(BarState state);

    // The host ends: its bars and controls without the temporary ones.
    SavedCommandBars Saved() const;
    // The host starts again: the bars replaced by the saved ones.
    void Restore(const SavedCommandBars& saved);

    // A host whose buttons take no Picture.
    void RejectPicture() { host_->ButtonsTakePicture = false; }

private:
    using DispatchObject::Find;
    std::shared_ptr<BarData> NewBar(const BarState& state);

    std::vector<com::ComPtr<CommandBar>> bars_;
    std::shared_ptr<BarHost> host_;
    EventSources sources_;
    EventSource* updateSource_;
};

}  // namespace sim
