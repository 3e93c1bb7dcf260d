// Outlines made from what a server says of a message's structure: every
// text in it comes from the message's sender, so none may reach beyond its
// own field, and the outline must name and number the attachments as the
// whole message will.
#include "mailstore/Gmime.h"
#include <gtest/gtest.h>

#include <string>

#include "base/Utf16.h"
#include "imapstore/MessageOutlines.h"
#include "mailstore/AttachmentObjects.h"
#include "mailstore/MessageFile.h"
#include "mailstore/MimeTree.h"

namespace {

using imapstore::PartShape;
using mailstore::GObjectPtr;

PartShape Leaf(std::string type, std::string subtype, std::string encoding, std::uint64_t size) {
    PartShape part;
    part.type = std::move(type);
    part.subtype = std::move(subtype);
    part.encoding = std::move(encoding);
    part.size = size;
    return part;
}

PartShape Attachment(std::string name, std::uint64_t size = 1000) {
    PartShape part = Leaf("application", "pdf", "base64", size);
    part.disposition = "attachment";
    part.dispositionParameters = {{"filename", std::move(name)}};
    return part;
}

PartShape Mixed(std::vector<PartShape> parts) {
    PartShape top;
    top.type = "multipart";
    top.subtype = "mixed";
    top.parameters = {{"boundary", "their-boundary"}};
    top.parts = std::move(parts);
    return top;
}

std::vector<std::u16string> AttachmentNames(GMimeMessage* message) {
    std::vector<std::u16string> names;
    for (GMimeObject* part : mailstore::AttachmentParts(message)) names.push_back(mailstore::AttachmentFileName(part));
    return names;
}

// The whole message GMime reads from text, as the store reads a fetched one.
GObjectPtr<GMimeMessage> Whole(const std::string& text) {
    auto stream = GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new_with_buffer(text.data(), text.size()));
    return mailstore::ReadMessageStream(std::move(stream));
}

TEST(Outlines, HostileTextsStayInTheirFieldsAndAddNoPart) {
    const std::string injected = "a.pdf\"\r\nContent-Type: text/html\r\n\r\n--their-boundary\r\nX: \\\"";
    PartShape evil = Attachment(injected);
    evil.id = "<id>\r\n\r\n--=-outline-1-=--\r\nX";
    evil.parameters = {{"name\r\nX-Injected", "v"}, {"na=me", "v"}, {"charset", "x\"; boundary=\"b"}};
    PartShape notAType = Leaf("text/html; x", "plain\r\n", "base64\r\nX: y", 10);
    notAType.disposition = "attachment\r\nX";
    const auto outline = imapstore::MakeOutline(Mixed({Leaf("text", "plain", "7bit", 5), evil, notAType}),
                                                "Subject: hello\r\n\r\nX-Body: after the blank line\r\n");
    GMimeMessage* message = outline.message.get();
    GMimeObject* top = g_mime_message_get_mime_part(message);
    ASSERT_TRUE(GMIME_IS_MULTIPART(top));
    ASSERT_EQ(g_mime_multipart_get_count(GMIME_MULTIPART(top)), 3);
    EXPECT_EQ(AttachmentNames(message), std::vector<std::u16string>{
                                            u"a.pdf\"  Content-Type: text/html    --their-boundary  X: \\\""});
    GMimeObject* hostile = g_mime_multipart_get_part(GMIME_MULTIPART(top), 1);
    EXPECT_EQ(g_mime_object_get_header(hostile, "X-Injected"), nullptr);
    EXPECT_EQ(g_mime_object_get_header(hostile, "X"), nullptr);
    EXPECT_STREQ(g_mime_object_get_content_type_parameter(hostile, "charset"), "x\"; boundary=\"b");
    GMimeObject* odd = g_mime_multipart_get_part(GMIME_MULTIPART(top), 2);
    EXPECT_TRUE(mailstore::HasType(odd, "application", "octet-stream"));
    EXPECT_EQ(g_mime_object_get_content_disposition(odd), nullptr);
    EXPECT_EQ(g_mime_object_get_header(GMIME_OBJECT(message), "X-Body"), nullptr);
    EXPECT_STREQ(g_mime_message_get_subject(message), "hello");
    EXPECT_EQ(outline.decodedSizes.size(), 3u);
}

TEST(Outlines, NamesDecodeAsTheWholeMessagesNamesDo) {
    PartShape extended = Attachment("");
    extended.dispositionParameters = {{"filename*", "utf-8''%E2%82%AC%20report.pdf"}};
    PartShape continued = Attachment("");
    continued.dispositionParameters = {{"filename*0*", "utf-8''Gr%C3%BC"}, {"filename*1", "sse.txt"}};
    PartShape encoded = Leaf("image", "png", "base64", 400);
    encoded.parameters = {{"name", "=?utf-8?q?Bild_=C3=BC.png?="}};
    PartShape attached = Leaf("message", "rfc822", "7bit", 300);
    attached.disposition = "attachment";
    attached.subject = "=?iso-8859-1?q?Re:_=E4rger?=";
    const auto outline = imapstore::MakeOutline(Mixed({Leaf("text", "plain", "7bit", 5), extended, continued,
                                                       encoded, attached}),
                                                "Subject: =?utf-8?q?=C3=9Cber?=\r\n folded\r\n");
    const std::string whole =
        "Subject: =?utf-8?q?=C3=9Cber?=\n folded\nMIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=b\n\n"
        "--b\nContent-Type: text/plain\n\nhi\n"
        "--b\nContent-Type: application/pdf\nContent-Disposition: attachment; filename*=utf-8''%E2%82%AC%20report.pdf\n"
        "Content-Transfer-Encoding: base64\n\nJVBERg==\n"
        "--b\nContent-Type: application/pdf\nContent-Disposition: attachment; filename*0*=utf-8''Gr%C3%BC; "
        "filename*1=sse.txt\n\nx\n"
        "--b\nContent-Type: image/png; name=\"=?utf-8?q?Bild_=C3=BC.png?=\"\n\nx\n"
        "--b\nContent-Type: message/rfc822\nContent-Disposition: attachment\n\nSubject: =?iso-8859-1?q?Re:_=E4rger?="
        "\n\nbody\n--b--\n";
    const std::vector<std::u16string> expected = {u"\u20ac report.pdf", u"Gr\u00fcsse.txt", u"Bild \u00fc.png",
                                                  u"Re: \u00e4rger.eml"};
    EXPECT_EQ(AttachmentNames(outline.message.get()), expected);
    EXPECT_EQ(AttachmentNames(Whole(whole).get()), expected);
    EXPECT_EQ(velmora::FromUtf8(g_mime_message_get_subject(outline.message.get())), u"\u00dcber folded");
}

TEST(Outlines, NestedPartsKeepTheirPlacesAndSizes) {
    PartShape alternative;
    alternative.type = "multipart";
    alternative.subtype = "alternative";
    alternative.parts = {Leaf("text", "plain", "quoted-printable", 120), Leaf("text", "html", "7bit", 300)};
    PartShape related;
    related.type = "multipart";
    related.subtype = "related";
    PartShape image = Leaf("image", "png", "base64", 7800);
    image.id = "<logo@example.org>";
    related.parts = {alternative, image};
    const auto outline = imapstore::MakeOutline(Mixed({related, Attachment("a.pdf", 1404)}), "");
    GMimeObject* top = g_mime_message_get_mime_part(outline.message.get());
    GMimeObject* pdf = mailstore::PartAt(top, {1});
    GMimeObject* logo = mailstore::PartAt(top, {0, 1});
    ASSERT_NE(pdf, nullptr);
    ASSERT_NE(logo, nullptr);
    EXPECT_STREQ(g_mime_object_get_content_id(logo), "logo@example.org");
    EXPECT_EQ(outline.decodedSizes.at(pdf), 1026u);   // 1404 octets: 18 lines of 76 characters
    EXPECT_EQ(outline.decodedSizes.at(logo), 5700u);  // 7800 octets: 100 lines
    EXPECT_EQ(outline.decodedSizes.at(mailstore::PartAt(top, {0, 0, 0})), 120u);
    EXPECT_EQ(outline.decodedSizes.size(), 4u);
}

TEST(Outlines, Base64SizesAreEstimatedFromLinesOf76Characters) {
    for (const std::uint64_t size : {0ull, 1ull, 56ull, 57ull, 58ull, 1000ull, 65536ull, 1048577ull}) {
        const std::uint64_t characters = (size + 2) / 3 * 4;
        const std::uint64_t lines = (characters + 75) / 76;
        const std::uint64_t estimate = imapstore::EstimatedDecodedSize("BASE64", characters + 2 * lines);
        EXPECT_LE(estimate, size + 2) << size;
        EXPECT_GE(estimate + 2, size) << size;
    }
    EXPECT_EQ(imapstore::EstimatedDecodedSize("quoted-printable", 5000), 5000u);
    EXPECT_EQ(imapstore::EstimatedDecodedSize("7bit", 12), 12u);
    EXPECT_EQ(imapstore::EstimatedDecodedSize("base64", 1), 0u);
}

}  // namespace
