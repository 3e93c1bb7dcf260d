#include "mailstore/MaildirMessage.h"

#include <sys/stat.h>

#include <utility>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/Maildir.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MessageRewrite.h"

namespace mailstore {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDeletedMeanwhile = "another program deleted it before its changes were saved";

}  // namespace

MaildirMessage::MaildirMessage(std::shared_ptr<MailboxContext> context, const fs::path& file)
    : context_(std::move(context)), file_(context_->Latest(file)) {
    const fs::path first = context_->FirstName(file_);
    const fs::path directory = first.parent_path().lexically_relative(context_->Root());
    identity_ = velmora::FromUtf8(directory.generic_string() + "/" + first.filename().string());
}

std::string MaildirMessage::Name() {
    Settle();
    return file_.string();
}

fs::path MaildirMessage::CurrentFile() {
    Settle();
    if (auto current = maildir::Locate(file_)) file_ = *current;
    return file_;
}

GObjectPtr<GMimeMessage> MaildirMessage::Read() { return ReadMessageFile(CurrentFile()); }

std::int64_t MaildirMessage::ArrivalTime() {
    if (const auto delivered = maildir::DeliveryTime(file_.filename().string())) return *delivered;
    struct stat info {};
    if (::stat(CurrentFile().c_str(), &info) != 0) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                              u"The message " + velmora::FromUtf8(file_.string()) + u" is no longer in its folder.");
    }
    return info.st_mtim.tv_sec;
}

void MaildirMessage::Write(GMimeMessage* message, const std::function<void(GMimeMessage* written)>& check) {
    const fs::path file = CurrentFile();
    const auto readBack = [&](const fs::path& written) {
        GObjectPtr<GMimeMessage> readMessage;
        try {
            readMessage = ReadMessageFile(written);
        } catch (const UnreadableMessage& error) {
            throw host::HostError(E_FAIL, u"The message written for " + velmora::FromUtf8(file.string()) +
                                              u" cannot be read back: " + velmora::FromUtf8(error.what()));
        }
        check(readMessage.get());
    };
    try {
        if (context_->Held().Holding()) {
            Hold(PreparedRewrite(file, message, readBack));
            return;
        }
        const RewrittenFile rewritten = RewriteMessageFile(file, message, readBack);
        context_->Rewritten(rewritten.removed, rewritten.written);
        file_ = rewritten.written;
    } catch (const host::HostError& error) {
        if (error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
            context_->Warn(file.string(), kDeletedMeanwhile);
        }
        throw;
    }
}

void MaildirMessage::Hold(PreparedRewrite rewrite) {
    auto held = std::make_shared<HeldWrite>();
    std::shared_ptr<MailboxContext> context = context_;
    const std::string name = file_.string();
    context_->Held().Add(
        std::move(rewrite),
        [context, held](const RewrittenFile& rewritten) {
            context->Rewritten(rewritten.removed, rewritten.written);
            held->written = rewritten.written;
            held->committed = true;
        },
        [context, held, name](const host::HostError&) {
            context->Warn(name, kDeletedMeanwhile);
            held->committed = true;
        });
    held_ = std::move(held);
}

void MaildirMessage::Settle() {
    if (!held_ || !held_->committed) return;
    if (held_->written) file_ = *held_->written;
    held_.reset();
}

}  // namespace mailstore
