// Changing an item and saving it: what the file holds afterwards, read by
// the mailbox and by GMime on its own.
#include "MailboxFixture.h"

namespace mailstore_test {
namespace {

constexpr char kName[] = "1700000000.M1P1.host:2,RS";

std::string PdfPart(std::string_view name, std::string_view bytes) {
    return Base64Part("application/pdf", bytes, "Content-Disposition: attachment; filename=\"" + std::string(name) + "\"\n");
}

// The decoded content of every attachment part GMime finds, in order.
std::vector<std::string> PartContents(GMimeMessage* message) {
    std::vector<std::string> contents;
    GMimePartIter* iter = g_mime_part_iter_new(GMIME_OBJECT(message));
    do {
        GMimeObject* part = g_mime_part_iter_get_current(iter);
        if (part != nullptr && GMIME_IS_PART(part) && g_mime_part_is_attachment(GMIME_PART(part))) {
            auto memory = mailstore::GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
            g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(GMIME_PART(part)), memory.get());
            GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
            contents.emplace_back(reinterpret_cast<const char*>(bytes->data), bytes->len);
        }
    } while (g_mime_part_iter_next(iter));
    g_mime_part_iter_free(iter);
    return contents;
}

std::string TextOf(GMimeMessage* message, const char* subtype) {
    GMimeObject* body = nullptr;
    GMimePartIter* iter = g_mime_part_iter_new(GMIME_OBJECT(message));
    do {
        GMimeObject* part = g_mime_part_iter_get_current(iter);
        if (body == nullptr && part != nullptr && GMIME_IS_TEXT_PART(part) &&
            g_mime_content_type_is_type(g_mime_object_get_content_type(part), "text", subtype)) {
            body = part;
        }
    } while (g_mime_part_iter_next(iter));
    g_mime_part_iter_free(iter);
    if (body == nullptr) return "(none)";
    gchar* text = g_mime_text_part_get_text(GMIME_TEXT_PART(body));
    std::string result(text);
    g_free(text);
    return result;
}

class Saving : public MailboxTest {
protected:
    fs::path Inbox(std::string_view text) { return Deliver("Inbox", kName, text); }
};

TEST_F(Saving, AddByValueAddLinkAndRemoveThenReopen) {
    const std::string original = BinaryContent(5000);
    const std::string added = BinaryContent(20000).substr(7);
    platform.WriteFile(u"C:\\Files\\Added file.bin", added);
    platform.WriteFile(u"D:\\Saved\\Report \u00E9.pdf", "saved elsewhere");
    const auto file = Inbox(Mixed("changes", {TextPart("body\n"), PdfPart("keep.pdf", original), PdfPart("drop.pdf", "x")}));
    {
        auto mail = Mail(file);
        auto attachments = mail->Attachments();
        attachments->Add(u"c:\\files\\added file.bin", Outlook::olByValue, 1, u"");
        attachments->Add(u"D:\\Saved\\Report \u00E9.pdf", Outlook::olByReference, 1, u"Report \u00E9.pdf");
        EXPECT_EQ(attachments->Count(), 4);
        attachments->Remove(2);
        EXPECT_EQ(mail->Attachments()->Item(1)->FileName(), u"keep.pdf");
        mail->Save();
    }
    auto reread = Reparse(Current(file));
    ASSERT_TRUE(reread);
    const auto contents = PartContents(reread.get());
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(contents[0], original);
    EXPECT_EQ(contents[1], added);
    // The link's body is the header of the file it stands for.
    EXPECT_EQ(contents[2].rfind("Content-Type: application/pdf; name*=UTF-8''Report%20%C3%A9.pdf\n", 0), 0u)
        << contents[2];
    EXPECT_EQ(TextOf(reread.get(), "plain"), "body\n");

    auto attachments = Mail(Current(file))->Attachments();
    ASSERT_EQ(attachments->Count(), 3);
    EXPECT_EQ(attachments->Item(2)->FileName(), u"added file.bin");
    EXPECT_EQ(attachments->Item(2)->Type(), Outlook::olByValue);
    auto link = attachments->Item(3);
    EXPECT_EQ(link->Type(), Outlook::olByReference);
    EXPECT_EQ(link->FileName(), u"Report \u00E9.pdf");
    EXPECT_EQ(link->PathName(), u"D:\\Saved\\Report \u00E9.pdf");
    // The link names the file by its native path.
    GMimeObject* linkPart = g_mime_multipart_get_part(GMIME_MULTIPART(g_mime_message_get_mime_part(reread.get())), 3);
    EXPECT_EQ(std::string(g_mime_object_get_content_type_parameter(linkPart, "name")),
              (platform.DrivePath(u'D') / "Saved" / "Report \xC3\xA9.pdf").string());
}

TEST_F(Saving, LinksOutsideTheMappedDrivesKeepTheirPath) {
    const auto file = Inbox(Mixed("links", {TextPart("body"),
                                            "Content-Type: message/external-body; access-type=local-file;\n"
                                            " name=\"/srv/archive/old.pdf\"\nContent-Disposition: attachment\n\n"
                                            "Content-Type: application/pdf\n"}));
    auto mail = Mail(file);
    mail->Attachments()->Add(u"E:\\Unmapped\\b.pdf", Outlook::olByReference, 1, u"b.pdf");
    mail->Save();
    auto attachments = Mail(Current(file))->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(attachments->Item(1)->PathName(), u"/srv/archive/old.pdf");
    EXPECT_EQ(attachments->Item(1)->FileName(), u"old.pdf");
    EXPECT_EQ(attachments->Item(2)->PathName(), u"E:\\Unmapped\\b.pdf");
}

TEST_F(Saving, SaveAsFileOfALinkCopiesTheLinkedFile) {
    platform.WriteFile(u"C:\\Saved\\a.pdf", "linked bytes");
    const auto file = Inbox(Mixed("link", {TextPart("body")}));
    auto mail = Mail(file);
    mail->Attachments()->Add(u"C:\\Saved\\a.pdf", Outlook::olByReference, 1, u"a.pdf");
    mail->Attachments()->Item(1)->SaveAsFile(u"C:\\copy.pdf");
    EXPECT_EQ(platform.ReadFile(u"C:\\copy.pdf"), "linked bytes");
}

TEST_F(Saving, RemovingEveryPartLeavesAReadableMessage) {
    const auto single = Inbox(Message("Subject: only a file\nContent-Type: application/pdf; name=a.pdf\n"
                                      "Content-Transfer-Encoding: base64\n",
                                      Base64("PDF")));
    auto mail = Mail(Current(single));
    ASSERT_EQ(mail->Attachments()->Count(), 1);
    mail->Attachments()->Remove(1);
    mail->Save();
    auto reread = Mail(Current(single));
    EXPECT_EQ(reread->Attachments()->Count(), 0);
    EXPECT_EQ(reread->Subject(), u"only a file");
    EXPECT_EQ(reread->Body(), u"");
}

TEST_F(Saving, RemovingSignedContentTakesItsSignatureAlongWhenTheMailboxIncludesSignedContent) {
    const std::string signedFile = "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; boundary=s\n\n--s\n" +
                                   PdfPart("signed.pdf", "PDF") + "\n--s\nContent-Type: application/pgp-signature; "
                                   "name=signature.asc\n\n-----BEGIN PGP SIGNATURE-----\n--s--\n";
    const auto file = Inbox(Mixed("signed", {TextPart("body"), signedFile, PdfPart("other.pdf", "OTHER")}));
    boxOptions.includeSigned = true;
    auto mail = Mail(file);
    ASSERT_EQ(mail->Attachments()->Count(), 2);
    mail->Attachments()->Remove(1);
    EXPECT_EQ(mail->Attachments()->Count(), 1);
    mail->Save();
    auto attachments = Mail(Current(file))->Attachments();
    ASSERT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"other.pdf");
    EXPECT_EQ(ReadNative(Current(file)).find("signature.asc"), std::string::npos);
}

TEST_F(Saving, BodyReferenceOnATextOnlyMessage) {
    const auto file = Inbox(Message("Subject: text\nContent-Type: text/plain; charset=iso-8859-1\n"
                                    "Content-Transfer-Encoding: 8bit\n",
                                    "Gr\xFC\xDF" "e\nzweite Zeile\n"));
    auto mail = Mail(file);
    const std::u16string before = mail->Body();
    EXPECT_EQ(before, u"Gr\u00FC\u00DFe\r\nzweite Zeile\r\n");
    const std::u16string wanted = u"Attachment extracted: <file://C:\\Out\\\u00E9t\u00E9.pdf>\r\n\r\n" + before;
    mail->SetBody(wanted);
    EXPECT_EQ(mail->Body(), wanted);
    mail->Save();

    EXPECT_EQ(Mail(Current(file))->Body(), wanted);
    // The old text keeps its bytes: the added line fits its charset.
    const std::string stored = ReadNative(Current(file));
    EXPECT_NE(stored.find("charset=iso-8859-1"), std::string::npos);
    auto reread = Reparse(Current(file));
    EXPECT_EQ(TextOf(reread.get(), "plain"),
              "Attachment extracted: <file://C:\\Out\\\xC3\xA9t\xC3\xA9.pdf>\n\nGr\xC3\xBC\xC3\x9F" "e\nzweite Zeile\n");
}

TEST_F(Saving, BodyReferenceOnAnHtmlOnlyMessageShowsInTheHtml) {
    const auto file = Inbox(Message("Subject: html\nContent-Type: text/html; charset=utf-8\n",
                                    "<html><head><title>T</title></head><body class=\"x\"><p>Hello &amp; "
                                    "welcome</p>\n<p>second</p></body></html>\n"));
    auto mail = Mail(file);
    EXPECT_EQ(mail->Body(), u"Hello & welcome\r\n\r\nsecond");
    const std::u16string reference = u"Attachment extracted: <file://C:\\Out\\a&b \u65E5.pdf>\r\n\r\n";
    mail->SetBody(reference + mail->Body());
    mail->Save();

    auto reread = Reparse(Current(file));
    EXPECT_EQ(
        TextOf(reread.get(), "html"),
        "<html><head><title>T</title></head><body class=\"x\">Attachment extracted: &lt;<a "
        "href=\"file://C:\\Out\\a&amp;b%20%E6%97%A5.pdf\">file://C:\\Out\\a&amp;b &#26085;.pdf</a>&gt;<br>\n<br>\n"
        "<p>Hello &amp; welcome</p>\n<p>second</p></body></html>\n");
    EXPECT_EQ(TextOf(reread.get(), "plain"), "(none)");
    EXPECT_EQ(Mail(Current(file))->Body(), reference + u"Hello & welcome\r\n\r\nsecond");
}

TEST_F(Saving, FileUrisInAnHtmlBodyBecomeLinksAndNothingElseDoes) {
    const auto file = Inbox(Message("Subject: html\nContent-Type: text/html; charset=utf-8\n",
                                    "<html><body><p>Hi</p></body></html>\n"));
    const std::u16string reference = u"Attachment extracted: <file:///home/me/Att/Z%C3%BCrich%20Bericht.pdf>\r\n"
                                     u"Attachment extracted: <file:///x\"><script>alert(1)</script>.pdf>\r\n\r\n";
    auto mail = Mail(file);
    mail->SetBody(reference + mail->Body());
    mail->Save();
    const std::string html = TextOf(Reparse(Current(file)).get(), "html");
    EXPECT_NE(html.find("&lt;<a href=\"file:///home/me/Att/Z%C3%BCrich%20Bericht.pdf\">"
                        "file:///home/me/Att/Z%C3%BCrich%20Bericht.pdf</a>&gt;<br>"),
              std::string::npos)
        << html;
    // A URI ends at its closing bracket; what follows is text.
    EXPECT_NE(
        html.find("&lt;<a href=\"file:///x%22\">file:///x&quot;</a>&gt;&lt;script&gt;alert(1)&lt;/script&gt;.pdf&gt;"),
        std::string::npos)
        << html;
    EXPECT_EQ(html.find("<script"), std::string::npos) << html;
    EXPECT_EQ(Mail(file)->Body(), reference + u"Hi");
}

TEST_F(Saving, BodyReferenceReachesBothAlternativesAndOtherChangesReplaceTheHtml) {
    const std::string alternative = "Content-Type: multipart/alternative; boundary=alt\n\n--alt\n" + TextPart("plain text\n") +
                                    "\n--alt\n" + HtmlPart("<body><b>rich</b> text</body>\n") + "\n--alt--\n";
    const auto file = Inbox(Mixed("both", {alternative, PdfPart("a.pdf", "A")}));
    auto mail = Mail(file);
    mail->SetBody(u"Ref\r\n\r\n" + mail->Body());
    mail->Save();
    auto reread = Reparse(Current(file));
    EXPECT_EQ(TextOf(reread.get(), "plain"), "Ref\n\nplain text\n");
    EXPECT_EQ(TextOf(reread.get(), "html"), "<body>Ref<br>\n<br>\n<b>rich</b> text</body>\n");

    auto again = Mail(Current(file));
    again->SetBody(u"Something else entirely");
    again->Save();
    reread = Reparse(Current(file));
    EXPECT_EQ(TextOf(reread.get(), "plain"), "Something else entirely");
    EXPECT_EQ(TextOf(reread.get(), "html"), "<html><body>Something else entirely</body></html>\n");
    EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 1);
}

TEST_F(Saving, BodyOnAMessageWithoutTextGoesInFrontOfItsParts) {
    const auto file = Inbox(Mixed("files only", {PdfPart("a.pdf", "A")}));
    auto mail = Mail(file);
    EXPECT_EQ(mail->Body(), u"");
    mail->SetBody(u"Attachment extracted: <file://C:\\a.pdf>\r\n\r\n");
    mail->Attachments()->Remove(1);
    mail->Save();
    auto reread = Mail(Current(file));
    EXPECT_EQ(reread->Body(), u"Attachment extracted: <file://C:\\a.pdf>\r\n\r\n");
    EXPECT_EQ(reread->Attachments()->Count(), 0);
}

TEST_F(Saving, ChangesThatAreNotSavedNeverReachTheFile) {
    const std::string text = Mixed("unsaved", {TextPart("a"), PdfPart("a.pdf", "A")});
    const auto file = Inbox(text);
    {
        auto mail = Mail(file);
        mail->Attachments()->Remove(1);
        mail->SetBody(u"changed");
        EXPECT_EQ(mail->Attachments()->Count(), 0);
    }
    EXPECT_EQ(ReadNative(Current(file)), text);
    // Saving without a change writes nothing either.
    Mail(Current(file))->Save();
    EXPECT_EQ(ReadNative(Current(file)), text);
    EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 1);
}

}  // namespace
}  // namespace mailstore_test
