#include "mailstore/MailboxContext.h"

#include <utility>

#include "mailstore/Maildir.h"

namespace mailstore {

MailboxContext::MailboxContext(std::filesystem::path root, std::u16string storeName, bool includeSigned)
    : MessageContext(includeSigned), root_(std::move(root)), storeName_(std::move(storeName)) {}

namespace {

// What names a message whatever its flags and whether in new/ or cur/.
std::filesystem::path MessageKey(const std::filesystem::path& file) {
    return maildir::FolderOf(file) / maildir::UniqueName(file.filename().string());
}

}  // namespace

void MailboxContext::Rewritten(const std::filesystem::path& old, const std::filesystem::path& now) {
    latest_[MessageKey(old)] = now;
    first_[MessageKey(now)] = FirstName(old);
    Note("Rewrote " + old.lexically_relative(root_).string() + " as " + now.lexically_relative(root_).string());
}

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

}  // namespace mailstore
