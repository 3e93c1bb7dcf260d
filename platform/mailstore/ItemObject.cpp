#include "mailstore/ItemObject.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "host/Platform.h"
#include "mailstore/AttachmentObjects.h"
#include "mailstore/BodyText.h"
#include "mailstore/Maildir.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MessageRewrite.h"
#include "mailstore/MimeTree.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr double kDaysFrom1601To1899 = 109205.0;  // 1601-01-01 to 1899-12-30, where host dates count from
constexpr double kFileTimeUnitsPerDay = 864'000'000'000.0;

velmora::TDateTime LocalDateTime(std::int64_t unixSeconds) {
    const std::int64_t since1601 = std::max<std::int64_t>(unixSeconds + kSecondsFrom1601To1970, 0);
    const host::FileTime local = host::TheSystem().UtcToLocal(static_cast<host::FileTime>(since1601) * 10'000'000);
    return static_cast<double>(local) / kFileTimeUnitsPerDay - kDaysFrom1601To1899;
}

std::u16string Text(const fs::path& path) { return velmora::FromUtf8(path.string()); }

}  // namespace

ItemObject::ItemObject(std::shared_ptr<MailboxContext> context, const fs::path& file, com::ComPtr<IUnknown> folder)
    : context_(std::move(context)), file_(context_->Latest(file)), folder_(std::move(folder)) {
    const fs::path first = context_->FirstName(file_);
    const fs::path directory = first.parent_path().lexically_relative(context_->Root());
    entryId_ = velmora::FromUtf8(directory.generic_string() + "/" + first.filename().string());
}

ItemObject::~ItemObject() { context_->Forget(*this); }

GMimeMessage* ItemObject::Message() {
    if (!unreadable_.empty()) ThrowUnreadable();
    if (!message_) {
        if (auto current = maildir::Locate(file_)) file_ = *current;
        try {
            message_ = ReadMessageFile(file_);
            if (!kind_) kind_ = KindOf(message_.get());
        } catch (const UnreadableMessage& error) {
            message_ = {};
            unreadable_ = error.what();
            gone_ = dynamic_cast<const MessageGone*>(&error) != nullptr;
            context_->Warn(file_, unreadable_);
            ThrowUnreadable();
        }
    }
    context_->Parsed(*this);
    return message_.get();
}

std::optional<ItemKind> ItemObject::Kind() {
    if (!kind_ && unreadable_.empty()) {
        try {
            Message();
        } catch (const host::HostError&) {
            // Unreadable: no kind, and the warning is recorded.
        }
    }
    return kind_;
}

bool ItemObject::ReleaseParsedMessage() {
    if (changed_ || held_) return false;
    message_ = {};
    return true;
}

void ItemObject::ThrowUnreadable() const {
    throw host::HostError(gone_ ? HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) : E_FAIL,
                          u"The message " + Text(file_) + u" cannot be read: " + velmora::FromUtf8(unreadable_));
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
    Message();
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
    if (!created_) {
        if (const auto delivered = maildir::DeliveryTime(file_.filename().string())) {
            created_ = LocalDateTime(*delivered);
        } else {
            // Save keeps the file's modification time, so this stays too.
            struct stat info {};
            if (auto current = maildir::Locate(file_)) file_ = *current;
            if (::stat(file_.c_str(), &info) != 0) {
                throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                                      u"The message " + Text(file_) + u" is no longer in its folder.");
            }
            created_ = LocalDateTime(info.st_mtim.tv_sec);
        }
    }
    return *created_;
}

com::ComPtr<IUnknown> ItemObject::Parent() { return folder_; }

std::u16string ItemObject::EntryID() { return entryId_; }

std::filesystem::path ItemObject::CurrentFile() {
    if (auto current = maildir::Locate(file_)) file_ = *current;
    return file_;
}

std::u16string ItemObject::Subject() {
    const char* subject = g_mime_message_get_subject(Message());
    return subject == nullptr ? std::u16string() : velmora::FromUtf8(subject);
}

void ItemObject::Save() {
    if (!changed_) return;
    GMimeMessage* message = Message();
    const std::size_t attachments = AttachmentParts(message).size();
    const auto check = [&](const fs::path& written) { CheckWritten(written, attachments); };
    if (context_->Held().Holding()) {
        HoldSave(message, check);
        return;
    }
    RewrittenFile rewritten;
    try {
        rewritten = RewriteMessageFile(file_, message,
                                       [&](const fs::path& written) { CheckWritten(written, attachments); });
    } catch (const host::HostError& error) {
        if (error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
            context_->Warn(file_, "another program deleted it before its changes were saved");
        }
        throw;
    }
    context_->Rewritten(rewritten.removed, rewritten.written);
    file_ = std::move(rewritten.written);
    changed_ = false;
}

// Written now, put in place when the mailbox commits its held saves; until
// then the item keeps its message in memory, since its file is the old one.
void ItemObject::HoldSave(GMimeMessage* message, const std::function<void(const fs::path&)>& check) {
    PreparedRewrite prepared = [&] {
        try {
            return PreparedRewrite(file_, message, check);
        } catch (const host::HostError& error) {
            if (error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
                context_->Warn(file_, "another program deleted it before its changes were saved");
            }
            throw;
        }
    }();
    com::ComPtr<ItemObject> self(this);
    context_->Held().Add(
        std::move(prepared),
        [self](const RewrittenFile& rewritten) {
            self->context_->Rewritten(rewritten.removed, rewritten.written);
            self->file_ = rewritten.written;
            self->held_ = false;
        },
        [self](const host::HostError&) {
            self->context_->Warn(self->file_, "another program deleted it before its changes were saved");
            self->held_ = false;
        });
    held_ = true;
    changed_ = false;
}

// The written file must read back as the message it replaces: a message
// that would lose parts on the way never replaces the old one.
void ItemObject::CheckWritten(const fs::path& written, std::size_t attachments) const {
    std::size_t found = 0;
    try {
        found = AttachmentParts(ReadMessageFile(written).get()).size();
    } catch (const UnreadableMessage& error) {
        throw host::HostError(E_FAIL, u"The message written for " + Text(file_) +
                                          u" cannot be read back: " + velmora::FromUtf8(error.what()));
    }
    if (found != attachments) {
        throw host::HostError(E_FAIL, u"The message written for " + Text(file_) +
                                          u" does not read back with its attachments; the message was left as it was.");
    }
}

}  // namespace mailstore
