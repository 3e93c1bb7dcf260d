#include "sim/Application.h"

#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "sim/ItemDispatch.h"
#include "sim/Variants.h"

namespace sim {

Application::Application()
    : Injectable({"GetNamespace", "ActiveExplorer", "Name", "CommandBars"}),
      session_(com::MakeCom<sim::NameSpace>()),
      bars_(com::MakeCom<sim::CommandBars>()),
      explorer_(com::MakeCom<sim::Explorer>(bars_)),
      events_(&sources_.Add(Outlook::DIID_ApplicationEvents, this)) {
    SetMembers(DispatchMembers({
        {u"Name", [this] { return TextVariant(Name()); }, nullptr},
        {u"ActiveExplorer",
         [this] {
             com::ComPtr<Outlook::Explorer> shown = ActiveExplorer();
             return DispatchVariant(shown.As<IDispatch>().Get());
         },
         nullptr},
        {u"CommandBars",
         [this] {
             Enter("CommandBars");
             return DispatchVariant(bars_->AsDispatch());
         },
         nullptr},
    }));
}

com::ComPtr<Outlook::_NameSpace> Application::GetNamespace(const std::u16string& type) {
    Enter("GetNamespace");
    if (!velmora::SameText(type, u"MAPI")) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"There is no namespace of type %s.", {type}));
    }
    return session_;
}

com::ComPtr<Outlook::Explorer> Application::ActiveExplorer() {
    Enter("ActiveExplorer");
    if (!explorerShown_) return nullptr;
    return explorer_;
}

std::u16string Application::Name() {
    Enter("Name");
    return name_;
}

HRESULT Application::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT Application::FindConnectionPoint(REFIID events, IConnectionPoint** point) {
    return sources_.Find(events, point);
}

Application& Application::SetName(std::u16string name) {
    name_ = std::move(name);
    return *this;
}

Application& Application::ShowExplorer(bool shown) {
    explorerShown_ = shown;
    return *this;
}

bool Application::Send(Item& item) {
    auto dispatch = com::MakeCom<ItemDispatch>(com::ComPtr<IUnknown>(item.Identity()));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    events_->Raise(Outlook::DISPID_ItemSend, {BorrowedDispatch(dispatch.Get()), BoolReference(cancel)});
    return cancel == VARIANT_FALSE;
}

}  // namespace sim
