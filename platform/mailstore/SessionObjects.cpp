#include "mailstore/SessionObjects.h"

#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/CollectionIndex.h"
#include "mailstore/FolderObject.h"
#include "sim/ItemDispatch.h"
#include "sim/Variants.h"

namespace mailstore {

namespace {

class SelectedItems final : public com::ComObject<Outlook::Selection> {
public:
    explicit SelectedItems(std::vector<com::ComPtr<IUnknown>> items) : items_(std::move(items)) {}

    std::int32_t Count() override { return static_cast<std::int32_t>(items_.size()); }
    com::ComPtr<IUnknown> Item(std::int32_t index) override { return items_[CheckedIndex(index, items_.size())]; }

private:
    std::vector<com::ComPtr<IUnknown>> items_;
};

}  // namespace

com::ComPtr<Outlook::MAPIFolder> NameSpace::PickFolder() { return picker_ ? picker_() : nullptr; }

void NameSpace::HoldSaves() {
    if (context_) context_->Held().Hold();
}

void NameSpace::CommitSaves() {
    if (context_) context_->Held().Commit();
}

Explorer::Explorer(com::ComPtr<FolderObject> folder, com::ComPtr<sim::CommandBars> bars)
    : folder_(std::move(folder)), bars_(std::move(bars)) {
    SetMembers(sim::DispatchMembers(
        {{u"CommandBars", [this] { return sim::DispatchVariant(bars_->AsDispatch()); }, nullptr}}));
}

com::ComPtr<Outlook::MAPIFolder> Explorer::CurrentFolder() { return folder_->Relisted(); }

com::ComPtr<Outlook::Selection> Explorer::Selection() { return com::MakeCom<SelectedItems>(selected_); }

void Explorer::ShowFolder(com::ComPtr<FolderObject> folder) {
    folder_ = std::move(folder);
    selected_.clear();
}

void Explorer::Select(std::vector<com::ComPtr<IUnknown>> items) { selected_ = std::move(items); }

Application::Application(com::ComPtr<NameSpace> session, com::ComPtr<Explorer> explorer,
                         com::ComPtr<sim::CommandBars> bars)
    : session_(std::move(session)),
      explorer_(std::move(explorer)),
      bars_(std::move(bars)),
      events_(&sources_.Add(Outlook::DIID_ApplicationEvents, this)) {
    SetMembers(sim::DispatchMembers({
        {u"Name", [this] { return sim::TextVariant(Name()); }, nullptr},
        {u"ActiveExplorer", [this] { return sim::DispatchVariant(explorer_->AsDispatch()); }, nullptr},
        {u"CommandBars", [this] { return sim::DispatchVariant(bars_->AsDispatch()); }, nullptr},
    }));
}

com::ComPtr<Outlook::_NameSpace> Application::GetNamespace(const std::u16string& type) {
    if (!velmora::SameText(type, u"MAPI")) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"There is no namespace of type %s.", {type}));
    }
    return session_;
}

com::ComPtr<Outlook::Explorer> Application::ActiveExplorer() { return explorer_; }

std::u16string Application::Name() { return u"Outlook"; }

HRESULT Application::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT Application::FindConnectionPoint(REFIID events, IConnectionPoint** point) {
    return sources_.Find(events, point);
}

bool Application::RaiseItemSend(IUnknown* item) {
    auto dispatch = com::MakeCom<sim::ItemDispatch>(com::ComPtr<IUnknown>(item));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    events_->Raise(Outlook::DISPID_ItemSend, {sim::BorrowedDispatch(dispatch.Get()), sim::BoolReference(cancel)});
    return cancel == VARIANT_FALSE;
}

}  // namespace mailstore
