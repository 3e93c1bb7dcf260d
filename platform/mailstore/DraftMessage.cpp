#include "mailstore/DraftMessage.h"

#include <unistd.h>

#include <array>
#include <string>

#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"

namespace mailstore {

namespace {

void AddAddresses(GMimeMessage* message, GMimeAddressType type, std::u16string_view addresses) {
    if (InternetAddressList* parsed = internet_address_list_parse(nullptr, velmora::ToUtf8(addresses).c_str())) {
        internet_address_list_append(g_mime_message_get_addresses(message, type), parsed);
        g_object_unref(parsed);
    }
}

// Maildir files end lines in LF alone.
std::string WithLineFeeds(std::u16string_view text) {
    std::string utf8 = velmora::ToUtf8(text);
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        result += utf8[i];
    }
    return result;
}

std::string HostName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    return name.data();
}

GObjectPtr<GMimeObject> TextBody(std::u16string_view body) {
    auto text = GObjectPtr<GMimeTextPart>::Adopt(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(text.get(), WithLineFeeds(body).c_str());
    GMimePart* part = GMIME_PART(text.get());
    g_mime_part_set_content_encoding(part,
                                     g_mime_part_get_best_content_encoding(part, GMIME_ENCODING_CONSTRAINT_7BIT));
    return GObjectPtr<GMimeObject>::Share(GMIME_OBJECT(text.get()));
}

}  // namespace

GObjectPtr<GMimeMessage> ComposeMessage(const DraftStart& start, std::u16string_view from) {
    auto message = GObjectPtr<GMimeMessage>::Adopt(g_mime_message_new(TRUE));
    AddAddresses(message.get(), GMIME_ADDRESS_TYPE_FROM, from);
    AddAddresses(message.get(), GMIME_ADDRESS_TYPE_TO, start.To);
    AddAddresses(message.get(), GMIME_ADDRESS_TYPE_CC, start.Cc);
    g_mime_message_set_subject(message.get(), velmora::ToUtf8(start.Subject).c_str(), "utf-8");
    GDateTime* now = g_date_time_new_now_local();
    g_mime_message_set_date(message.get(), now);
    g_date_time_unref(now);
    char* id = g_mime_utils_generate_message_id(HostName().c_str());
    g_mime_message_set_message_id(message.get(), id);
    g_free(id);

    GObjectPtr<GMimeObject> body = TextBody(start.Body);
    GObjectPtr<GMimeMessage> forwarded;
    if (start.Forwarded) forwarded = ReadMessageOrThrow(*start.Forwarded);
    const auto carried = forwarded ? AttachmentParts(forwarded.get()) : std::vector<GMimeObject*>();
    if (carried.empty()) {
        g_mime_message_set_mime_part(message.get(), body.get());
        return message;
    }
    // The parts stay sub-streams of the forwarded file, which is open while they live.
    auto mixed = GObjectPtr<GMimeMultipart>::Adopt(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), body.get());
    for (GMimeObject* part : carried) g_mime_multipart_add(mixed.get(), part);
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(mixed.get()));
    return message;
}

GObjectPtr<GMimeMessage> ReadMessageOrThrow(const std::filesystem::path& file) {
    try {
        return ReadMessageFile(file);
    } catch (const UnreadableMessage& error) {
        throw host::HostError(E_FAIL, u"The message " + velmora::FromUtf8(file.string()) + u" cannot be read: " +
                                          velmora::FromUtf8(error.what()));
    }
}

}  // namespace mailstore
