#include "imapstore/FolderMessages.h"

#include <algorithm>
#include <utility>

#include "imapstore/MessageOutlines.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"

namespace imapstore {

FolderMessages::FolderMessages(std::shared_ptr<AccountContext> account, std::string folder, std::u16string shownPath)
    : account_(std::move(account)), folder_(std::move(folder)), shownPath_(std::move(shownPath)) {}

const std::vector<std::uint32_t>& FolderMessages::Uids() {
    if (!uids_) {
        uids_ = account_->Link().Run(folder_, [&](ImapSession& session) { return session.AllUids(); });
        std::sort(uids_->begin(), uids_->end());
        uidValidity_ = account_->Link().UidValidity(folder_);
    }
    return *uids_;
}

std::uint32_t FolderMessages::UidValidity() {
    Uids();
    return uidValidity_;
}

std::optional<MessageFacts> FolderMessages::TakeFacts(std::uint32_t uid) {
    if (facts_.count(uid) == 0) FetchFacts(uid);
    const auto found = facts_.find(uid);
    if (found == facts_.end()) return std::nullopt;
    MessageFacts facts = std::move(found->second);
    facts_.erase(found);
    return facts;
}

// The engine walks a folder from its last message to its first: a window is
// the message asked for and those before it.
template <class Map>
std::vector<std::uint32_t> FolderMessages::Window(std::uint32_t uid, std::size_t count, const Map& known) {
    std::vector<std::uint32_t> wanted = {uid};
    const auto& uids = Uids();
    const auto at = std::lower_bound(uids.begin(), uids.end(), uid);
    if (at != uids.end() && *at == uid) {
        for (auto it = at; it != uids.begin() && wanted.size() < count;) {
            --it;
            if (known.count(*it) == 0) wanted.push_back(*it);
        }
    }
    return wanted;
}

void FolderMessages::FetchFacts(std::uint32_t uid) {
    const std::vector<std::uint32_t> wanted = Window(uid, kFactsWindow, facts_);
    auto fetched = account_->Link().Run(folder_, [&](ImapSession& session) { return session.FetchOutlines(wanted); });
    for (FetchedMessage& message : fetched) {
        if (message.structure && message.flags && message.internalDate) {
            facts_[message.uid] = MessageFacts{std::move(message), std::nullopt};
        }
    }
}

bool FolderMessages::HoldsAttachments(MessageFacts& facts) {
    try {
        if (!facts.outline) facts.outline = MakeOutline(*facts.fetched.structure, facts.fetched.section);
        return !mailstore::AttachmentParts(facts.outline->message.get(), true).empty();
    } catch (const mailstore::UnreadableMessage&) {
        return false;
    }
}

std::optional<std::string> FolderMessages::TakeWhole(std::uint32_t uid) {
    if (wholes_.count(uid) == 0) FetchWhole(uid);
    const auto found = wholes_.find(uid);
    if (found == wholes_.end()) return std::nullopt;
    std::string whole = std::move(found->second);
    wholes_.erase(found);
    return whole;
}

// With the message asked for come the next ones in the walk whose facts
// are here and show attachments.
void FolderMessages::FetchWhole(std::uint32_t uid) {
    wholes_.clear();
    std::vector<std::uint32_t> wanted = {uid};
    std::uint64_t bytes = 0;
    const auto& uids = Uids();
    const auto at = std::lower_bound(uids.begin(), uids.end(), uid);
    if (at != uids.end() && *at == uid) {
        for (auto it = at; it != uids.begin() && wanted.size() < kWholeAhead;) {
            --it;
            const auto facts = facts_.find(*it);
            if (facts == facts_.end()) break;
            if (!HoldsAttachments(facts->second)) continue;
            bytes += facts->second.fetched.size;
            if (bytes > kWholeBytesAhead) break;
            wanted.push_back(*it);
        }
    }
    auto fetched = account_->Link().Run(folder_, [&](ImapSession& session) { return session.FetchWhole(wanted); });
    for (FetchedMessage& message : fetched) {
        // A server may give a message that another client expunged, but
        // that this session has not been told of yet, as empty: it is gone.
        if (!message.section.empty()) wholes_[message.uid] = std::move(message.section);
    }
}

std::optional<FetchedMessage> FolderMessages::RecentFlags(std::uint32_t uid) {
    const auto now = std::chrono::steady_clock::now();
    if (now - flagsRead_ > kFlagsFresh || flags_.count(uid) == 0) {
        flags_.clear();
        const std::vector<std::uint32_t> wanted = Window(uid, kFlagsWindow, flags_);
        auto fetched = account_->Link().Run(folder_, [&](ImapSession& session) { return session.FetchFlags(wanted); });
        for (FetchedMessage& message : fetched) {
            if (message.flags) flags_[message.uid] = std::move(message);
        }
        flagsRead_ = now;
    }
    const auto found = flags_.find(uid);
    if (found == flags_.end()) return std::nullopt;
    FetchedMessage flags = std::move(found->second);
    flags_.erase(found);
    return flags;
}

}  // namespace imapstore
