#include "imapstore/ImapMessage.h"

#include <algorithm>
#include <set>
#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "imapstore/MessageOutlines.h"
#include "imapstore/ServerMessages.h"
#include "mailstore/MessageFile.h"

namespace imapstore {

namespace {

using mailstore::GObjectPtr;
using mailstore::MessageGone;

bool IsFileNotFound(const host::HostError& error) { return error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); }

std::set<std::string> FlagSet(const std::vector<std::string>& flags) {
    std::set<std::string> set;
    for (std::string flag : flags) {
        if (!flag.empty() && flag.front() == '\\') {
            std::transform(flag.begin(), flag.end(), flag.begin(), [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            });
        }
        set.insert(flag);
    }
    return set;
}

const FetchedMessage* Find(const std::vector<FetchedMessage>& messages, std::uint32_t uid) {
    for (const FetchedMessage& message : messages) {
        if (message.uid == uid) return &message;
    }
    return nullptr;
}

// The newest message after the UID whose size and header are those of the
// message appended: the copy an APPEND made when the server told no UID, or
// when the connection broke before it could.
std::optional<std::uint32_t> FindAppended(ImapSession& session, const std::string& bytes, std::uint32_t after) {
    const std::size_t headerEnd = bytes.find("\r\n\r\n");
    const std::string header = bytes.substr(0, headerEnd == std::string::npos ? bytes.size() : headerEnd + 4);
    const auto candidates = session.UidsOfSize(after + 1, bytes.size());
    std::optional<std::uint32_t> found;
    for (const FetchedMessage& message : session.FetchHeaders(candidates)) {
        if (message.size == bytes.size() && message.section == header && (!found || message.uid > *found)) {
            found = message.uid;
        }
    }
    return found;
}

}  // namespace

ImapMessage::ImapMessage(std::shared_ptr<FolderMessages> folder, std::uint32_t uid)
    : folder_(std::move(folder)), uid_(uid) {
    identity_ = folder_->ShownPath() + velmora::FromUtf8("/" + std::to_string(folder_->UidValidity()) + "/" +
                                                          std::to_string(uid));
}

std::string ImapMessage::Name() {
    return folder_->Account().Link().UrlText() + velmora::ToUtf8(folder_->ShownPath()) + ";UID=" +
           std::to_string(uid_);
}

MessageFacts& ImapMessage::Facts() {
    if (!facts_) {
        if (uid_ == 0) throw MessageGone("the server did not tell where its rewritten message went");
        try {
            facts_ = folder_->TakeFacts(uid_);
        } catch (const host::HostError& error) {
            if (IsFileNotFound(error)) throw MessageGone(velmora::ToUtf8(error.Message()));
            throw;
        }
        if (!facts_) throw MessageGone("another client removed it from the server");
    }
    return *facts_;
}

std::optional<mailstore::MessageOutline> ImapMessage::ReadOutline() {
    MessageFacts& facts = Facts();
    if (facts.outline) return std::exchange(facts.outline, std::nullopt);
    return MakeOutline(*facts.fetched.structure, facts.fetched.section);
}

GObjectPtr<GMimeMessage> ImapMessage::Read() {
    if (uid_ == 0) throw MessageGone("the server did not tell where its rewritten message went");
    std::optional<std::string> whole;
    try {
        whole = folder_->TakeWhole(uid_);
    } catch (const host::HostError& error) {
        if (IsFileNotFound(error)) throw MessageGone(velmora::ToUtf8(error.Message()));
        throw;
    }
    if (!whole) throw MessageGone("another client removed it from the server");
    return ParseServerMessage(*whole);
}

std::int64_t ImapMessage::ArrivalTime() {
    try {
        return Facts().fetched.internalDate->UnixSeconds();
    } catch (const MessageGone& gone) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                              velmora::FromUtf8("The message " + Name() + " cannot be read: " + gone.what()));
    }
}

void ImapMessage::Skip(const std::string& reason) {
    folder_->Account().Warn(Name(), reason);
    throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                          velmora::FromUtf8("The message " + Name() + " was left as it is: " + reason));
}

std::optional<std::uint32_t> ImapMessage::Append(const std::string& bytes, const std::vector<std::string>& flags) {
    Connection& link = folder_->Account().Link();
    const std::string& folder = folder_->Folder();
    bool sent = false;
    return link.Run(folder, [&](ImapSession& session) -> std::optional<std::uint32_t> {
        // A connection that broke after the APPEND went out may have left
        // the copy: it is found, not made twice.
        if (sent) {
            if (auto found = FindAppended(session, bytes, uid_)) return found;
        }
        sent = true;
        const ServerTime& date = *Facts().fetched.internalDate;
        if (auto uid = session.Append(folder, flags, date, bytes)) return uid;
        return FindAppended(session, bytes, uid_);
    });
}

// The old message flagged \Deleted, unless another client changed or
// removed it since before was read.
ImapMessage::Replacement ImapMessage::MarkOldDeleted(const FetchedMessage& before) {
    Connection& link = folder_->Account().Link();
    const std::set<std::string> flagsBefore = FlagSet(*before.flags);
    const std::set<std::string> flagsDeleted = [&] {
        auto flags = flagsBefore;
        flags.insert("\\deleted");
        return flags;
    }();
    bool sent = false;
    return link.Run(folder_->Folder(), [&](ImapSession& session) {
        if (sent) {
            // The STORE may have gone through before the connection broke.
            const auto now = session.FetchFlags({uid_});
            const FetchedMessage* message = Find(now, uid_);
            if (message == nullptr) return Replacement::Gone;
            if (FlagSet(*message->flags) == flagsDeleted) return Replacement::Done;
        }
        sent = true;
        const bool conditional = link.Caps().condStore && before.modSeq;
        std::vector<std::string> after;
        switch (session.MarkDeleted(uid_, conditional ? before.modSeq : std::nullopt, after)) {
            case StoreOutcome::Gone: return Confirm(session, flagsDeleted);
            case StoreOutcome::Modified: return Replacement::Changed;
            case StoreOutcome::Done: break;
        }
        if (conditional || FlagSet(after) == flagsDeleted) return Replacement::Done;
        // Without mod-sequences, flags other than those read tell of a change.
        session.UnmarkDeleted(uid_);
        return Replacement::Changed;
    });
}

// A STORE whose answer told nothing of the message. Gone now, it may have
// gone before the STORE (another client expunged it) or after it (another
// client's EXPUNGE took the \Deleted just set): the new copy stays, since
// dropping it could lose the message.
ImapMessage::Replacement ImapMessage::Confirm(ImapSession& session, const std::set<std::string>& flagsDeleted) {
    session.Refresh();
    const auto now = session.FetchFlags({uid_});
    const FetchedMessage* message = Find(now, uid_);
    if (message == nullptr || !message->flags) {
        folder_->Account().Warning("Kept the changed copy of " + Name() +
                                   ": another client expunged it while its changes were saved, perhaps for the "
                                   "\\Deleted this run had just set");
        return Replacement::Done;
    }
    const std::set<std::string> flags = FlagSet(*message->flags);
    if (flags == flagsDeleted) return Replacement::Done;
    if (flags.count("\\deleted") != 0) session.UnmarkDeleted(uid_);
    return Replacement::Changed;
}

void ImapMessage::Withdraw(std::optional<std::uint32_t> copy) {
    if (!copy) return;
    Connection& link = folder_->Account().Link();
    link.Run(folder_->Folder(), [&](ImapSession& session) {
        std::vector<std::string> ignored;
        session.MarkDeleted(*copy, std::nullopt, ignored);
        if (link.Caps().uidPlus) session.Expunge({*copy});
        return 0;
    });
}

void ImapMessage::Write(GMimeMessage* message, const std::function<void(GMimeMessage* written)>& check) {
    const std::string bytes = ServerForm(message);
    try {
        check(ParseServerMessage(bytes).get());
    } catch (const mailstore::UnreadableMessage& error) {
        throw host::HostError(E_FAIL, velmora::FromUtf8("The message written for " + Name() +
                                                        " cannot be read back: " + error.what()));
    }
    Connection& link = folder_->Account().Link();
    const std::string& folder = folder_->Folder();
    std::optional<FetchedMessage> before;
    try {
        Facts();
        before = folder_->RecentFlags(uid_);
    } catch (const MessageGone& gone) {
        Skip(gone.what());
    } catch (const host::HostError& error) {
        if (IsFileNotFound(error)) Skip(velmora::ToUtf8(error.Message()));
        throw;
    }
    if (!before || !before->flags) Skip("another client removed it from the server before its changes were saved");
    // On its way out (another client's, or an old copy kept where the server
    // offers no UIDPLUS): a new copy would bring it back.
    if (FlagSet(*before->flags).count("\\deleted") != 0) Skip("it is flagged \\Deleted");

    const std::optional<std::uint32_t> copy = Append(bytes, *before->flags);
    switch (MarkOldDeleted(*before)) {
        case Replacement::Gone:
            Withdraw(copy);
            Skip("another client removed it from the server while its changes were saved");
        case Replacement::Changed:
            Withdraw(copy);
            Skip("another client changed its flags while its changes were saved");
        case Replacement::Done: break;
    }
    const std::string old = Name();
    if (link.Caps().uidPlus) {
        link.ExpungeLater(folder, uid_);
    } else {
        folder_->Account().Warning("The old message " + old +
                                   " stays, flagged \\Deleted: the server offers no UIDPLUS, and expunging the "
                                   "folder would take other clients' deleted messages with it");
    }
    uid_ = copy.value_or(0);
    facts_.reset();
    folder_->Account().Note("Rewrote " + old + " as " + (copy ? "UID " + std::to_string(*copy) : "a new message"));
}

}  // namespace imapstore
