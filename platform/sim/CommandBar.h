#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Office.h"
#include "sim/CommandBarButton.h"
#include "sim/DispatchObject.h"
#include "sim/FaultPlan.h"

namespace sim {

// A bar as it persists from one start of the host to the next.
struct BarState {
    std::u16string Name;
    std::int32_t Position = Office::msoBarTop;
    std::int32_t Protection = Office::msoBarNoProtection;
    bool Visible = false;
    bool Temporary = false;
    std::vector<ButtonState> Controls;
};

// What the bars share with their collection: whether the host's buttons
// take a Picture, and how a bar tells the collection that its controls
// changed, so that it raises OnUpdate. The collection closes it when it
// goes; a bar that outlives it tells nobody.
class BarHost {
public:
    explicit BarHost(std::function<void()> controlsChanged) : controlsChanged_(std::move(controlsChanged)) {}
    void ControlsChanged() const {
        if (controlsChanged_) controlsChanged_();
    }
    void Close() { controlsChanged_ = nullptr; }

    bool ButtonsTakePicture = true;

private:
    std::function<void()> controlsChanged_;
};

// What a bar and its control collection share.
struct BarData {
    std::u16string Name;
    std::int32_t Position = Office::msoBarTop;
    std::int32_t Protection = Office::msoBarNoProtection;
    bool Visible = false;
    bool Temporary = false;
    std::vector<com::ComPtr<CommandBarButton>> Controls;
    std::shared_ptr<BarHost> Host;
};

// A bar's controls. Only buttons are made. Adding one to a bar protected
// with msoBarNoCustomize fails; an added control raises the collection's
// OnUpdate at once.
class ControlList : public DispatchObject<Office::CommandBarControls>, public Injectable {
public:
    explicit ControlList(std::shared_ptr<BarData> bar);

    std::int32_t Count() override;
    com::ComPtr<Office::CommandBarControl> Item(std::int32_t index) override;
    com::ComPtr<Office::CommandBarControl> Add(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                               std::optional<std::u16string> parameter,
                                               std::optional<std::int32_t> before,
                                               std::optional<bool> temporary) override;

private:
    std::shared_ptr<BarData> bar_;
};

class CommandBar : public DispatchObject<Office::CommandBar>, public Injectable {
public:
    explicit CommandBar(std::shared_ptr<BarData> bar);

    std::u16string Name() override;
    // The same collection object on every call.
    com::ComPtr<Office::CommandBarControls> Controls() override;
    // Every control is a button; recursive changes nothing, as no control
    // holds others.
    com::ComPtr<Office::CommandBarControl> FindControl(std::optional<std::int32_t> type,
                                                      std::optional<std::int32_t> id,
                                                      std::optional<std::u16string> tag,
                                                      std::optional<bool> visible,
                                                      std::optional<bool> recursive) override;
    std::int32_t Protection() override;
    void SetProtection(std::int32_t protection) override;
    bool Visible() override;
    void SetVisible(bool visible) override;

    // Setting up and looking: the data, and the button at a 1-based index.
    BarData& Data() { return *bar_; }
    const BarData& Data() const { return *bar_; }
    CommandBarButton& ControlAt(int index);
    ControlList& ControlCollection() { return *controls_; }
    // The persistent part: nothing when the bar is temporary; its
    // temporary controls left out.
    BarState Saved() const;

private:
    std::shared_ptr<BarData> bar_;
    com::ComPtr<ControlList> controls_;
};

}  // namespace sim
