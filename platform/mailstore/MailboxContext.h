#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace mailstore {

// An item that can drop its parsed message and parse it again when needed.
class ParsedMessageHolder {
public:
    // Drops the parsed message; false when it must keep it (it holds
    // unsaved changes).
    virtual bool ReleaseParsedMessage() = 0;

protected:
    ~ParsedMessageHolder() = default;
};

// What every object of one mailbox shares: the root, the store's name,
// whether items offer the attachments of signed content, the warnings about
// items read or left alone, and the parsed messages kept open. A
// parsed message keeps its file open, so however many item objects a caller
// holds (a selection of thousands), at most a bounded number of them keep
// theirs; the others parse again when they are used.
class MailboxContext {
public:
    static constexpr std::size_t kMaxParsedMessages = 64;

    MailboxContext(std::filesystem::path root, std::u16string storeName, bool includeSigned);

    const std::filesystem::path& Root() const { return root_; }
    const std::u16string& StoreName() const { return storeName_; }
    bool IncludeSigned() const { return includeSigned_; }

    // Records "Skipping <file>: <reason>".
    void Warn(const std::filesystem::path& file, std::string_view reason);
    // Records "Leaving <file> as it is: <reason>", once per file.
    void LeaveAsItIs(const std::filesystem::path& file, std::string_view reason);
    std::vector<std::string> TakeWarnings();

    // The holder has (again) a parsed message and was just used; holders
    // used least recently release theirs beyond the limit.
    void Parsed(ParsedMessageHolder& holder);
    // The holder goes.
    void Forget(ParsedMessageHolder& holder);

private:
    std::filesystem::path root_;
    std::u16string storeName_;
    bool includeSigned_;
    std::vector<std::string> warnings_;
    std::set<std::filesystem::path> leftAlone_;
    std::list<ParsedMessageHolder*> parsed_;  // most recently used first
};

}  // namespace mailstore
