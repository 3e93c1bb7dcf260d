#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "mailstore/HeldSaves.h"
#include "mailstore/MessageContext.h"

namespace mailstore {

// What every object of one Maildir mailbox shares: besides what item objects
// of any store share, the root, the store's name, and where rewritten
// messages went.
class MailboxContext final : public MessageContext {
public:
    MailboxContext(std::filesystem::path root, std::u16string storeName, bool includeSigned);

    const std::filesystem::path& Root() const { return root_; }
    const std::u16string& StoreName() const { return storeName_; }

    // Records that the message of file old is now in file now: a note
    // ("Rewrote <old> as <new>", both below the root), where item objects
    // made from a folder listing taken before find it, and which name it had
    // first.
    void Rewritten(const std::filesystem::path& old, const std::filesystem::path& now);
    // The file that holds the message of file now, as far as this mailbox
    // rewrote it (file itself when it did not).
    std::filesystem::path Latest(const std::filesystem::path& file) const;
    // The message's folder and unique name ("<folder>/<unique>") before this
    // mailbox first rewrote it: what identifies it while the mailbox is open.
    std::filesystem::path FirstName(const std::filesystem::path& file) const;

    // The rewrites held back while a batch of saves runs.
    HeldSaves& Held() { return held_; }

private:
    std::filesystem::path root_;
    std::u16string storeName_;
    // Both by folder and unique name: the latest file of a message, and the
    // first name of a message rewritten.
    std::map<std::filesystem::path, std::filesystem::path> latest_;
    std::map<std::filesystem::path, std::filesystem::path> first_;
    HeldSaves held_;
};

}  // namespace mailstore
