#include "sim/CommandBarButton.h"

#include <utility>

#include "host/HostError.h"
#include "host/UserInterface.h"
#include "sim/CommandBar.h"
#include "sim/Variants.h"

namespace sim {

CommandBarButton::CommandBarButton(ButtonState state, std::shared_ptr<const BarHost> host)
    : Injectable({"Caption", "SetCaption", "Tag", "SetTag", "Priority", "SetPriority", "Visible", "SetVisible",
                  "PasteFace", "Style", "Picture", "TooltipText"}),
      state_(std::move(state)),
      host_(std::move(host)),
      clickSource_(&sources_.Add(Office::DIID__CommandBarButtonEvents, this)) {
    SetMembers(Members());
}

DispatchMembers CommandBarButton::Members() {
    return DispatchMembers({
        {u"Style", nullptr,
         [this](const VARIANT& value) {
             Enter("Style");
             state_.Style = IntOf(value);
         }},
        {u"TooltipText", nullptr,
         [this](const VARIANT& value) {
             Enter("TooltipText");
             state_.TooltipText = TextOf(value);
         }},
        {u"Picture", nullptr,
         [this](const VARIANT& value) {
             Enter("Picture");
             if (!host_->ButtonsTakePicture) {
                 throw host::HostError(DISP_E_MEMBERNOTFOUND, u"The buttons of this host take no Picture.");
             }
             auto image = com::ComPtr<IDispatch>(DispatchOf(value)).As<Office::PictureImage>();
             if (!image) throw host::HostError(E_INVALIDARG, u"The value is not a picture.");
             state_.Face = image->BmpFile();
             state_.FaceFrom = FaceSource::Picture;
         }},
    });
}

std::u16string CommandBarButton::Caption() {
    Enter("Caption");
    return state_.Caption;
}

void CommandBarButton::SetCaption(const std::u16string& caption) {
    Enter("SetCaption");
    state_.Caption = caption;
}

std::u16string CommandBarButton::Tag() {
    Enter("Tag");
    return state_.Tag;
}

void CommandBarButton::SetTag(const std::u16string& tag) {
    Enter("SetTag");
    state_.Tag = tag;
}

std::int32_t CommandBarButton::Priority() {
    Enter("Priority");
    return state_.Priority;
}

void CommandBarButton::SetPriority(std::int32_t priority) {
    Enter("SetPriority");
    state_.Priority = priority;
}

bool CommandBarButton::Visible() {
    Enter("Visible");
    return state_.Visible;
}

void CommandBarButton::SetVisible(bool visible) {
    Enter("SetVisible");
    state_.Visible = visible;
}

void CommandBarButton::PasteFace() {
    Enter("PasteFace");
    std::vector<std::uint8_t> bitmap = host::TheClipboard().Bitmap();
    if (bitmap.empty()) throw host::HostError(E_FAIL, u"The clipboard holds no picture.");
    state_.Face = std::move(bitmap);
    state_.FaceFrom = FaceSource::Pasted;
}

HRESULT CommandBarButton::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT CommandBarButton::FindConnectionPoint(REFIID events, IConnectionPoint** point) {
    return sources_.Find(events, point);
}

void* CommandBarButton::Find(REFIID iid) {
    if (iid == Office::IID_CommandBarControl) return static_cast<Office::CommandBarControl*>(this);
    return DispatchObject::Find(iid);
}

bool CommandBarButton::Click() {
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    clickSource_->Raise(Office::DISPID_Click, {BorrowedDispatch(AsDispatch()), BoolReference(cancelDefault)});
    return cancelDefault != VARIANT_FALSE;
}

}  // namespace sim
