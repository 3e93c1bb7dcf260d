#include "mailstore/MailboxContext.h"

#include <iterator>
#include <utility>

#include "mailstore/Maildir.h"

namespace mailstore {

MailboxContext::MailboxContext(std::filesystem::path root, std::u16string storeName, bool includeSigned)
    : root_(std::move(root)), storeName_(std::move(storeName)), includeSigned_(includeSigned) {}

void MailboxContext::Warn(const std::filesystem::path& file, std::string_view reason) {
    warnings_.push_back("Skipping " + file.string() + ": " + std::string(reason));
}

void MailboxContext::LeaveAsItIs(const std::filesystem::path& file, std::string_view reason) {
    // A message is named once, whatever name a rewrite gave it since.
    if (leftAlone_.insert(FirstName(file)).second) {
        warnings_.push_back("Leaving " + file.string() + " as it is: " + std::string(reason));
    }
}

std::vector<std::string> MailboxContext::TakeWarnings() { return std::exchange(warnings_, {}); }

namespace {

// What names a message whatever its flags and whether in new/ or cur/.
std::filesystem::path MessageKey(const std::filesystem::path& file) {
    return maildir::FolderOf(file) / maildir::UniqueName(file.filename().string());
}

}  // namespace

void MailboxContext::Rewritten(const std::filesystem::path& old, const std::filesystem::path& now) {
    latest_[MessageKey(old)] = now;
    first_[MessageKey(now)] = FirstName(old);
    notes_.push_back("Rewrote " + old.lexically_relative(root_).string() + " as " +
                     now.lexically_relative(root_).string());
}

std::vector<std::string> MailboxContext::TakeNotes() { return std::exchange(notes_, {}); }

std::filesystem::path MailboxContext::Latest(const std::filesystem::path& file) const {
    std::filesystem::path latest = file;
    // Every rewrite gives a fresh name, so the chain ends.
    for (auto next = latest_.find(MessageKey(latest)); next != latest_.end(); next = latest_.find(MessageKey(latest))) {
        latest = next->second;
    }
    return latest;
}

std::filesystem::path MailboxContext::FirstName(const std::filesystem::path& file) const {
    const auto first = first_.find(MessageKey(file));
    return first == first_.end() ? MessageKey(file) : first->second;
}

void MailboxContext::Parsed(ParsedMessageHolder& holder) {
    parsed_.remove(&holder);
    parsed_.push_front(&holder);
    for (auto it = std::prev(parsed_.end()); parsed_.size() > kMaxParsedMessages && it != parsed_.begin();) {
        auto candidate = it--;
        if ((*candidate)->ReleaseParsedMessage()) parsed_.erase(candidate);
    }
}

void MailboxContext::Forget(ParsedMessageHolder& holder) { parsed_.remove(&holder); }

}  // namespace mailstore
