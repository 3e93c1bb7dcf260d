#include "MailboxFixture.h"

#include "mailstore/MimeRuntime.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mailstore_test {

namespace {

constexpr std::string_view kBoundary = "=-=BOUNDARY=-=";

}  // namespace

std::string Message(std::string_view headers, std::string_view body) {
    return "From: Ana Sender <ana@example.org>\nTo: bo@example.org\nDate: Tue, 14 Nov 2023 10:00:00 +0000\n"
           "MIME-Version: 1.0\n" +
           std::string(headers) + "\n" + std::string(body);
}

std::string Mixed(std::string_view subject, const std::vector<std::string>& parts) {
    std::string body = "This is a multi-part message in MIME format.\n";
    for (const auto& part : parts) body += "--" + std::string(kBoundary) + "\n" + part + "\n";
    body += "--" + std::string(kBoundary) + "--\n";
    return Message("Subject: " + std::string(subject) + "\nContent-Type: multipart/mixed; boundary=\"" +
                       std::string(kBoundary) + "\"\n",
                   body);
}

std::string TextPart(std::string_view text) {
    return "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n" + std::string(text);
}

std::string HtmlPart(std::string_view html) {
    return "Content-Type: text/html; charset=utf-8\nContent-Transfer-Encoding: 8bit\n\n" + std::string(html);
}

std::string Base64(std::string_view bytes) {
    gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    std::string lines;
    for (std::string_view text(encoded); !text.empty(); text.remove_prefix(std::min<std::size_t>(76, text.size()))) {
        lines += std::string(text.substr(0, 76)) + "\n";
    }
    g_free(encoded);
    return lines;
}

std::string Base64Part(std::string_view contentType, std::string_view bytes, std::string_view extraHeaders) {
    return "Content-Type: " + std::string(contentType) + "\n" + std::string(extraHeaders) +
           "Content-Transfer-Encoding: base64\n\n" + Base64(bytes);
}

std::string BinaryContent(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 256) % 256);
    return bytes;
}

MailboxTest::MailboxTest() : root(platform.Root() / "mail") { Folder(""); }

fs::path MailboxTest::Folder(std::string_view relative) {
    const fs::path dir = relative.empty() ? root : root / relative;
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(dir / sub);
    return dir;
}

fs::path MailboxTest::Deliver(std::string_view folder, const std::string& fileName, std::string_view text,
                              std::string_view box) {
    const fs::path file = Folder(folder) / box / fileName;
    std::ofstream out(file, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
    return file;
}

mailstore::Mailbox& MailboxTest::Box() {
    if (!box_) box_ = mailstore::Mailbox::Open(root, boxOptions);
    return *box_;
}

fs::path MailboxTest::Current(const fs::path& file) {
    constexpr std::string_view kRewrote = "Rewrote ";
    constexpr std::string_view kAs = " as ";
    for (const auto& note : Box().TakeNotes()) {
        const auto as = note.find(kAs);
        if (note.rfind(kRewrote, 0) != 0 || as == std::string::npos) throw std::runtime_error("odd note: " + note);
        rewritten_[root / note.substr(kRewrote.size(), as - kRewrote.size())] = root / note.substr(as + kAs.size());
    }
    fs::path current = file;
    for (auto next = rewritten_.find(current); next != rewritten_.end(); next = rewritten_.find(current)) {
        current = next->second;
    }
    return current;
}

com::ComPtr<Outlook::_MailItem> MailboxTest::Mail(const fs::path& file) {
    auto mail = Open(file).As<Outlook::_MailItem>();
    if (!mail) throw std::runtime_error("not a mail item: " + file.string());
    return mail;
}

std::string MailboxTest::ReadNative(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mailstore::GObjectPtr<GMimeMessage> MailboxTest::Reparse(const fs::path& file) {
    mailstore::EnsureMimeRuntime();
    const std::string text = ReadNative(file);
    auto stream = mailstore::GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    auto parser = mailstore::GObjectPtr<GMimeParser>::Adopt(g_mime_parser_new_with_stream(stream.get()));
    return mailstore::GObjectPtr<GMimeMessage>::Adopt(g_mime_parser_construct_message(parser.get(), nullptr));
}

std::vector<std::string> MailboxTest::FilesBelow(const fs::path& dir) {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), dir).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

namespace {

void Describe(GMimeObject* object, const std::string& place, std::vector<std::string>& parts) {
    if (GMIME_IS_MULTIPART(object)) {
        char* type = g_mime_content_type_get_mime_type(g_mime_object_get_content_type(object));
        parts.push_back(place + " " + type);
        g_free(type);
        for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(object)); ++i) {
            Describe(g_mime_multipart_get_part(GMIME_MULTIPART(object), i), place + "." + std::to_string(i), parts);
        }
        return;
    }
    std::string part = place;
    GMimeHeaderList* headers = g_mime_object_get_header_list(object);
    for (int i = 0; i < g_mime_header_list_get_count(headers); ++i) {
        GMimeHeader* header = g_mime_header_list_get_header_at(headers, i);
        part += "\n" + std::string(g_mime_header_get_raw_name(header)) + ":" + g_mime_header_get_raw_value(header);
    }
    auto content = mailstore::GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
    if (GMIME_IS_MESSAGE_PART(object)) {
        g_mime_object_write_to_stream(GMIME_OBJECT(g_mime_message_part_get_message(GMIME_MESSAGE_PART(object))),
                                      nullptr, content.get());
    } else {
        g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(GMIME_PART(object)), content.get());
    }
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(content.get()));
    parts.push_back(part + "\n" + std::string(reinterpret_cast<const char*>(bytes->data), bytes->len));
}

}  // namespace

std::vector<std::string> PartTree(GMimeMessage* message) {
    std::vector<std::string> parts;
    Describe(g_mime_message_get_mime_part(message), "top", parts);
    return parts;
}


}  // namespace mailstore_test
