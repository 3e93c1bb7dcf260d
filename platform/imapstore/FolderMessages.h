#pragma once

#include <chrono>
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
// command, the whole messages of the next ones that hold attachments (up to
// a count and a size) in another, and the flags of the next ones to be
// rewritten in a third, so that the server's round trips do not set the
// pace. A message taken from here is fetched anew when asked again.
// Everything runs through the account's connection.
class FolderMessages {
public:
    static constexpr std::size_t kFactsWindow = 200;
    static constexpr std::size_t kWholeAhead = 8;
    static constexpr std::uint64_t kWholeBytesAhead = 16ull * 1024 * 1024;
    static constexpr std::size_t kFlagsWindow = 64;  // a batch of the engine's saves
    static constexpr std::chrono::milliseconds kFlagsFresh{2000};

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
    // The message's flags (and mod-sequence) as read at most kFlagsFresh ago:
    // what a rewrite carries over, and checks that nobody changed since.
    // None when the server no longer has it.
    std::optional<FetchedMessage> RecentFlags(std::uint32_t uid);

private:
    void FetchFacts(std::uint32_t uid);
    void FetchWhole(std::uint32_t uid);
    // The UID and those before it in the walk, up to count, that lack from the map.
    template <class Map>
    std::vector<std::uint32_t> Window(std::uint32_t uid, std::size_t count, const Map& known);
    bool HoldsAttachments(MessageFacts& facts);

    std::shared_ptr<AccountContext> account_;
    std::string folder_;
    std::u16string shownPath_;
    std::optional<std::vector<std::uint32_t>> uids_;
    std::uint32_t uidValidity_ = 0;
    std::map<std::uint32_t, MessageFacts> facts_;
    std::map<std::uint32_t, std::string> wholes_;
    std::map<std::uint32_t, FetchedMessage> flags_;
    std::chrono::steady_clock::time_point flagsRead_;
};

}  // namespace imapstore
