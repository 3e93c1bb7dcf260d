#include "sim/CommandBar.h"

#include <utility>

#include "base/Format.h"
#include "host/HostError.h"
#include "sim/Collections.h"

namespace sim {

ControlList::ControlList(std::shared_ptr<BarData> bar) : Injectable({"Count", "Item", "Add"}), bar_(std::move(bar)) {}

std::int32_t ControlList::Count() {
    Enter("Count");
    return static_cast<std::int32_t>(bar_->Controls.size());
}

com::ComPtr<Office::CommandBarControl> ControlList::Item(std::int32_t index) {
    Enter("Item");
    CheckIndex(index, bar_->Controls.size());
    return bar_->Controls[static_cast<std::size_t>(index) - 1];
}

com::ComPtr<Office::CommandBarControl> ControlList::Add(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                                        std::optional<std::u16string>,
                                                        std::optional<std::int32_t> before,
                                                        std::optional<bool> temporary) {
    Enter("Add");
    if (type.value_or(Office::msoControlButton) != Office::msoControlButton) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"This host makes no controls of type %d.", {*type}));
    }
    if ((bar_->Protection & Office::msoBarNoCustomize) != 0) {
        throw host::HostError(E_ACCESSDENIED,
                              velmora::Format(u"The command bar \"%s\" may not be customized.", {bar_->Name}));
    }
    const std::size_t count = bar_->Controls.size();
    std::size_t at = count;
    if (before) {
        CheckIndex(*before, count + 1);
        at = static_cast<std::size_t>(*before) - 1;
    }
    ButtonState state;
    state.Id = id.value_or(1);
    state.Temporary = temporary.value_or(false);
    auto button = com::MakeCom<CommandBarButton>(std::move(state), bar_->Host);
    bar_->Controls.insert(bar_->Controls.begin() + static_cast<std::ptrdiff_t>(at), button);
    bar_->Host->ControlsChanged();
    return button;
}

CommandBar::CommandBar(std::shared_ptr<BarData> bar)
    : Injectable({"Name", "Controls", "FindControl", "Protection", "SetProtection", "Visible", "SetVisible"}),
      bar_(std::move(bar)),
      controls_(com::MakeCom<ControlList>(bar_)) {}

std::u16string CommandBar::Name() {
    Enter("Name");
    return bar_->Name;
}

com::ComPtr<Office::CommandBarControls> CommandBar::Controls() {
    Enter("Controls");
    return controls_;
}

com::ComPtr<Office::CommandBarControl> CommandBar::FindControl(std::optional<std::int32_t> type,
                                                               std::optional<std::int32_t> id,
                                                               std::optional<std::u16string> tag,
                                                               std::optional<bool> visible, std::optional<bool>) {
    Enter("FindControl");
    for (const auto& control : bar_->Controls) {
        const ButtonState& state = control->State();
        if (type && *type != Office::msoControlButton) continue;
        if (id && *id != state.Id) continue;
        if (tag && *tag != state.Tag) continue;
        if (visible && *visible != state.Visible) continue;
        return control;
    }
    return nullptr;
}

std::int32_t CommandBar::Protection() {
    Enter("Protection");
    return bar_->Protection;
}

void CommandBar::SetProtection(std::int32_t protection) {
    Enter("SetProtection");
    bar_->Protection = protection;
}

bool CommandBar::Visible() {
    Enter("Visible");
    return bar_->Visible;
}

void CommandBar::SetVisible(bool visible) {
    Enter("SetVisible");
    bar_->Visible = visible;
}

CommandBarButton& CommandBar::ControlAt(int index) {
    CheckIndex(index, bar_->Controls.size());
    return *bar_->Controls[static_cast<std::size_t>(index) - 1];
}

BarState CommandBar::Saved() const {
    BarState saved{bar_->Name, bar_->Position, bar_->Protection, bar_->Visible, bar_->Temporary, {}};
    for (const auto& control : bar_->Controls) {
        if (!control->State().Temporary) saved.Controls.push_back(control->State());
    }
    return saved;
}

}  // namespace sim
