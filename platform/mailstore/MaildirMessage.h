#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "mailstore/MailboxContext.h"
#include "mailstore/MessageRewrite.h"
#include "mailstore/MessageSource.h"

namespace mailstore {

// A message file of a Maildir folder as an item's source. It follows the
// message when another program renames the file (flags) and when this
// mailbox rewrites it (see RewriteMessageFile); its identity is the folder's
// path below the root and the file's unique name before the mailbox first
// rewrote it.
class MaildirMessage final : public MessageSource {
public:
    // file may be a name the mailbox rewrote since: the source is the
    // message's latest file.
    MaildirMessage(std::shared_ptr<MailboxContext> context, const std::filesystem::path& file);

    std::string Name() override;
    std::u16string Identity() override { return identity_; }
    // The file parsed; its parts stay sub-streams of the file.
    GObjectPtr<GMimeMessage> Read() override;
    // The delivery time its name gives, else the file's modification time
    // (which a rewrite keeps).
    std::int64_t ArrivalTime() override;
    // A new message file in place of the old one (see RewriteMessageFile),
    // with a note "Rewrote <old> as <new>".
    // While the mailbox holds its saves back, the new file waits for the
    // batch's commit.
    void Write(GMimeMessage* message, const std::function<void(GMimeMessage* written)>& check) override;
    bool Pending() const override { return held_ && !held_->committed; }

    // The message file as it is named now.
    std::filesystem::path CurrentFile();

private:
    // A held save; the batch's commit fills it in, whether or not the
    // source is still there then.
    struct HeldWrite {
        bool committed = false;
        std::optional<std::filesystem::path> written;  // none when the message went meanwhile
    };
    void Hold(PreparedRewrite rewrite);
    // Takes in where a committed held save put the message.
    void Settle();

    std::shared_ptr<MailboxContext> context_;
    std::shared_ptr<HeldWrite> held_;
    std::filesystem::path file_;
    std::u16string identity_;
};

}  // namespace mailstore
