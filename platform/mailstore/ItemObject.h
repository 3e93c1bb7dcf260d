#pragma once

#include "mailstore/Gmime.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/ItemKind.h"
#include "mailstore/MailboxContext.h"

namespace mailstore {

// One message file as the host's item object: it answers the item interface
// of its kind only. The file is parsed on first use; changes live in the
// parsed message, in memory, until Save writes them. A file that is no
// readable message answers no item interface, fails every operation, and
// leaves one warning with the mailbox.
class ItemObject final : public com::ComObject<Outlook::_MailItem, Outlook::_AppointmentItem, Outlook::_MeetingItem,
                                               Outlook::_TaskItem>,
                         public ParsedMessageHolder {
public:
    // file may be a name the mailbox rewrote since: the item is the message's
    // latest file.
    ItemObject(std::shared_ptr<MailboxContext> context, const std::filesystem::path& file,
               com::ComPtr<IUnknown> folder);
    ~ItemObject() override;

    com::ComPtr<Outlook::Attachments> Attachments() override;
    std::u16string Body() override;
    void SetBody(const std::u16string& body) override;
    // When the message reached the store, which no save changes.
    velmora::TDateTime CreationTime() override;
    com::ComPtr<IUnknown> Parent() override;
    std::u16string Subject() override;
    // Writes the message when it has unsaved changes as a new message file,
    // which the item follows (see RewriteMessageFile). A message another
    // program deleted meanwhile leaves a warning with the mailbox and throws
    // host::HostError with ERROR_FILE_NOT_FOUND.
    void Save() override;
    // The folder's path below the mailbox root and the message file's unique
    // name, as they were before the mailbox first rewrote the message:
    // rewriting gives its file a new name, not the item a new identity while
    // the mailbox is open.
    std::u16string EntryID() override;

    // The parsed message, parsed now when needed; host::HostError when the
    // file is not a readable message (ERROR_FILE_NOT_FOUND when it is gone).
    GMimeMessage* Message();
    // Records that Message() was changed.
    void Changed() { changed_ = true; }
    // The message file as it is named now.
    std::filesystem::path CurrentFile();
    // Mail, meeting request, appointment, task or other; none when unreadable.
    std::optional<ItemKind> Kind();
    // What the item shares with the rest of its mailbox, and its message file.
    MailboxContext& Context() const { return *context_; }
    const std::filesystem::path& File() const { return file_; }

    bool ReleaseParsedMessage() override;

protected:
    void* Find(REFIID iid) override;

private:
    [[noreturn]] void ThrowUnreadable() const;
    void CheckWritten(const std::filesystem::path& written, std::size_t attachments) const;
    void HoldSave(GMimeMessage* message, const std::function<void(const std::filesystem::path&)>& check);

    std::shared_ptr<MailboxContext> context_;
    std::filesystem::path file_;
    std::u16string entryId_;
    com::ComPtr<IUnknown> folder_;
    GObjectPtr<GMimeMessage> message_;
    std::optional<ItemKind> kind_;
    std::string unreadable_;  // why the file cannot be read, once that is known
    bool gone_ = false;       // it cannot be read because it is no longer there
    std::optional<std::u16string> body_;  // as last set
    std::optional<velmora::TDateTime> created_;
    bool changed_ = false;
    bool held_ = false;  // saved, waiting for the mailbox to commit it
};

}  // namespace mailstore
