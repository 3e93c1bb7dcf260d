// Parts that come back as they were: what a part was is kept as text when it
// is taken out (as the engine keeps it in its catalog) and given back to the
// part made anew from its file, or to the link standing for it. The engine's
// calls are made here as its save, reintroduce and re-root runs make them.
#include <cstdlib>

#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "mapi/MapiGuid.h"
#include "mapi/MapiTags.h"

namespace mailstore_test {
namespace {

// The places of the tree's parts with the types of the multiparts.
std::vector<std::string> Shape(const std::vector<std::string>& tree) {
    std::vector<std::string> shape;
    for (const auto& part : tree) shape.push_back(part.substr(0, part.find('\n')));
    return shape;
}

LONG Flags(Outlook::Attachment& attachment) {
    auto properties = attachment.MAPIOBJECT().As<IAttachment>();
    SPropTagArray tags{1, {PR_ATTACH_FLAGS}};
    ULONG count = 0;
    LPSPropValue values = nullptr;
    const LONG flags = properties->GetProps(&tags, 0, &count, &values) == S_OK ? values[0].Value.l : -1;
    std::free(values);
    return flags;
}

// What the engine's catalog keeps of an attachment it took out.
struct Taken {
    std::u16string path;
    std::u16string name;
    std::u16string properties;
    std::u16string linkId;
};

const std::string kPdf = BinaryContent(3000);

std::string Forwarded(std::string_view lineEnd) {
    std::string inner = "From: Cy <cy@example.org>\nSubject: Minutes\nMIME-Version: 1.0\n"
                        "Content-Type: multipart/mixed; boundary=inner\n\n--inner\nContent-Type: text/plain\n\n"
                        "The minutes.\n--inner\nContent-Type: application/pdf; name=minutes.pdf\n"
                        "Content-Transfer-Encoding: base64\n\n" + Base64(kPdf) + "--inner--\n";
    std::string lines;
    for (const char c : inner) lines += c == '\n' ? std::string(lineEnd) : std::string(1, c);
    return "Content-Type: message/rfc822\nContent-Disposition: attachment\n\n" + lines;
}

class PartProperties : public MailboxTest {
protected:
    PartProperties() { platform.FileSystem().MakeDirectory(u"C:\\Out"); }

    // As a save run with removal and links: each attachment, the last first,
    // written to a file and replaced by a link that takes its place.
    std::vector<Taken> SaveWithLinks(const fs::path& file) {
        auto mail = Mail(file);
        auto attachments = mail->Attachments();
        std::vector<Taken> taken;
        for (std::int32_t i = attachments->Count(); i >= 1; --i) {
            auto attachment = attachments->Item(i);
            Taken part{u"C:\\Out\\" + velmora::FromUtf8(std::to_string(++files_)) + u".bin", attachment->FileName(),
                       attachment->PartProperties(), {}};
            attachment->SaveAsFile(part.path);
            auto link = attachments->Add(part.path, Outlook::olByReference, 1, part.path.substr(7));
            link->SetPartProperties(part.properties);
            part.linkId = link->ContentId();
            attachments->Remove(i);
            taken.push_back(part);
        }
        mail->Save();
        return taken;
    }

    // As reintroduce: each link, the last first, replaced by the file it
    // names, which takes the properties kept; saved after each.
    void Reintroduce(const fs::path& file, const std::vector<Taken>& taken) {
        auto mail = Mail(file);
        auto attachments = mail->Attachments();
        for (std::int32_t i = attachments->Count(); i >= 1; --i) {
            auto link = attachments->Item(i);
            const auto part = std::find_if(taken.begin(), taken.end(), [&](const Taken& candidate) {
                return candidate.linkId == link->ContentId();
            });
            ASSERT_NE(part, taken.end());
            auto added = attachments->Add(part->path, Outlook::olByValue, link->Position(), part->name);
            added->SetPartProperties(part->properties);
            attachments->Remove(i);
            mail->Save();
        }
    }

    // Saves with links and reintroduces; the message must come back as it was.
    void ExpectRoundTrip(const fs::path& file) {
        Box();  // GMime is ready from here
        const auto before = PartTree(Reparse(Current(file)).get());
        const auto taken = SaveWithLinks(file);
        ASSERT_FALSE(taken.empty());
        // Each link stands where its part stood.
        const auto linked = PartTree(Reparse(Current(file)).get());
        EXPECT_EQ(Shape(linked), Shape(before));
        auto links = Mail(file)->Attachments();
        ASSERT_EQ(links->Count(), static_cast<std::int32_t>(taken.size()));
        for (std::int32_t i = 1; i <= links->Count(); ++i) EXPECT_EQ(links->Item(i)->Type(), Outlook::olByReference);
        Reintroduce(file, taken);
        EXPECT_EQ(PartTree(Reparse(Current(file)).get()), before);
        EXPECT_TRUE(Box().TakeWarnings().empty());
    }

    fs::path Inbox(std::string_view text) { return Deliver("Inbox", "1700000000.M1P1.h:2,S", text); }

private:
    int files_ = 0;
};

TEST_F(PartProperties, FilesOfEveryKindComeBackWithTheirHeadersAndPlaces) {
    const std::string same = BinaryContent(1000);
    ExpectRoundTrip(Inbox(Mixed(
        "files", {TextPart("See the files.\n"),
                  Base64Part("application/pdf", kPdf,
                             "Content-Disposition: attachment; filename=\"report.pdf\"\n"
                             "Content-Description: The report\nX-Attachment-Id: f_abc\n"),
                  Base64Part("application/octet-stream; name=\"two.bin\"", BinaryContent(500), ""),
                  "Content-Type: text/plain; charset=utf-8\nContent-Disposition: attachment;\n"
                  " filename*0*=UTF-8''%C3%9Cbersicht%20;\n filename*1*=%E2%82%AC.txt\nContent-Language: de\n"
                  "Content-Transfer-Encoding: quoted-printable\n\nCaf=C3=A9 =3D 100%\n",
                  Base64Part("application/pdf", same, "Content-Disposition: attachment; filename=\"copy.pdf\"\n"),
                  Base64Part("application/pdf", same, "Content-Disposition: attachment; filename=\"copy.pdf\"\n")})));
}

TEST_F(PartProperties, AnInlineImageComesBackInlineForTheHtml) {
    const std::string image = Base64Part("image/png", BinaryContent(2000),
                                         "Content-ID: <logo@x>\nContent-Disposition: inline; filename=logo.png\n");
    const std::string related = "Content-Type: multipart/related; boundary=rel; type=\"text/html\"\n\n--rel\n" +
                                HtmlPart("<p><img src=\"cid:logo@x\"></p>") + "\n--rel\n" + image + "\n--rel--\n";
    // The related part alone, and within an alternative within a mixed one.
    const auto alone = Deliver("Inbox", "1", Message("Subject: logo\n" + related.substr(0, related.find("\n\n") + 1),
                                                     related.substr(related.find("\n\n") + 2)));
    const auto nested = Deliver(
        "Inbox", "2",
        Mixed("nested", {"Content-Type: multipart/alternative; boundary=alt\n\n--alt\n" + TextPart("Logo") +
                             "\n--alt\n" + related + "\n--alt--\n",
                         Base64Part("application/pdf", kPdf, "Content-Disposition: attachment; filename=a.pdf\n")}));
    for (const auto& file : {alone, nested}) {
        ExpectRoundTrip(file);
        auto logo = Mail(file)->Attachments()->Item(1);
        EXPECT_EQ(logo->FileName(), u"logo.png");
        EXPECT_GT(Flags(*logo), 0) << file;
    }
}

TEST_F(PartProperties, AForwardedMessageComesBackAsAMessage) {
    for (const std::string lineEnd : {"\n", "\r\n"}) {
        const auto file = Inbox(Mixed("forwarded", {TextPart("Forwarded.\n"), Forwarded(lineEnd)}));
        ExpectRoundTrip(file);
        auto attachment = Mail(file)->Attachments()->Item(1);
        EXPECT_EQ(attachment->Type(), Outlook::olEmbeddeditem);
        EXPECT_EQ(attachment->FileName(), u"Minutes.eml");
    }
}

TEST_F(PartProperties, ALinkMadeAnewStandsForThePartItsPredecessorStoodFor) {
    const auto file = Inbox(Mixed("links", {TextPart("body"),
                                            Base64Part("application/pdf", kPdf,
                                                       "Content-Disposition: attachment; filename=a.pdf\n"
                                                       "Content-ID: <a@x>\n"),
                                            TextPart("after")}));
    const auto taken = SaveWithLinks(file);
    const auto linked = PartTree(Reparse(Current(file)).get());
    platform.WriteFile(u"D:\\Moved\\1.bin", kPdf);
    {
        // As re-root does it.
        auto mail = Mail(file);
        auto old = mail->Attachments()->Item(1);
        auto moved = mail->Attachments()->Add(u"D:\\Moved\\1.bin", Outlook::olByReference, 1, old->DisplayName());
        moved->SetPartProperties(old->PartProperties());
        EXPECT_NE(moved->ContentId(), old->ContentId());
        EXPECT_FALSE(moved->ContentId().empty());
        mail->Attachments()->Remove(1);
        mail->Save();
    }
    const auto moved = PartTree(Reparse(Current(file)).get());
    EXPECT_EQ(Shape(moved), Shape(linked));
    ASSERT_EQ(moved.size(), 4u);
    // The same description of the part; only the path and the link's identity differ.
    EXPECT_NE(moved[2].find("Content-Disposition: attachment; filename=a.pdf\n"), std::string::npos) << moved[2];
    EXPECT_NE(moved[2].find("Content-Type: application/pdf\n"), std::string::npos) << moved[2];
    EXPECT_NE(moved[2].find("Moved/1.bin"), std::string::npos) << moved[2];
    EXPECT_EQ(moved[2].find("<a@x>"), std::string::npos) << moved[2];
}

TEST_F(PartProperties, DescriptionsThatCouldHarmChangeNothing) {
    platform.WriteFile(u"C:\\Out\\a.pdf", "PDF");
    const std::vector<std::u16string> harmful = {
        u"",
        u"garbage",
        u"mime-part 2\nheader Content-Type: application/pdf%0A",
        // A line that does not continue the field would be a field of its own.
        u"mime-part 1\nheader Content-Type: text/plain%0AX-Injected: yes%0A",
        u"mime-part 1\nheader Content-Type: text/plain%0A%0A--boundary%0A",
        u"mime-part 1\nheader Content-Type: text/plain%0D%0A%0D%0A",
        u"mime-part 1\nheader Content-Type: text/plain\n",
        u"mime-part 1\nheader Content-Type: text/plain%00%0A",
        u"mime-part 1\nheader X Bad: x%0A",
        u"mime-part 1\nheader : x%0A",
        // Two types: readers would each take one.
        u"mime-part 1\nheader Content-Type: application/pdf%0A\nheader Content-Type: multipart/mixed; boundary=b%0A",
        // Without a type GMime would go on with the type the part had.
        u"mime-part 1\nheader Content-Disposition: attachment; filename=b.pdf%0A",
        u"mime-part 1\nheader Content-Type: caf\u00E9%0A",
        u"mime-part 1\nheader Content-Type: text/plain%0",
        u"mime-part 1\nplace 0.-1",
        u"mime-part 1\nplace 9999999",
        u"mime-part 1\nplace 0\nplace 1",
        // Content a file must never become: parts of its own, or a link.
        u"mime-part 1\nheader Content-Type: multipart/mixed; boundary=b%0A",
        u"mime-part 1\nheader Content-Type: message/external-body; access-type=local-file; name=/etc/passwd%0A",
    };
    const auto file =
        Inbox(Mixed("harm", {TextPart("body"),
                             Base64Part("application/pdf", "x", "Content-Disposition: attachment; filename=x.pdf\n")}));
    for (const auto& text : harmful) {
        auto mail = Mail(file);
        auto added = mail->Attachments()->Add(u"C:\\Out\\a.pdf", Outlook::olByValue, 1, u"a.pdf");
        const std::u16string made = added->PartProperties();
        added->SetPartProperties(text);
        EXPECT_EQ(added->PartProperties(), made) << velmora::ToUtf8(text);
        mail->Save();
        EXPECT_EQ(ReadNative(Current(file)).find("X-Injected"), std::string::npos);
        auto reread = Mail(file);
        ASSERT_EQ(reread->Attachments()->Count(), 2);
        EXPECT_EQ(reread->Attachments()->Item(2)->FileName(), u"a.pdf");
        reread->Attachments()->Remove(2);
        reread->Save();
    }
    // A valid description whose place is gone leaves the part where Add put it.
    auto mail = Mail(file);
    auto added = mail->Attachments()->Add(u"C:\\Out\\a.pdf", Outlook::olByValue, 1, u"a.pdf");
    added->SetPartProperties(u"mime-part 1\nplace 5.2\nheader Content-Type: application/pdf; name=b.pdf%0A");
    EXPECT_EQ(mail->Attachments()->Item(2)->FileName(), u"b.pdf");
    // Fields that would make it no attachment leave it one, under the name it had.
    added->SetPartProperties(u"mime-part 1\nplace 0\nheader Content-Type: application/pdf%0A");
    EXPECT_EQ(mail->Attachments()->Item(1)->FileName(), u"b.pdf");
    EXPECT_EQ(mail->Attachments()->Item(2)->FileName(), u"x.pdf");
}

TEST_F(PartProperties, NothingIsPutIntoSignedContent) {
    const std::string signedContent =
        "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; boundary=s\n\n--s\n"
        "Content-Type: multipart/mixed; boundary=m\n\n--m\n" + TextPart("signed text") + "\n--m\n" +
        Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=signed.pdf\n") +
        "\n--m--\n\n--s\nContent-Type: application/pgp-signature\n\nSIGNATURE\n--s--\n";
    const auto file = Inbox(Mixed("signed", {TextPart("body"), signedContent}));
    boxOptions.includeSigned = true;
    const auto taken = SaveWithLinks(file);
    ASSERT_EQ(taken.size(), 1u);
    // The change dropped the signature; the link went after the content it signed.
    const auto tree = Shape(PartTree(Reparse(Current(file)).get()));
    EXPECT_EQ(tree,
              (std::vector<std::string>{"top multipart/mixed", "top.0", "top.1 multipart/mixed", "top.1.0", "top.2"}));
    EXPECT_EQ(ReadNative(Current(file)).find("SIGNATURE"), std::string::npos);
}

}  // namespace
}  // namespace mailstore_test
