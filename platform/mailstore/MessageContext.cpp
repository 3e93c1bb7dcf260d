#include "mailstore/MessageContext.h"

#include <iterator>
#include <utility>

namespace mailstore {

void MessageContext::Warn(std::string_view name, std::string_view reason) {
    warnings_.push_back("Skipping " + std::string(name) + ": " + std::string(reason));
}

void MessageContext::LeaveAsItIs(const std::u16string& identity, std::string_view name, std::string_view reason) {
    if (leftAlone_.insert(identity).second) {
        warnings_.push_back("Leaving " + std::string(name) + " as it is: " + std::string(reason));
    }
}

void MessageContext::Warning(std::string line) { warnings_.push_back(std::move(line)); }

std::vector<std::string> MessageContext::TakeWarnings() { return std::exchange(warnings_, {}); }

void MessageContext::Note(std::string line) { notes_.push_back(std::move(line)); }

std::vector<std::string> MessageContext::TakeNotes() { return std::exchange(notes_, {}); }

void MessageContext::Parsed(ParsedMessageHolder& holder) {
    parsed_.remove(&holder);
    parsed_.push_front(&holder);
    for (auto it = std::prev(parsed_.end()); parsed_.size() > kMaxParsedMessages && it != parsed_.begin();) {
        auto candidate = it--;
        if ((*candidate)->ReleaseParsedMessage()) parsed_.erase(candidate);
    }
}

void MessageContext::Forget(ParsedMessageHolder& holder) { parsed_.remove(&holder); }

}  // namespace mailstore
