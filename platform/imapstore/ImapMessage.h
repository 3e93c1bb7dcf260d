#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "imapstore/FolderMessages.h"
#include "mailstore/MessageSource.h"

namespace imapstore {

// A message on the server as an item's source, by its UID in its folder.
// Its outline comes from the folder's facts (BODYSTRUCTURE and the Subject
// fields), the whole message only when the item needs content. Its
// identity is the folder's path, UIDVALIDITY and the UID it had when the
// store was opened; a rewrite moves it to the new message's UID.
class ImapMessage final : public mailstore::MessageSource {
public:
    ImapMessage(std::shared_ptr<FolderMessages> folder, std::uint32_t uid);

    // "<account URL><folder path>;UID=<uid>".
    std::string Name() override;
    std::u16string Identity() override { return identity_; }
    mailstore::GObjectPtr<GMimeMessage> Read() override;
    std::optional<mailstore::MessageOutline> ReadOutline() override;
    // Its INTERNALDATE.
    std::int64_t ArrivalTime() override;
    // APPEND of the new message to the same folder with the flags the old
    // one has at that moment and its INTERNALDATE, then the old one flagged
    // \Deleted (only if unchanged since those flags were read: CONDSTORE, or
    // the flags compared) and expunged without the folder's other deleted
    // messages (UID EXPUNGE, a group at a time). Without UIDPLUS
    // the old message stays, flagged \Deleted, with a warning. A message
    // another client removed or changed meanwhile keeps what that client
    // did, and the new copy goes again.
    void Write(GMimeMessage* message, const std::function<void(GMimeMessage* written)>& check) override;

private:
    enum class Replacement { Done, Changed, Gone };

    MessageFacts& Facts();
    std::optional<std::uint32_t> Append(const std::string& bytes, const std::vector<std::string>& flags);
    Replacement Confirm(ImapSession& session, const std::set<std::string>& flagsDeleted);
    Replacement MarkOldDeleted(const FetchedMessage& before);
    void Withdraw(std::optional<std::uint32_t> copy);
    [[noreturn]] void Skip(const std::string& reason);

    std::shared_ptr<FolderMessages> folder_;
    std::uint32_t uid_;  // 0 when a rewrite's new message could not be found
    std::u16string identity_;
    std::optional<MessageFacts> facts_;
};

}  // namespace imapstore
