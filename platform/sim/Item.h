#pragma once

#include <string>
#include <vector>

#include "base/DateTime.h"
#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/Attachment.h"
#include "sim/AttachmentCollection.h"
#include "sim/FaultPlan.h"

namespace sim {

// Contacts and notes answer none of the four item interfaces the engine wraps.
enum class ItemKind { Mail, Appointment, MeetingRequest, Task, Contact, Note };

// An item of any kind. It keeps its last saved state apart from the changes
// made since (body and attachment list); Save commits them.
class Item : public com::ComObject<Outlook::_MailItem, Outlook::_AppointmentItem, Outlook::_MeetingItem,
                                   Outlook::_TaskItem>,
             public Injectable {
public:
    Item(ItemKind kind, std::u16string subject);

    com::ComPtr<Outlook::Attachments> Attachments() override;
    std::u16string Body() override;
    // Ignored, without an error, when the item is set to ignore body writes.
    void SetBody(const std::u16string& body) override;
    velmora::TDateTime CreationTime() override;
    // The folder holding the item, or none for an item in no folder.
    com::ComPtr<IUnknown> Parent() override;
    std::u16string Subject() override;
    void Save() override;
    // Unique among the items of the process, from their creation on.
    std::u16string EntryID() override;

    // Setting up. Everything set here is part of the saved state.
    Item& Created(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    Item& WithBody(std::u16string body);
    Item& Attach(std::u16string fileName, Bytes content);
    Item& Link(std::u16string path);
    Item& Ole(std::u16string displayName);
    // The item answers that kind's interface as well as its own.
    Item& AnswerAlso(ItemKind kind);
    Item& IgnoreBodyWrites();
    // Parent gives an object that is not a folder.
    Item& ParentNotAFolder();

    ItemKind Kind() const { return kind_; }
    // The current attachment at a 1-based index. The reference holds while
    // the attachment is in the current or the saved list.
    sim::Attachment& AttachmentAt(int index);
    AttachmentCollection& AttachmentList() { return *attachments_; }
    const AttachmentCollection::List& SavedAttachments() const { return attachments_->Saved(); }
    const AttachmentCollection::List& CurrentAttachments() const { return attachments_->Current(); }
    const std::u16string& SavedBody() const { return savedBody_; }
    const std::u16string& CurrentBody() const { return currentBody_; }
    bool HasUnsavedChanges() const { return currentBody_ != savedBody_ || attachments_->Changed(); }
    int SaveCount() const { return saveCount_; }

    // Kept by the folder that holds the item; a folder that goes lets go of
    // its items with Orphan.
    void PlaceIn(IUnknown* folder) { folder_ = folder; }
    void Orphan(IUnknown* folder);

protected:
    void* Find(REFIID iid) override;

private:
    bool Answers(ItemKind kind) const;

    ItemKind kind_;
    std::vector<ItemKind> alsoAnswers_;
    std::u16string subject_;
    velmora::TDateTime created_;
    std::u16string savedBody_;
    std::u16string currentBody_;
    bool ignoresBodyWrites_ = false;
    bool parentNotAFolder_ = false;
    int saveCount_ = 0;
    std::u16string entryId_;
    com::ComPtr<AttachmentCollection> attachments_;
    IUnknown* folder_ = nullptr;
};

}  // namespace sim
