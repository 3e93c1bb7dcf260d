#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Office.h"
#include "sim/DispatchObject.h"
#include "sim/EventSource.h"
#include "sim/FaultPlan.h"

namespace sim {

// Where a button's face came from.
enum class FaceSource { None, Picture, Pasted };

// Everything a button is made of; what persists from one start of the host
// to the next. Tests read it directly, without the host operations' counts.
struct ButtonState {
    std::int32_t Id = 1;  // custom controls
    std::u16string Caption;
    std::u16string Tag;
    std::u16string TooltipText;
    std::int32_t Priority = 0;
    bool Visible = true;
    std::int32_t Style = 0;  // msoButtonAutomatic
    std::vector<std::uint8_t> Face;  // a BMP file
    FaceSource FaceFrom = FaceSource::None;
    bool Temporary = false;
};

class BarHost;

// A command bar button (msoControlButton). Style, Picture and TooltipText
// are reached through IDispatch by name; on a host whose buttons take no
// Picture, setting it fails with DISP_E_MEMBERNOTFOUND. Setting Picture
// copies the image out of the picture object, which the button does not
// keep. Clicking raises Click.
class CommandBarButton : public DispatchObject<Office::_CommandBarButton, IConnectionPointContainer>,
                         public Injectable {
public:
    CommandBarButton(ButtonState state, std::shared_ptr<const BarHost> host);

    std::u16string Caption() override;
    void SetCaption(const std::u16string& caption) override;
    std::u16string Tag() override;
    void SetTag(const std::u16string& tag) override;
    std::int32_t Priority() override;
    void SetPriority(std::int32_t priority) override;
    bool Visible() override;
    void SetVisible(bool visible) override;
    // Fails when the clipboard holds no bitmap.
    void PasteFace() override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint** point) override;

    // The user clicks the button: Click(button, CancelDefault) reaches every
    // connected sink. The result is CancelDefault as the sinks left it.
    bool Click();

    ButtonState& State() { return state_; }
    const ButtonState& State() const { return state_; }
    std::size_t ClickSinkCount() const { return clickSource_->SinkCount(); }

protected:
    // Also answers CommandBarControl, the interface it extends.
    void* Find(REFIID iid) override;

private:
    DispatchMembers Members();

    ButtonState state_;
    std::shared_ptr<const BarHost> host_;
    EventSources sources_;
    EventSource* clickSource_;
};

}  // namespace sim
