#pragma once

// One mail message, appointment, meeting request or task behind the seven
// operations the engine uses on items, whatever the item's kind.

#include <cstdint>
#include <memory>
#include <string>

#include "base/DateTime.h"
#include "com/ComPtr.h"
#include "host/Outlook.h"

namespace velmora {

class TOutlookItem {
public:
    // A bare object: not initialized, item type -1; every operation raises.
    TOutlookItem();
    virtual ~TOutlookItem() = default;
    TOutlookItem(const TOutlookItem&) = delete;
    TOutlookItem& operator=(const TOutlookItem&) = delete;

    // The host's item-type number: 0 mail, 1 appointment or meeting request, 3 task.
    std::int32_t ItemType() const { return itemType_; }
    bool Initialized() const { return initialized_; }

    // Host errors reach the caller unchanged.
    virtual com::ComPtr<Outlook::Attachments> GetAttachments();
    virtual std::u16string GetBody();
    // A local date-time; here the current one, for kinds that keep none.
    virtual TDateTime GetCreationTime();
    // None when the item has no parent; raises "Interface not supported"
    // when the parent is not a folder.
    virtual com::ComPtr<Outlook::MAPIFolder> GetParentFolder();
    virtual std::u16string GetSubject();
    virtual void SetBody(const std::u16string& text);
    virtual void Save();
    // What identifies the item in its store.
    virtual std::u16string GetEntryID();

protected:
    // Initialized only when the subclass actually holds an item object.
    TOutlookItem(std::int32_t itemType, bool holdsItemObject);

    // Raises "Error: outlook item is not initialized" on a bare object.
    void CheckInitialized() const;

private:
    std::int32_t itemType_ = -1;
    bool initialized_ = false;
};

// A wrapper over one typed item interface, holding one counted reference to
// it for its whole life. Over no object at all it stays uninitialized.
template <class Interface, std::int32_t Kind>
class TOutlookTypedItem : public TOutlookItem {
public:
    explicit TOutlookTypedItem(com::ComPtr<Interface> itemObject);

    com::ComPtr<Outlook::Attachments> GetAttachments() override;
    std::u16string GetBody() override;
    TDateTime GetCreationTime() override;
    com::ComPtr<Outlook::MAPIFolder> GetParentFolder() override;
    std::u16string GetSubject() override;
    void SetBody(const std::u16string& text) override;
    void Save() override;
    std::u16string GetEntryID() override;

protected:
    const com::ComPtr<Interface> ItemObject;
};

extern template class TOutlookTypedItem<Outlook::_MailItem, 0>;
extern template class TOutlookTypedItem<Outlook::_AppointmentItem, 1>;
extern template class TOutlookTypedItem<Outlook::_MeetingItem, 1>;
extern template class TOutlookTypedItem<Outlook::_TaskItem, 3>;

class TOutlookMailItem final : public TOutlookTypedItem<Outlook::_MailItem, 0> {
public:
    using TOutlookTypedItem::TOutlookTypedItem;
};

class TOutlookAppointmentItem final : public TOutlookTypedItem<Outlook::_AppointmentItem, 1> {
public:
    using TOutlookTypedItem::TOutlookTypedItem;
};

// A meeting request counts as an appointment by its item type.
class TOutlookMeetingItem final : public TOutlookTypedItem<Outlook::_MeetingItem, 1> {
public:
    using TOutlookTypedItem::TOutlookTypedItem;
};

class TOutlookTaskItem final : public TOutlookTypedItem<Outlook::_TaskItem, 3> {
public:
    using TOutlookTypedItem::TOutlookTypedItem;
};

class TOutlookItemFactory {
public:
    TOutlookItemFactory() = delete;

    // The wrapper for a mail message, appointment, meeting request or task,
    // asked in that order, so an object offering several gets the first; none
    // for no object or any other kind of item.
    static std::unique_ptr<TOutlookItem> CreateItem(IUnknown* itemObject);
};

}  // namespace velmora
