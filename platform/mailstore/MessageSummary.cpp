#include "mailstore/MessageSummary.h"

#include "mailstore/Gmime.h"

#include <sys/stat.h>

#include "base/Utf16.h"
#include "mailstore/Maildir.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeRuntime.h"
#include "mailstore/MimeTree.h"

namespace mailstore {

namespace {

std::u16string Decoded(const char* text) { return text == nullptr ? std::u16string() : velmora::FromUtf8(text); }

std::u16string Senders(GMimeMessage* message) {
    InternetAddressList* list = g_mime_message_get_from(message);
    if (list == nullptr) return {};
    char* text = internet_address_list_to_string(list, nullptr, FALSE);
    std::u16string result = Decoded(text);
    g_free(text);
    return result;
}

}  // namespace

MessageSummary Summarize(const std::filesystem::path& file) {
    EnsureMimeRuntime();
    MessageSummary summary;
    summary.File = file;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        summary.Size = static_cast<std::uint64_t>(info.st_size);
        summary.Date = info.st_mtim.tv_sec;
    }
    if (const auto delivered = maildir::DeliveryTime(file.filename().string())) summary.Date = *delivered;
    try {
        const GObjectPtr<GMimeMessage> message = ReadMessageFile(file);
        summary.Subject = Decoded(g_mime_message_get_subject(message.get()));
        summary.From = Senders(message.get());
        summary.MessageId = Decoded(g_mime_message_get_message_id(message.get()));
        if (GDateTime* date = g_mime_message_get_date(message.get())) summary.Date = g_date_time_to_unix(date);
        summary.Attachments = static_cast<int>(AttachmentParts(message.get()).size());
    } catch (const UnreadableMessage& error) {
        summary.Problem = velmora::FromUtf8(error.what());
    }
    return summary;
}

std::vector<MessageSummary> SummarizeFolder(const std::filesystem::path& folder) {
    std::vector<MessageSummary> summaries;
    for (const auto& file : maildir::MessageFiles(folder)) summaries.push_back(Summarize(file));
    return summaries;
}

}  // namespace mailstore
