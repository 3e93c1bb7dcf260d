#include "MessageWriter.h"

#include <fcntl.h>
#include <gmime/gmime.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "Payloads.h"

namespace sample {

namespace fs = std::filesystem;

namespace {

struct ObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using Owned = std::unique_ptr<T, ObjectUnref>;

constexpr char kHost[] = "velmora-sample";

// Builds the MIME parts of one message; every boundary is numbered in order.
class PartFactory {
public:
    explicit PartFactory(std::size_t index) : index_(index) {}

    Owned<GMimeMultipart> Multipart(const char* subtype) {
        Owned<GMimeMultipart> multipart(g_mime_multipart_new_with_subtype(subtype));
        const std::string boundary = "=-velmora-" + std::to_string(index_) + "-" + std::to_string(++boundaries_);
        g_mime_multipart_set_boundary(multipart.get(), boundary.c_str());
        return multipart;
    }

    static Owned<GMimeTextPart> Text(const char* subtype, const std::string& text) {
        Owned<GMimeTextPart> part(g_mime_text_part_new_with_subtype(subtype));
        g_mime_text_part_set_text(part.get(), text.c_str());
        return part;
    }

    static Owned<GMimePart> Binary(std::string_view mediaType, const std::string& content, TransferEncoding encoding) {
        const auto slash = mediaType.find('/');
        const std::string type(mediaType.substr(0, slash));
        const std::string subtype(mediaType.substr(slash + 1));
        Owned<GMimePart> part(g_mime_part_new_with_type(type.c_str(), subtype.c_str()));
        Owned<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(content.data(), content.size()));
        Owned<GMimeDataWrapper> wrapper(
            g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
        g_mime_part_set_content(part.get(), wrapper.get());
        g_mime_part_set_content_encoding(part.get(), encoding == TransferEncoding::Base64
                                                         ? GMIME_CONTENT_ENCODING_BASE64
                                                         : GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
        return part;
    }

private:
    std::size_t index_;
    int boundaries_ = 0;
};

bool IsAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// A parameter in RFC 2231 form with the UTF-8 charset when it needs more than ASCII.
void SetUtf8Parameter(GMimeParamList* list, const char* name) {
    GMimeParam* param = g_mime_param_list_get_parameter(list, name);
    if (param == nullptr || IsAscii(g_mime_param_get_value(param))) return;
    g_mime_param_set_charset(param, "UTF-8");
    g_mime_param_set_encoding_method(param, GMIME_PARAM_ENCODING_METHOD_RFC2231);
}

void SetFileName(GMimePart* part, const std::string& name) {
    GMimeObject* object = GMIME_OBJECT(part);
    g_mime_part_set_filename(part, name.c_str());
    SetUtf8Parameter(g_mime_content_disposition_get_parameters(g_mime_object_get_content_disposition(object)),
                     "filename");
    SetUtf8Parameter(g_mime_content_type_get_parameters(g_mime_object_get_content_type(object)), "name");
}

std::string ContentIdOf(std::size_t index, std::size_t attachment) {
    return "part" + std::to_string(attachment) + "." + std::to_string(index) + "@sample.velmora.invalid";
}

std::string TextBody(const MessageSpec& message, std::uint64_t seed) {
    Random random(seed);
    return "Hello,\n\n" + FillerText(200 + random.Below(600), random) + "\n\nBest regards,\n" + message.fromName +
           "\n";
}

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\n': out += "<br>\n"; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string HtmlBody(const MessageSpec& message, const std::string& text, std::size_t index) {
    std::string html = "<html><head><meta charset=\"utf-8\"></head><body>\n<p>" + HtmlEscaped(text) + "</p>\n";
    for (std::size_t a = 0; a < message.attachments.size(); ++a) {
        if (message.attachments[a].inlineImage) {
            html += "<p><img src=\"cid:" + ContentIdOf(index, a) + "\" alt=\"" +
                    HtmlEscaped(message.attachments[a].name) + "\"></p>\n";
        }
    }
    return html + "</body></html>\n";
}

std::string Stamp(std::int64_t seconds) {
    GDateTime* utc = g_date_time_new_from_unix_utc(seconds);
    gchar* text = g_date_time_format(utc, "%Y%m%dT%H%M%SZ");
    std::string stamp(text);
    g_free(text);
    g_date_time_unref(utc);
    return stamp;
}

std::string Calendar(const MessageSpec& message, std::size_t index) {
    const std::string start = Stamp(message.arrival + 7 * 86400);
    const std::string end = Stamp(message.arrival + 7 * 86400 + 2 * 3600);
    const std::string uid = "UID:item-" + std::to_string(index) + "@sample.velmora.invalid\r\n";
    const std::string method = message.item == ItemStyle::MeetingRequest ? "REQUEST" : "PUBLISH";
    std::string body = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velmora//Sample//EN\r\nMETHOD:" + method + "\r\n";
    if (message.item == ItemStyle::Task) {
        body += "BEGIN:VTODO\r\n" + uid + "DTSTAMP:" + Stamp(message.arrival) + "\r\nDUE:" + end +
                "\r\nSUMMARY:" + message.subject + "\r\nSTATUS:NEEDS-ACTION\r\nEND:VTODO\r\n";
    } else {
        body += "BEGIN:VEVENT\r\n" + uid + "DTSTAMP:" + Stamp(message.arrival) + "\r\nDTSTART:" + start +
                "\r\nDTEND:" + end + "\r\nSUMMARY:" + message.subject + "\r\nORGANIZER;CN=" + message.fromName +
                ":mailto:" + message.fromAddress + "\r\n";
        if (message.item == ItemStyle::MeetingRequest) {
            body += "ATTENDEE;ROLE=REQ-PARTICIPANT;RSVP=TRUE:mailto:me@example.com\r\n";
        }
        body += "END:VEVENT\r\n";
    }
    return body + "END:VCALENDAR\r\n";
}

std::string Vcard(const MessageSpec& message) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + message.fromName + "\r\nN:Sample;Jordan;;;\r\nEMAIL:" +
           message.fromAddress + "\r\nTEL;TYPE=WORK:+1 555 0100\r\nEND:VCARD\r\n";
}

// The part that the reader shows: text, HTML or both, with the images it shows.
Owned<GMimeObject> BodyPart(const MessageSpec& message, std::size_t index, PartFactory& parts,
                            WriteTotals& totals) {
    const std::string text = TextBody(message, message.arrival ^ index);
    Owned<GMimeObject> shown;
    if (message.item == ItemStyle::Contact) {
        auto card = PartFactory::Text("vcard", Vcard(message));
        return Owned<GMimeObject>(GMIME_OBJECT(card.release()));
    }
    if (message.item != ItemStyle::Mail) {
        auto alternative = parts.Multipart("alternative");
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(PartFactory::Text("plain", text).get()));
        auto calendar = PartFactory::Text("calendar", Calendar(message, index));
        g_mime_object_set_content_type_parameter(GMIME_OBJECT(calendar.get()), "method",
                                                 message.item == ItemStyle::MeetingRequest ? "REQUEST" : "PUBLISH");
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(calendar.get()));
        return Owned<GMimeObject>(GMIME_OBJECT(alternative.release()));
    }
    if (message.body == BodyStyle::Text) {
        return Owned<GMimeObject>(GMIME_OBJECT(PartFactory::Text("plain", text).release()));
    }
    auto html = PartFactory::Text("html", HtmlBody(message, text, index));
    if (message.body == BodyStyle::Html) {
        shown.reset(GMIME_OBJECT(html.release()));
    } else {
        auto alternative = parts.Multipart("alternative");
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(PartFactory::Text("plain", text).get()));
        g_mime_multipart_add(alternative.get(), GMIME_OBJECT(html.get()));
        shown.reset(GMIME_OBJECT(alternative.release()));
    }

    bool hasImages = false;
    for (const auto& attachment : message.attachments) hasImages = hasImages || attachment.inlineImage;
    if (!hasImages) return shown;
    auto related = parts.Multipart("related");
    g_mime_multipart_add(related.get(), shown.get());
    for (std::size_t a = 0; a < message.attachments.size(); ++a) {
        const AttachmentSpec& image = message.attachments[a];
        if (!image.inlineImage) continue;
        auto part = PartFactory::Binary(MediaTypeOf(image.kind), MakeFile(image.kind, image.size, image.contentSeed),
                                        image.encoding);
        g_mime_object_set_disposition(GMIME_OBJECT(part.get()), GMIME_DISPOSITION_INLINE);
        SetFileName(part.get(), image.name);
        g_mime_part_set_content_id(part.get(), ContentIdOf(index, a).c_str());
        g_mime_multipart_add(related.get(), GMIME_OBJECT(part.get()));
        ++totals.attachments;
        totals.attachmentBytes += image.size;
    }
    return Owned<GMimeObject>(GMIME_OBJECT(related.release()));
}

Owned<GMimePart> AttachmentPart(const AttachmentSpec& attachment) {
    auto part = PartFactory::Binary(MediaTypeOf(attachment.kind),
                                    MakeFile(attachment.kind, attachment.size, attachment.contentSeed),
                                    attachment.encoding);
    g_mime_object_set_disposition(GMIME_OBJECT(part.get()), GMIME_DISPOSITION_ATTACHMENT);
    if (!attachment.name.empty()) SetFileName(part.get(), attachment.name);
    return part;
}

// A link part as the store writes one: the linked file's native path in "name".
Owned<GMimePart> LinkPart(const LinkSpec& link, const fs::path& linkRoot) {
    Owned<GMimePart> part(g_mime_part_new_with_type("message", "external-body"));
    GMimeObject* object = GMIME_OBJECT(part.get());
    g_mime_object_set_content_type_parameter(object, "access-type", "local-file");
    g_mime_object_set_content_type_parameter(object, "name", (linkRoot / link.relativePath).c_str());
    g_mime_object_set_disposition(object, GMIME_DISPOSITION_ATTACHMENT);
    g_mime_object_set_content_disposition_parameter(object, "filename", link.displayName.c_str());
    const std::string phantom = "Content-Type: " + std::string(MediaTypeOf(link.kind)) + "\n\n";
    Owned<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(phantom.data(), phantom.size()));
    Owned<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(part.get(), wrapper.get());
    g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_7BIT);
    return part;
}

Owned<GMimeMessage> BuildMessage(const MessageSpec& message, std::size_t index, const fs::path& linkRoot,
                                 WriteTotals& totals);

Owned<GMimeMessagePart> ForwardedPart(const MessageSpec& message, std::size_t index) {
    MessageSpec original = message;
    original.subject = "The original with its attachment";
    original.arrival -= 86400;
    original.forwardsMessage = false;
    original.attachments = {{"original attachment.docx", FileKind::Docx, 30000, 261, false, TransferEncoding::Base64}};
    WriteTotals inside;  // the store shows the forwarded message as one attachment
    auto inner = BuildMessage(original, index + 1000000, {}, inside);
    Owned<GMimeMessagePart> part(g_mime_message_part_new_with_message("rfc822", inner.get()));
    g_mime_object_set_disposition(GMIME_OBJECT(part.get()), GMIME_DISPOSITION_ATTACHMENT);
    g_mime_object_set_content_disposition_parameter(GMIME_OBJECT(part.get()), "filename", "Fwd original.eml");
    return part;
}

Owned<GMimeMessage> BuildMessage(const MessageSpec& message, std::size_t index, const fs::path& linkRoot,
                                 WriteTotals& totals) {
    PartFactory parts(index);
    Owned<GMimeMessage> mime(g_mime_message_new(TRUE));
    g_mime_message_add_mailbox(mime.get(), GMIME_ADDRESS_TYPE_FROM, message.fromName.c_str(),
                               message.fromAddress.c_str());
    g_mime_message_add_mailbox(mime.get(), GMIME_ADDRESS_TYPE_TO, "Me", "me@example.com");
    g_mime_message_set_subject(mime.get(), message.subject.c_str(), "utf-8");
    GDateTime* date = g_date_time_new_from_unix_utc(message.arrival);
    g_mime_message_set_date(mime.get(), date);
    g_date_time_unref(date);
    const std::string id = std::to_string(index) + "." + std::to_string(message.arrival) + "@sample.velmora.invalid";
    g_mime_message_set_message_id(mime.get(), id.c_str());

    Owned<GMimeObject> body = BodyPart(message, index, parts, totals);
    bool hasFiles = message.forwardsMessage || !message.links.empty();
    for (const auto& attachment : message.attachments) hasFiles = hasFiles || !attachment.inlineImage;
    if (!hasFiles) {
        g_mime_message_set_mime_part(mime.get(), body.get());
        return mime;
    }
    auto mixed = parts.Multipart("mixed");
    g_mime_multipart_add(mixed.get(), body.get());
    for (const auto& attachment : message.attachments) {
        if (attachment.inlineImage) continue;
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(AttachmentPart(attachment).get()));
        ++totals.attachments;
        totals.attachmentBytes += attachment.size;
    }
    for (const auto& link : message.links) {
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(LinkPart(link, linkRoot).get()));
        ++totals.links;
    }
    if (message.forwardsMessage) {
        g_mime_multipart_add(mixed.get(), GMIME_OBJECT(ForwardedPart(message, index).get()));
    }
    g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(mixed.get()));
    return mime;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

void SetModificationTime(const fs::path& file, std::int64_t seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    if (utimensat(AT_FDCWD, file.c_str(), times, 0) != 0) {
        throw std::runtime_error("cannot set the time of " + file.string());
    }
}

}  // namespace

MailboxWriter::MailboxWriter(fs::path mailbox, fs::path linkRoot)
    : mailbox_(std::move(mailbox)), linkRoot_(std::move(linkRoot)) {
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

void MailboxWriter::CreateFolders() {
    std::vector<std::string> folders = SampleFolders();
    folders.insert(folders.begin(), "");
    for (const auto& folder : folders) {
        for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(mailbox_ / folder / sub);
    }
}

void MailboxWriter::Write(const MessageSpec& message, std::size_t index) {
    for (const auto& link : message.links) {
        if (link.fileExists) {
            const fs::path file = linkRoot_ / link.relativePath;
            WriteBytes(file, MakeFile(link.kind, link.size, link.contentSeed));
            SetModificationTime(file, message.arrival);
        }
    }
    auto mime = BuildMessage(message, index, linkRoot_, totals_);

    const std::string unique = std::to_string(message.arrival) + ".M" + std::to_string(index) + "P4242." + kHost;
    const fs::path folder = mailbox_ / message.folder;
    const fs::path temporary = folder / "tmp" / unique;
    const fs::path final = message.seen ? folder / "cur" / (unique + ":2,S") : folder / "new" / unique;
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + temporary.string());
    Owned<GMimeStream> stream(g_mime_stream_fs_new(fd));
    if (g_mime_object_write_to_stream(GMIME_OBJECT(mime.get()), nullptr, stream.get()) < 0 ||
        g_mime_stream_flush(stream.get()) != 0) {
        throw std::runtime_error("cannot write " + temporary.string());
    }
    stream.reset();
    SetModificationTime(temporary, message.arrival);
    fs::rename(temporary, final);
    ++totals_.messages;
}

}  // namespace sample
