#include "mailstore/Draft.h"

#include "mailstore/Gmime.h"

#include <utility>

#include "base/Utf16.h"
#include "mailstore/BodyText.h"
#include "mailstore/GObjectPtr.h"
#include "mailstore/ItemObject.h"
#include "mailstore/MaildirMessage.h"
#include "mailstore/DraftMessage.h"

namespace mailstore {

namespace {

std::string Utf8(const std::u16string& text) { return velmora::ToUtf8(text); }

std::u16string Decoded(const char* text) { return text == nullptr ? std::u16string() : velmora::FromUtf8(text); }

std::u16string Addresses(GMimeMessage* message, GMimeAddressType type) {
    InternetAddressList* list = g_mime_message_get_addresses(message, type);
    if (list == nullptr) return {};
    char* text = internet_address_list_to_string(list, nullptr, FALSE);
    std::u16string result = Decoded(text);
    g_free(text);
    return result;
}

void SetAddresses(GMimeMessage* message, GMimeAddressType type, const std::u16string& addresses) {
    InternetAddressList* list = g_mime_message_get_addresses(message, type);
    internet_address_list_clear(list);
    if (InternetAddressList* parsed = internet_address_list_parse(nullptr, Utf8(addresses).c_str())) {
        internet_address_list_append(list, parsed);
        g_object_unref(parsed);
    }
}

bool StartsWithForward(const std::u16string& subject) {
    return subject.size() >= 3 && velmora::SameText(subject.substr(0, 3), u"FW:");
}

}  // namespace

DraftStart ForwardOf(const std::filesystem::path& original) {
    const GObjectPtr<GMimeMessage> message = ReadMessageOrThrow(original);
    DraftStart start;
    const std::u16string subject = Decoded(g_mime_message_get_subject(message.get()));
    start.Subject = StartsWithForward(subject) ? subject : u"FW: " + subject;
    start.Body = u"\r\n\r\n-----Original Message-----\r\nFrom: " +
                 Addresses(message.get(), GMIME_ADDRESS_TYPE_FROM) + u"\r\nSent: " +
                 Decoded(g_mime_object_get_header(GMIME_OBJECT(message.get()), "Date")) + u"\r\nTo: " +
                 Addresses(message.get(), GMIME_ADDRESS_TYPE_TO) + u"\r\nSubject: " + subject + u"\r\n\r\n" +
                 ReadBody(message.get());
    start.Forwarded = original;
    return start;
}

Draft::Draft(com::ComPtr<ItemObject> item, MaildirMessage& file) : item_(std::move(item)), file_(file) {}

Draft::~Draft() = default;

std::u16string Draft::To() { return Addresses(item_->Message(), GMIME_ADDRESS_TYPE_TO); }

std::u16string Draft::Cc() { return Addresses(item_->Message(), GMIME_ADDRESS_TYPE_CC); }

std::u16string Draft::Subject() { return item_->Subject(); }

std::u16string Draft::Body() { return item_->Body(); }

void Draft::SetTo(const std::u16string& addresses) {
    if (addresses == To()) return;
    SetAddresses(item_->Message(), GMIME_ADDRESS_TYPE_TO, addresses);
    item_->Changed();
}

void Draft::SetCc(const std::u16string& addresses) {
    if (addresses == Cc()) return;
    SetAddresses(item_->Message(), GMIME_ADDRESS_TYPE_CC, addresses);
    item_->Changed();
}

void Draft::SetSubject(const std::u16string& subject) {
    if (subject == Subject()) return;
    g_mime_message_set_subject(item_->Message(), Utf8(subject).c_str(), "utf-8");
    item_->Changed();
}

void Draft::SetBody(const std::u16string& body) { item_->SetBody(body); }

com::ComPtr<Outlook::Attachments> Draft::Attachments() { return item_->Attachments(); }

void Draft::Save() {
    GDateTime* now = g_date_time_new_now_local();
    g_mime_message_set_date(item_->Message(), now);
    g_date_time_unref(now);
    item_->Changed();
    item_->Save();
}

void Draft::Discard() {
    std::error_code ignored;
    std::filesystem::remove(file_.CurrentFile(), ignored);
}

com::ComPtr<IUnknown> Draft::Item() { return com::ComPtr<IUnknown>(item_->Identity()); }

std::filesystem::path Draft::File() { return file_.CurrentFile(); }

}  // namespace mailstore
