#include "sim/CommandBars.h"

#include <utility>

#include "base/Format.h"
#include "host/HostError.h"
#include "sim/Collections.h"

namespace sim {

CommandBars::CommandBars()
    : Injectable({"Count", "Item", "Add"}),
      host_(std::make_shared<BarHost>([this] { RaiseUpdate(); })),
      updateSource_(&sources_.Add(Office::DIID__CommandBarsEvents, this)) {
    Seed({u"Menu Bar", Office::msoBarTop, Office::msoBarNoProtection, true, false, {}});
    Seed({u"Standard", Office::msoBarTop, Office::msoBarNoProtection, true, false, {}});
    Seed({u"Context Menu", Office::msoBarPopup, Office::msoBarNoProtection, false, false, {}});
}

CommandBars::~CommandBars() { host_->Close(); }

std::int32_t CommandBars::Count() {
    Enter("Count");
    return static_cast<std::int32_t>(bars_.size());
}

com::ComPtr<Office::CommandBar> CommandBars::Item(std::int32_t index) {
    Enter("Item");
    CheckIndex(index, bars_.size());
    return bars_[static_cast<std::size_t>(index) - 1];
}

com::ComPtr<Office::CommandBar> CommandBars::Add(std::optional<std::u16string> name,
                                                 std::optional<std::int32_t> position, std::optional<bool>,
                                                 std::optional<bool> temporary) {
    Enter("Add");
    BarState state;
    state.Name = name.value_or(velmora::Format(u"Custom %d", {static_cast<std::int64_t>(bars_.size() + 1)}));
    if (Find(state.Name) != nullptr) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"A command bar named \"%s\" exists.", {state.Name}));
    }
    state.Position = position.value_or(Office::msoBarTop);
    state.Temporary = temporary.value_or(false);
    CommandBar& bar = Seed(std::move(state));
    RaiseUpdate();
    return com::ComPtr<Office::CommandBar>(&bar);
}

HRESULT CommandBars::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT CommandBars::FindConnectionPoint(REFIID events, IConnectionPoint** point) {
    return sources_.Find(events, point);
}

void CommandBars::RaiseUpdate() { updateSource_->Raise(Office::DISPID_OnUpdate, {}); }

CommandBar* CommandBars::Find(std::u16string_view name) {
    for (const auto& bar : bars_) {
        if (bar->Data().Name == name) return bar.Get();
    }
    return nullptr;
}

CommandBar& CommandBars::BarAt(int index) {
    CheckIndex(index, bars_.size());
    return *bars_[static_cast<std::size_t>(index) - 1];
}

CommandBar& CommandBars::Seed(BarState state) {
    bars_.push_back(com::MakeCom<CommandBar>(NewBar(state)));
    return *bars_.back();
}

SavedCommandBars CommandBars::Saved() const {
    SavedCommandBars saved;
    for (const auto& bar : bars_) {
        if (!bar->Data().Temporary) saved.push_back(bar->Saved());
    }
    return saved;
}

void CommandBars::Restore(const SavedCommandBars& saved) {
    bars_.clear();
    for (const BarState& state : saved) Seed(state);
}

std::shared_ptr<BarData> CommandBars::NewBar(const BarState& state) {
    auto bar = std::make_shared<BarData>();
    bar->Name = state.Name;
    bar->Position = state.Position;
    bar->Protection = state.Protection;
    bar->Visible = state.Visible;
    bar->Temporary = state.Temporary;
    bar->Host = host_;
    for (const ButtonState& control : state.Controls) {
        bar->Controls.push_back(com::MakeCom<CommandBarButton>(control, host_));
    }
    return bar;
}

}  // namespace sim
