#include "mailstore/ItemObject.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mailstore/AttachmentObjects.h"
#include "mailstore/BodyText.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"

namespace mailstore {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr double kDaysFrom1601To1899 = 109205.0;  // 1601-01-01 to 1899-12-30, where host dates count from
constexpr double kFileTimeUnitsPerDay = 864'000'000'000.0;

velmora::TDateTime LocalDateTime(std::int64_t unixSeconds) {
    const std::int64_t since1601 = std::max<std::int64_t>(unixSeconds + kSecondsFrom1601To1970, 0);
    const host::FileTime local = host::TheSystem().UtcToLocal(static_cast<host::FileTime>(since1601) * 10'000'000);
    return static_cast<double>(local) / kFileTimeUnitsPerDay - kDaysFrom1601To1899;
}

// What the engine sees of a message's attachments before reading them: for
// each, its place, type and name.
struct AttachmentView {
    std::optional<std::vector<int>> place;
    std::string type;
    std::u16string name;

    bool operator==(const AttachmentView&) const = default;
};

std::vector<AttachmentView> AttachmentViews(GMimeMessage* message, bool includeSigned) {
    std::vector<AttachmentView> views;
    GMimeObject* top = g_mime_message_get_mime_part(message);
    for (GMimeObject* part : AttachmentParts(message, includeSigned)) {
        GMimeContentType* type = g_mime_object_get_content_type(part);
        char* mimeType = type == nullptr ? nullptr : g_mime_content_type_get_mime_type(type);
        views.push_back({PlaceOf(top, part), mimeType == nullptr ? "" : AsciiLower(mimeType), AttachmentFileName(part)});
        g_free(mimeType);
    }
    return views;
}

}  // namespace

ItemObject::ItemObject(std::shared_ptr<MessageContext> context, std::unique_ptr<MessageSource> source,
                       com::ComPtr<IUnknown> folder)
    : context_(std::move(context)), source_(std::move(source)), folder_(std::move(folder)) {}

ItemObject::~ItemObject() { context_->Forget(*this); }

GMimeMessage* ItemObject::Message() {
    if (!unreadable_.empty()) ThrowUnreadable();
    if (!message_) {
        try {
            message_ = source_->Read();
            if (outline_) CheckOutline();
            if (!kind_) kind_ = KindOf(message_.get());
        } catch (const UnreadableMessage& error) {
            Unreadable(error.what(), dynamic_cast<const MessageGone*>(&error) != nullptr);
            ThrowUnreadable();
        }
    }
    context_->Parsed(*this);
    return message_.get();
}

GMimeMessage* ItemObject::Structure() {
    if (!unreadable_.empty()) ThrowUnreadable();
    if (message_) return message_.get();
    if (!outlineRead_) {
        outlineRead_ = true;
        try {
            outline_ = source_->ReadOutline();
        } catch (const UnreadableMessage& error) {
            Unreadable(error.what(), dynamic_cast<const MessageGone*>(&error) != nullptr);
            ThrowUnreadable();
        }
    }
    return outline_ ? outline_->message.get() : Message();
}

bool ItemObject::IsOutline(const GMimeMessage* message) const { return outline_ && outline_->message.get() == message; }

std::optional<std::uint64_t> ItemObject::OutlineSize(const GMimeObject* part) const {
    if (!outline_) return std::nullopt;
    const auto found = outline_->decodedSizes.find(part);
    return found == outline_->decodedSizes.end() ? std::nullopt : std::optional<std::uint64_t>(found->second);
}

// The engine may have chosen attachments by the outline: the whole message
// must hold the same ones at the same places, or the item is left alone.
void ItemObject::CheckOutline() {
    const bool signedToo = context_->IncludeSigned();
    GMimeMessage* outline = outline_->message.get();
    if (AttachmentViews(outline, signedToo) != AttachmentViews(message_.get(), signedToo) ||
        SignedContentHoldsAttachments(outline) != SignedContentHoldsAttachments(message_.get()) ||
        (kind_ && *kind_ != KindOf(message_.get()))) {
        throw MessageGone("the server describes its parts otherwise than its content holds them; it was left as it is");
    }
}

void ItemObject::Unreadable(std::string reason, bool gone) {
    message_ = {};
    unreadable_ = std::move(reason);
    gone_ = gone;
    context_->Warn(source_->Name(), unreadable_);
}

std::optional<ItemKind> ItemObject::Kind() {
    if (!kind_ && unreadable_.empty()) {
        try {
            GMimeMessage* structure = Structure();
            if (!kind_) kind_ = KindNeedsContent(structure) ? KindOf(Message()) : KindOf(structure);
        } catch (const UnreadableMessage& error) {
            Unreadable(error.what(), false);
        } catch (const host::HostError&) {
            // Unreadable (the warning is recorded) or out of reach: no kind.
        }
    }
    return kind_;
}

bool ItemObject::ReleaseParsedMessage() {
    if (changed_ || source_->Pending()) return false;
    message_ = {};
    return true;
}

void ItemObject::ThrowUnreadable() const {
    throw host::HostError(gone_ ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : E_FAIL,
                          u"The message " + velmora::FromUtf8(source_->Name()) + u" cannot be read: " +
                              velmora::FromUtf8(unreadable_));
}

void* ItemObject::Find(REFIID iid) {
    const std::pair<const IID&, ItemKind> interfaces[] = {
        {Outlook::IID__MailItem, ItemKind::Mail},
        {Outlook::IID__AppointmentItem, ItemKind::Appointment},
        {Outlook::IID__MeetingItem, ItemKind::MeetingRequest},
        {Outlook::IID__TaskItem, ItemKind::Task},
    };
    for (const auto& [interfaceId, kind] : interfaces) {
        if (iid == interfaceId && Kind() != kind) return nullptr;
    }
    return ComObject::Find(iid);
}

com::ComPtr<Outlook::Attachments> ItemObject::Attachments() {
    Structure();
    return com::MakeCom<AttachmentCollection>(com::ComPtr<ItemObject>(this));
}

std::u16string ItemObject::Body() {
    if (body_) return *body_;
    return ReadBody(Message());
}

void ItemObject::SetBody(const std::u16string& body) {
    const std::u16string current = Body();
    if (body == current) return;
    WriteBody(Message(), current, body);
    body_ = body;
    Changed();
}

velmora::TDateTime ItemObject::CreationTime() {
    if (!created_) created_ = LocalDateTime(source_->ArrivalTime());
    return *created_;
}

com::ComPtr<IUnknown> ItemObject::Parent() { return folder_; }

std::u16string ItemObject::EntryID() { return source_->Identity(); }

std::u16string ItemObject::Subject() {
    const char* subject = g_mime_message_get_subject(Structure());
    return subject == nullptr ? std::u16string() : velmora::FromUtf8(subject);
}

void ItemObject::Save() {
    if (!changed_) return;
    GMimeMessage* message = Message();
    const std::size_t attachments = AttachmentParts(message).size();
    source_->Write(message, [&](GMimeMessage* written) { CheckWritten(written, attachments); });
    changed_ = false;
}

// What was written must read back as the message it replaces: a message
// that would lose parts on the way never replaces the old one.
void ItemObject::CheckWritten(GMimeMessage* written, std::size_t attachments) const {
    if (AttachmentParts(written).size() != attachments) {
        throw host::HostError(E_FAIL, u"The message written for " + velmora::FromUtf8(source_->Name()) +
                                          u" does not read back with its attachments; the message was left as it was.");
    }
}

}  // namespace mailstore
