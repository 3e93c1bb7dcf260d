#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imapstore/AccountContext.h"
#include "imapstore/ImapSession.h"
#include "mailstore/MessageSource.h"

namespace imapstore {

// What the store knows of one message before reading it.
struct MessageFacts {
    FetchedMessage fetched;  // flags, INTERNALDATE, size, structure, Subject fields
    std::optional<mailstore::MessageOutline> outline;
};

// The messages of one folder as listed once (by UID), and what is fetched of
// them ahead of the items that ask: facts for a window of messages in one
// command, and the whole messages of the next ones that hold attachments
// (up to a count and a size) in another, so that the server's round trips do
// not set the pace. A message taken from here is fetched anew when asked
// again. Everything runs through the account's connection.
class FolderMessages {
public:
    static constexpr std::size_t kFactsWindow = 200;
    static constexpr std::size_t kWholeAhead = 8;
    static constexpr std::uint64_t kWholeBytesAhead = 16ull * 1024 * 1024;

    // folder: the server's name; shownPath: its path as the user sees it ("Mail/Inbox").
    FolderMessages(std::shared_ptr<AccountContext> account, std::string folder, std::u16string shownPath);

    AccountContext& Account() { return *account_; }
    const std::string& Folder() const { return folder_; }
    const std::u16string& ShownPath() const { return shownPath_; }
    // The UIDs as first listed, ascending.
    const std::vector<std::uint32_t>& Uids();
    std::uint32_t UidValidity();
    // The message's facts; none when the server no longer has it.
    std::optional<MessageFacts> TakeFacts(std::uint32_t uid);
    // The whole message as the server sent it; none when it no longer has it.
    std::optional<std::string> TakeWhole(std::uint32_t uid);

private:
    void FetchFacts(std::uint32_t uid);
    void FetchWhole(std::uint32_t uid);
    bool HoldsAttachments(MessageFacts& facts);

    std::shared_ptr<AccountContext> account_;
    std::string folder_;
    std::u16string shownPath_;
    std::optional<std::vector<std::uint32_t>> uids_;
    std::uint32_t uidValidity_ = 0;
    std::map<std::uint32_t, MessageFacts> facts_;
    std::map<std::uint32_t, std::string> wholes_;
};

}  // namespace imapstore
