#include "sim/Item.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "base/Utf16.h"
#include "sim/Collections.h"

namespace sim {

namespace {

// A parent that is nothing but an object.
class PlainObject : public com::ComObject<IUnknown> {
public:
    PlainObject() = default;
};

constexpr velmora::DateTimeParts kDefaultCreation{2024, 1, 2, 9, 30, 0, 0};

std::u16string NewEntryId() {
    static std::atomic<unsigned long long> next{1};
    return velmora::FromUtf8("00000000SIM" + std::to_string(next++));
}

}  // namespace

Item::Item(ItemKind kind, std::u16string subject)
    : Injectable({"Attachments", "Body", "SetBody", "CreationTime", "Parent", "Subject", "Save", "EntryID"}),
      kind_(kind),
      subject_(std::move(subject)),
      created_(velmora::EncodeDateTime(kDefaultCreation)),
      entryId_(NewEntryId()),
      attachments_(com::MakeCom<AttachmentCollection>()) {}

com::ComPtr<Outlook::Attachments> Item::Attachments() {
    Enter("Attachments");
    return attachments_;
}

std::u16string Item::Body() {
    Enter("Body");
    return currentBody_;
}

void Item::SetBody(const std::u16string& body) {
    Enter("SetBody");
    if (!ignoresBodyWrites_) currentBody_ = body;
}

velmora::TDateTime Item::CreationTime() {
    Enter("CreationTime");
    return created_;
}

com::ComPtr<IUnknown> Item::Parent() {
    Enter("Parent");
    if (parentNotAFolder_) return com::MakeCom<PlainObject>();
    return com::ComPtr<IUnknown>(folder_);
}

std::u16string Item::Subject() {
    Enter("Subject");
    return subject_;
}

void Item::Save() {
    Enter("Save");
    savedBody_ = currentBody_;
    attachments_->Commit();
    ++saveCount_;
}

std::u16string Item::EntryID() {
    Enter("EntryID");
    return entryId_;
}

Item& Item::Created(int year, int month, int day, int hour, int minute, int second) {
    created_ = velmora::EncodeDateTime({year, month, day, hour, minute, second, 0});
    return *this;
}

Item& Item::WithBody(std::u16string body) {
    savedBody_ = body;
    currentBody_ = std::move(body);
    return *this;
}

Item& Item::Attach(std::u16string fileName, Bytes content) {
    attachments_->Seed(sim::Attachment::ByValue(std::move(fileName), std::move(content)));
    return *this;
}

Item& Item::Link(std::u16string path) {
    attachments_->Seed(sim::Attachment::ByReference(std::move(path)));
    return *this;
}

Item& Item::Ole(std::u16string displayName) {
    attachments_->Seed(sim::Attachment::OleObject(std::move(displayName)));
    return *this;
}

Item& Item::AnswerAlso(ItemKind kind) {
    alsoAnswers_.push_back(kind);
    return *this;
}

Item& Item::IgnoreBodyWrites() {
    ignoresBodyWrites_ = true;
    return *this;
}

Item& Item::ParentNotAFolder() {
    parentNotAFolder_ = true;
    return *this;
}

sim::Attachment& Item::AttachmentAt(int index) {
    const auto& current = attachments_->Current();
    CheckIndex(index, current.size());
    return *current[static_cast<std::size_t>(index) - 1];
}

void Item::Orphan(IUnknown* folder) {
    if (folder_ == folder) folder_ = nullptr;
}

bool Item::Answers(ItemKind kind) const {
    return kind_ == kind || std::find(alsoAnswers_.begin(), alsoAnswers_.end(), kind) != alsoAnswers_.end();
}

void* Item::Find(REFIID iid) {
    const std::pair<const IID&, ItemKind> interfaces[] = {
        {Outlook::IID__MailItem, ItemKind::Mail},
        {Outlook::IID__AppointmentItem, ItemKind::Appointment},
        {Outlook::IID__MeetingItem, ItemKind::MeetingRequest},
        {Outlook::IID__TaskItem, ItemKind::Task},
    };
    for (const auto& [interfaceId, kind] : interfaces) {
        if (iid == interfaceId && !Answers(kind)) return nullptr;
    }
    return ComObject::Find(iid);
}

}  // namespace sim
