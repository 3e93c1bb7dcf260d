#include "mailstore/MailboxContext.h"

#include <iterator>
#include <utility>

namespace mailstore {

MailboxContext::MailboxContext(std::filesystem::path root, std::u16string storeName)
    : root_(std::move(root)), storeName_(std::move(storeName)) {}

void MailboxContext::Warn(const std::filesystem::path& file, std::string_view reason) {
    warnings_.push_back("Skipping " + file.string() + ": " + std::string(reason));
}

std::vector<std::string> MailboxContext::TakeWarnings() { return std::exchange(warnings_, {}); }

void MailboxContext::Rewritten(const std::filesystem::path& old, const std::filesystem::path& now) {
    notes_.push_back("Rewrote " + old.lexically_relative(root_).string() + " as " +
                     now.lexically_relative(root_).string());
}

std::vector<std::string> MailboxContext::TakeNotes() { return std::exchange(notes_, {}); }

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
