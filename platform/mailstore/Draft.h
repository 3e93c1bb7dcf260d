#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "com/ComPtr.h"
#include "host/Outlook.h"

namespace mailstore {

class ItemObject;
class MaildirMessage;

// What a new message starts with.
struct DraftStart {
    std::u16string To;
    std::u16string Cc;
    std::u16string Subject;
    std::u16string Body;
    // A message file whose attachments the draft carries along, as a
    // forward does; a link stays a link.
    std::optional<std::filesystem::path> Forwarded;
};

// The start of a forward of that message file: "FW: " and its subject, and
// a body that quotes its sender, date, recipients, subject and body. Throws
// host::HostError when the file is no readable message.
DraftStart ForwardOf(const std::filesystem::path& original);

// A message being written: a file flagged as a draft in the mailbox's Drafts
// folder, and the mail item over it, which is what ItemSend hands to
// add-ins. Changes live in memory until Save writes them.
class Draft {
public:
    // file: the item's source.
    Draft(com::ComPtr<ItemObject> item, MaildirMessage& file);
    ~Draft();
    Draft(const Draft&) = delete;
    Draft& operator=(const Draft&) = delete;

    // Recipients as address lists ("Ann <ann@example.org>, bob@example.org").
    std::u16string To();
    std::u16string Cc();
    std::u16string Subject();
    std::u16string Body();
    void SetTo(const std::u16string& addresses);
    void SetCc(const std::u16string& addresses);
    void SetSubject(const std::u16string& subject);
    void SetBody(const std::u16string& body);
    // The item's own: Add (type 1 copies a file in, 4 links to it) and Remove.
    com::ComPtr<Outlook::Attachments> Attachments();

    // Writes what changed, dated now.
    void Save();
    // Removes the draft's file: the message is given up.
    void Discard();
    com::ComPtr<IUnknown> Item();
    std::filesystem::path File();

private:
    com::ComPtr<ItemObject> item_;
    MaildirMessage& file_;
};

}  // namespace mailstore
