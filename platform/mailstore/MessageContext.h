#pragma once

#include <cstddef>
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

// What the item objects of one store share, whatever holds their messages:
// whether items offer the attachments of signed content, the warnings about
// items read or left alone, the notes about rewritten messages, and the
// parsed messages kept open. A parsed message keeps its source open (a file,
// or a message fetched into memory), so however many item objects a caller
// holds (a selection of thousands), at most a bounded number of them keep
// theirs; the others parse again when they are used.
class MessageContext {
public:
    static constexpr std::size_t kMaxParsedMessages = 64;

    explicit MessageContext(bool includeSigned) : includeSigned_(includeSigned) {}
    virtual ~MessageContext() = default;
    MessageContext(const MessageContext&) = delete;
    MessageContext& operator=(const MessageContext&) = delete;

    bool IncludeSigned() const { return includeSigned_; }

    // Records "Skipping <name>: <reason>".
    void Warn(std::string_view name, std::string_view reason);
    // Records "Leaving <name> as it is: <reason>", once per message: identity
    // is what names the message whatever a rewrite made of it.
    void LeaveAsItIs(const std::u16string& identity, std::string_view name, std::string_view reason);
    // Records a warning about the store itself, as it is.
    void Warning(std::string line);
    std::vector<std::string> TakeWarnings();

    // Records a note about a rewritten message.
    void Note(std::string line);
    std::vector<std::string> TakeNotes();

    // The holder has (again) a parsed message and was just used; holders
    // used least recently release theirs beyond the limit.
    void Parsed(ParsedMessageHolder& holder);
    // The holder goes.
    void Forget(ParsedMessageHolder& holder);

private:
    bool includeSigned_;
    std::vector<std::string> warnings_;
    std::set<std::u16string> leftAlone_;
    std::vector<std::string> notes_;
    std::list<ParsedMessageHolder*> parsed_;  // most recently used first
};

}  // namespace mailstore
