#include "engine/uOutlookItem.h"

#include "base/Exception.h"
#include "host/Platform.h"

namespace velmora {

TOutlookItem::TOutlookItem() = default;

TOutlookItem::TOutlookItem(std::int32_t itemType, bool holdsItemObject)
    : itemType_(itemType), initialized_(holdsItemObject) {}

void TOutlookItem::CheckInitialized() const {
    if (!initialized_) throw Exception(u"Error: outlook item is not initialized");
}

com::ComPtr<Outlook::Attachments> TOutlookItem::GetAttachments() {
    CheckInitialized();
    return {};
}

std::u16string TOutlookItem::GetBody() {
    CheckInitialized();
    return {};
}

TDateTime TOutlookItem::GetCreationTime() {
    CheckInitialized();
    return host::TheSystem().Now();
}

com::ComPtr<Outlook::MAPIFolder> TOutlookItem::GetParentFolder() {
    CheckInitialized();
    return {};
}

std::u16string TOutlookItem::GetSubject() {
    CheckInitialized();
    return {};
}

void TOutlookItem::SetBody(const std::u16string&) { CheckInitialized(); }

void TOutlookItem::Save() { CheckInitialized(); }

std::u16string TOutlookItem::GetEntryID() {
    CheckInitialized();
    return {};
}

// Over no object every call would go nowhere; left uninitialized, each of
// them raises the not-initialized error instead.
template <class Interface, std::int32_t Kind>
TOutlookTypedItem<Interface, Kind>::TOutlookTypedItem(com::ComPtr<Interface> itemObject)
    : TOutlookItem(Kind, static_cast<bool>(itemObject)), ItemObject(std::move(itemObject)) {}

template <class Interface, std::int32_t Kind>
com::ComPtr<Outlook::Attachments> TOutlookTypedItem<Interface, Kind>::GetAttachments() {
    CheckInitialized();
    return ItemObject->Attachments();
}

template <class Interface, std::int32_t Kind>
std::u16string TOutlookTypedItem<Interface, Kind>::GetBody() {
    CheckInitialized();
    return ItemObject->Body();
}

template <class Interface, std::int32_t Kind>
TDateTime TOutlookTypedItem<Interface, Kind>::GetCreationTime() {
    CheckInitialized();
    return ItemObject->CreationTime();
}

template <class Interface, std::int32_t Kind>
com::ComPtr<Outlook::MAPIFolder> TOutlookTypedItem<Interface, Kind>::GetParentFolder() {
    CheckInitialized();
    const com::ComPtr<IUnknown> parent = ItemObject->Parent();
    if (!parent) return {};
    auto folder = parent.template As<Outlook::MAPIFolder>();
    if (!folder) throw Exception(u"Interface not supported");
    return folder;
}

template <class Interface, std::int32_t Kind>
std::u16string TOutlookTypedItem<Interface, Kind>::GetSubject() {
    CheckInitialized();
    return ItemObject->Subject();
}

template <class Interface, std::int32_t Kind>
void TOutlookTypedItem<Interface, Kind>::SetBody(const std::u16string& text) {
    CheckInitialized();
    ItemObject->SetBody(text);
}

template <class Interface, std::int32_t Kind>
void TOutlookTypedItem<Interface, Kind>::Save() {
    CheckInitialized();
    ItemObject->Save();
}

template <class Interface, std::int32_t Kind>
std::u16string TOutlookTypedItem<Interface, Kind>::GetEntryID() {
    CheckInitialized();
    return ItemObject->EntryID();
}

template class TOutlookTypedItem<Outlook::_MailItem, 0>;
template class TOutlookTypedItem<Outlook::_AppointmentItem, 1>;
template class TOutlookTypedItem<Outlook::_MeetingItem, 1>;
template class TOutlookTypedItem<Outlook::_TaskItem, 3>;

namespace {

template <class Wrapper, class Interface>
std::unique_ptr<TOutlookItem> WrapIfSupported(const com::ComPtr<IUnknown>& object) {
    auto typed = object.As<Interface>();
    if (!typed) return nullptr;
    return std::make_unique<Wrapper>(std::move(typed));
}

}  // namespace

std::unique_ptr<TOutlookItem> TOutlookItemFactory::CreateItem(IUnknown* itemObject) {
    if (itemObject == nullptr) return nullptr;
    const com::ComPtr<IUnknown> object(itemObject);
    if (auto item = WrapIfSupported<TOutlookMailItem, Outlook::_MailItem>(object)) return item;
    if (auto item = WrapIfSupported<TOutlookAppointmentItem, Outlook::_AppointmentItem>(object)) return item;
    if (auto item = WrapIfSupported<TOutlookMeetingItem, Outlook::_MeetingItem>(object)) return item;
    return WrapIfSupported<TOutlookTaskItem, Outlook::_TaskItem>(object);
}

}  // namespace velmora
