#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mailstore/HeldSaves.h"

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
// items read or left alone, the notes about rewritten messages, and the
// parsed messages kept open. A
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

    // Records that the message of file old is now in file now: a note
    // ("Rewrote <old> as <new>", both below the root), where item objects
    // made from a folder listing taken before find it, and which name it had
    // first.
    void Rewritten(const std::filesystem::path& old, const std::filesystem::path& now);
    std::vector<std::string> TakeNotes();
    // The file that holds the message of file now, as far as this mailbox
    // rewrote it (file itself when it did not).
    std::filesystem::path Latest(const std::filesystem::path& file) const;
    // The message's folder and unique name ("<folder>/<unique>") before this
    // mailbox first rewrote it: what identifies it while the mailbox is open.
    std::filesystem::path FirstName(const std::filesystem::path& file) const;

    // The holder has (again) a parsed message and was just used; holders
    // used least recently release theirs beyond the limit.
    void Parsed(ParsedMessageHolder& holder);
    // The holder goes.
    void Forget(ParsedMessageHolder& holder);

    // The rewrites held back while a batch of saves runs.
    HeldSaves& Held() { return held_; }

private:
    std::filesystem::path root_;
    std::u16string storeName_;
    bool includeSigned_;
    std::vector<std::string> warnings_;
    std::set<std::filesystem::path> leftAlone_;
    std::vector<std::string> notes_;
    // Both by folder and unique name: the latest file of a message, and the
    // first name of a message rewritten.
    std::map<std::filesystem::path, std::filesystem::path> latest_;
    std::map<std::filesystem::path, std::filesystem::path> first_;
    std::list<ParsedMessageHolder*> parsed_;  // most recently used first
    HeldSaves held_;
};

}  // namespace mailstore
