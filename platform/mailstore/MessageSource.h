#pragma once

#include "mailstore/Gmime.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "mailstore/GObjectPtr.h"

namespace mailstore {

// What a store knows of a message without reading it: its parts with the
// header fields that say what they are, but no content, and the decoded
// size of each leaf part as far as the store can tell.
struct MessageOutline {
    GObjectPtr<GMimeMessage> message;
    std::map<const GMimeObject*, std::uint64_t> decodedSizes;
};

// Where an item object's message lives: a file of a Maildir folder, a
// message on a mail server. It reads the message and writes a changed one;
// the item object does everything in between.
class MessageSource {
public:
    virtual ~MessageSource() = default;

    // How warnings and errors name the message.
    virtual std::string Name() = 0;
    // What identifies the message while its store is open (the item's EntryID).
    virtual std::u16string Identity() = 0;
    // The whole message. Throws UnreadableMessage (MessageGone when it is no
    // longer there), or host::HostError when the store cannot be reached.
    virtual GObjectPtr<GMimeMessage> Read() = 0;
    // The outline, when the store has one without reading the message.
    virtual std::optional<MessageOutline> ReadOutline() { return std::nullopt; }
    // When the message reached the store, in seconds since 1970 (UTC);
    // host::HostError with ERROR_FILE_NOT_FOUND when it is no longer there.
    virtual std::int64_t ArrivalTime() = 0;
    // Replaces the message by message. check sees what was written, read
    // back, before the old message goes; what it throws keeps the old one.
    // A message that another program removed or changed meanwhile is left
    // as that program left it: a warning with the store, and host::HostError
    // with ERROR_FILE_NOT_FOUND.
    virtual void Write(GMimeMessage* message, const std::function<void(GMimeMessage* written)>& check) = 0;
    // Whether a written message still waits for its store to put it in
    // place (a batch of saves held back); until then the item keeps its
    // message, since the store still holds the old one.
    virtual bool Pending() const { return false; }
};

}  // namespace mailstore
