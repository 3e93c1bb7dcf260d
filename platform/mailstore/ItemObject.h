#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/ItemKind.h"
#include "mailstore/MessageContext.h"
#include "mailstore/MessageSource.h"

namespace mailstore {

// One message as the host's item object, wherever its source keeps it: it
// answers the item interface of its kind only. The message is read on first
// use, or only its outline when the source has one and that is enough (the
// kind, the attachments' names and sizes); changes live in the parsed
// message, in memory, until Save writes them. A message that cannot be read
// answers no item interface, fails every operation, and leaves one warning
// with the store.
class ItemObject final : public com::ComObject<Outlook::_MailItem, Outlook::_AppointmentItem, Outlook::_MeetingItem,
                                               Outlook::_TaskItem>,
                         public ParsedMessageHolder {
public:
    ItemObject(std::shared_ptr<MessageContext> context, std::unique_ptr<MessageSource> source,
               com::ComPtr<IUnknown> folder);
    ~ItemObject() override;

    com::ComPtr<Outlook::Attachments> Attachments() override;
    std::u16string Body() override;
    void SetBody(const std::u16string& body) override;
    // When the message reached the store, which no save changes.
    velmora::TDateTime CreationTime() override;
    com::ComPtr<IUnknown> Parent() override;
    std::u16string Subject() override;
    // Writes the message through its source when it has unsaved changes. A
    // message another program removed or changed meanwhile throws
    // host::HostError with ERROR_FILE_NOT_FOUND (the source left a warning).
    void Save() override;
    // The source's identity of the message: rewriting it does not give the
    // item a new identity while the store is open.
    std::u16string EntryID() override;

    // The whole message, read now when needed; host::HostError when it cannot
    // be read (ERROR_FILE_NOT_FOUND when it is gone, or when it is not what
    // its outline said).
    GMimeMessage* Message();
    // What the item knows of the message's parts: the whole message once
    // read, else the outline when the source has one, else the whole message
    // read now.
    GMimeMessage* Structure();
    // Whether message is the outline rather than the whole message.
    bool IsOutline(const GMimeMessage* message) const;
    // A leaf part's decoded size as the outline gives it.
    std::optional<std::uint64_t> OutlineSize(const GMimeObject* part) const;
    // Records that Message() was changed.
    void Changed() { changed_ = true; }
    // Mail, meeting request, appointment, task or other; none when unreadable.
    std::optional<ItemKind> Kind();
    // What the item shares with the rest of its store, and where its message is.
    MessageContext& Context() const { return *context_; }
    MessageSource& Source() const { return *source_; }

    bool ReleaseParsedMessage() override;

protected:
    void* Find(REFIID iid) override;

private:
    [[noreturn]] void ThrowUnreadable() const;
    // Records why the message cannot be read, with a warning.
    void Unreadable(std::string reason, bool gone);
    void CheckOutline();
    void CheckWritten(GMimeMessage* written, std::size_t attachments) const;

    std::shared_ptr<MessageContext> context_;
    std::unique_ptr<MessageSource> source_;
    com::ComPtr<IUnknown> folder_;
    GObjectPtr<GMimeMessage> message_;
    std::optional<MessageOutline> outline_;
    bool outlineRead_ = false;  // whether the source was asked for one
    std::optional<ItemKind> kind_;
    std::string unreadable_;  // why the message cannot be read, once that is known
    bool gone_ = false;       // it cannot be read because it is no longer there
    std::optional<std::u16string> body_;  // as last set
    std::optional<velmora::TDateTime> created_;
    bool changed_ = false;
};

}  // namespace mailstore
