// Adapters of the core's command bar interfaces over the client's own
// command bar objects: each operation one late-bound call.

#include "win32/outlook/AdapterBase.h"
#include "host/Office.h"

namespace win32 {

namespace {

using com::ComPtr;

class CommandBarsAdapter final : public DispatchAdapter<Office::_CommandBars> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<Office::CommandBar> Item(std::int32_t index) override {
        return Result<Office::CommandBar>(Late().Get(u"Item", {LateValue::Int(index)}));
    }
    ComPtr<Office::CommandBar> Add(std::optional<std::u16string> name, std::optional<std::int32_t> position,
                                   std::optional<bool> menuBar, std::optional<bool> temporary) override {
        return Result<Office::CommandBar>(Late().Call(u"Add", {LateValue::Optional(name), LateValue::Optional(position),
                                                               LateValue::Optional(menuBar),
                                                               LateValue::Optional(temporary)}));
    }
};

class CommandBarAdapter final : public DispatchAdapter<Office::CommandBar> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::u16string Name() override { return Late().Get(u"Name").AsText(); }
    ComPtr<Office::CommandBarControls> Controls() override {
        return Result<Office::CommandBarControls>(Late().Get(u"Controls"));
    }
    ComPtr<Office::CommandBarControl> FindControl(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                                  std::optional<std::u16string> tag, std::optional<bool> visible,
                                                  std::optional<bool> recursive) override {
        return Result<Office::CommandBarControl>(
            Late().Call(u"FindControl", {LateValue::Optional(type), LateValue::Optional(id), LateValue::Optional(tag),
                                         LateValue::Optional(visible), LateValue::Optional(recursive)}));
    }
    std::int32_t Protection() override { return Late().Get(u"Protection").AsInt(); }
    void SetProtection(std::int32_t protection) override { Late().Put(u"Protection", LateValue::Int(protection)); }
    bool Visible() override { return Late().Get(u"Visible").AsBool(); }
    void SetVisible(bool visible) override { Late().Put(u"Visible", LateValue::Bool(visible)); }
};

class ControlsAdapter final : public DispatchAdapter<Office::CommandBarControls> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::int32_t Count() override { return Late().Get(u"Count").AsInt(); }
    ComPtr<Office::CommandBarControl> Item(std::int32_t index) override {
        return Result<Office::CommandBarControl>(Late().Get(u"Item", {LateValue::Int(index)}));
    }
    ComPtr<Office::CommandBarControl> Add(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                          std::optional<std::u16string> parameter, std::optional<std::int32_t> before,
                                          std::optional<bool> temporary) override {
        return Result<Office::CommandBarControl>(
            Late().Call(u"Add", {LateValue::Optional(type), LateValue::Optional(id), LateValue::Optional(parameter),
                                 LateValue::Optional(before), LateValue::Optional(temporary)}));
    }
};

// A button answers for the control it is too.
class ButtonAdapter final : public DispatchAdapter<Office::_CommandBarButton> {
public:
    using DispatchAdapter::DispatchAdapter;
    std::u16string Caption() override { return Late().Get(u"Caption").AsText(); }
    void SetCaption(const std::u16string& caption) override { Late().Put(u"Caption", LateValue::Text(caption)); }
    std::u16string Tag() override { return Late().Get(u"Tag").AsText(); }
    void SetTag(const std::u16string& tag) override { Late().Put(u"Tag", LateValue::Text(tag)); }
    std::int32_t Priority() override { return Late().Get(u"Priority").AsInt(); }
    void SetPriority(std::int32_t priority) override { Late().Put(u"Priority", LateValue::Int(priority)); }
    bool Visible() override { return Late().Get(u"Visible").AsBool(); }
    void SetVisible(bool visible) override { Late().Put(u"Visible", LateValue::Bool(visible)); }
    void PasteFace() override { Late().Call(u"PasteFace"); }

protected:
    void* Find(REFIID iid) override {
        if (iid == Office::IID_CommandBarControl) return static_cast<Office::CommandBarControl*>(this);
        return DispatchAdapter::Find(iid);
    }
};

}  // namespace

IUnknown* MakeOfficeAdapter(REFIID iid, HostObject& host) {
    const bool known = iid == Office::IID__CommandBars || iid == Office::IID_CommandBar ||
                       iid == Office::IID_CommandBarControls || iid == Office::IID_CommandBarControl ||
                       iid == Office::IID__CommandBarButton;
    if (!known || !RealHas(host, iid)) return nullptr;
    if (iid == Office::IID__CommandBars) return Made<CommandBarsAdapter>(host)->Identity();
    if (iid == Office::IID_CommandBar) return Made<CommandBarAdapter>(host)->Identity();
    if (iid == Office::IID_CommandBarControls) return Made<ControlsAdapter>(host)->Identity();
    // A control of another kind than a button is reached as a button's
    // control only where the core asks for a control.
    auto* button = Made<ButtonAdapter>(host);
    return iid == Office::IID_CommandBarControl ? static_cast<IUnknown*>(static_cast<Office::CommandBarControl*>(button))
                                                 : button->Identity();
}

}  // namespace win32
