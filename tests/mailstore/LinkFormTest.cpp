// What a link part holds: the path for readers that follow local files, a
// description for those that do not, the header of the part it stands for,
// and an identity of its own; and links of the older form still read.
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <set>

#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace mailstore_test {
namespace {

std::string HostName() {
    std::array<char, 256> name{};
    ::gethostname(name.data(), name.size() - 1);
    return name.data();
}

// The link's body parsed as the header it is.
mailstore::GObjectPtr<GMimeObject> InnerHeader(GMimeObject* link) {
    auto memory = mailstore::GObjectPtr<GMimeStream>::Adopt(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(g_mime_part_get_content(GMIME_PART(link)), memory.get());
    g_mime_stream_reset(memory.get());
    auto parser = mailstore::GObjectPtr<GMimeParser>::Adopt(g_mime_parser_new_with_stream(memory.get()));
    return mailstore::GObjectPtr<GMimeObject>::Adopt(g_mime_parser_construct_part(parser.get(), nullptr));
}

std::string Text(const char* text) { return text == nullptr ? "(none)" : text; }

class LinkForm : public MailboxTest {
protected:
    fs::path Inbox(std::string_view text) { return Deliver("Inbox", "1700000000.M1P1.h:2,S", text); }

    // What mutt shows of the message, read through its pager: the pager
    // copies the text and ends mutt, so nothing waits for a key.
    std::string MuttShows(const fs::path& folder) {
        const fs::path home = platform.Root() / "mutt-home";
        const fs::path shown = platform.Root() / "mutt-shown.txt";
        const fs::path script = platform.Root() / "mutt.sh";
        fs::create_directories(home);
        std::ofstream(script) << "exec mutt -F /dev/null -n -R -e 'set folder=" << folder.string()
                              << " spoolfile=" << folder.string() << " mbox_type=Maildir'"
                              << " -e \"set pager='cp %s " << shown.string() << "; kill \\$PPID'\""
                              << " -f " << folder.string() << " -e 'push <display-message>'\n";
        const std::string command = "HOME=" + home.string() + " TERM=xterm timeout 60 script -qfc 'sh " +
                                    script.string() + "' /dev/null </dev/null >/dev/null 2>&1";
        std::system(command.c_str());
        return fs::exists(shown) ? ReadNative(shown) : "(mutt showed nothing)";
    }
};

TEST_F(LinkForm, ALinkNamesItsFileForEveryReaderAndCarriesAnIdentityOfItsOwn) {
    const auto file = Inbox(Mixed("links", {TextPart("body")}));
    {
        auto mail = Mail(file);
        mail->Attachments()->Add(u"D:\\Saved\\Bericht M\u00E4rz.pdf", Outlook::olByReference, 1,
                                 u"Bericht M\u00E4rz.pdf");
        mail->Attachments()->Add(u"D:\\Saved\\scan(1).png", Outlook::olByReference, 1, u"scan(1).png");
        mail->Save();
    }
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    const std::string native = (platform.DrivePath(u'D') / "Saved" / "Bericht M\xC3\xA4rz.pdf").string();

    auto reread = Reparse(Current(file));
    GMimeMultipart* top = GMIME_MULTIPART(g_mime_message_get_mime_part(reread.get()));
    GMimeObject* link = g_mime_multipart_get_part(top, 1);
    EXPECT_EQ(Text(g_mime_object_get_content_type_parameter(link, "access-type")), "local-file");
    EXPECT_EQ(Text(g_mime_object_get_content_type_parameter(link, "name")), native);
    EXPECT_EQ(Text(g_mime_object_get_content_type_parameter(link, "site")), HostName());
    EXPECT_EQ(Text(g_mime_object_get_header(link, "Content-Description")),
              "Bericht M\xC3\xA4rz.pdf (saved as " + native + ")");

    auto inner = InnerHeader(link);
    ASSERT_TRUE(inner);
    EXPECT_TRUE(g_mime_content_type_is_type(g_mime_object_get_content_type(inner.get()), "application", "pdf"));
    EXPECT_EQ(Text(g_mime_object_get_content_type_parameter(inner.get(), "name")), "Bericht M\xC3\xA4rz.pdf");
    EXPECT_EQ(Text(g_mime_object_get_disposition(inner.get())), "attachment");
    EXPECT_EQ(Text(g_mime_object_get_content_disposition_parameter(inner.get(), "filename")),
              "Bericht M\xC3\xA4rz.pdf");

    // The identity is the inner Content-ID: 128 random bits, another for every link.
    const std::string id = Text(g_mime_object_get_content_id(inner.get()));
    EXPECT_EQ(velmora::ToUtf8(attachments->Item(1)->ContentId()), id);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), 32u) << id;
    std::set<std::u16string> ids = {attachments->Item(1)->ContentId(), attachments->Item(2)->ContentId()};
    for (int i = 0; i < 20; ++i) {
        auto again = Mail(file);
        ids.insert(again->Attachments()->Add(u"D:\\Saved\\a.pdf", Outlook::olByReference, 1, u"a.pdf")->ContentId());
    }
    EXPECT_EQ(ids.size(), 22u);
    EXPECT_EQ(attachments->Item(2)->PathName(), u"D:\\Saved\\scan(1).png");
    EXPECT_EQ(attachments->Item(2)->FileName(), u"scan(1).png");
}

TEST_F(LinkForm, MuttShowsWhereTheFileWasSaved) {
    const auto file = Inbox(Mixed("shown", {TextPart("body")}));
    auto mail = Mail(file);
    mail->Attachments()->Add(u"D:\\Saved\\report.pdf", Outlook::olByReference, 1, u"report.pdf");
    mail->Save();
    const std::string shown = MuttShows(root / "Inbox");
    EXPECT_NE(shown.find("report.pdf (saved as " + (platform.DrivePath(u'D') / "Saved" / "report.pdf").string() + ")"),
              std::string::npos)
        << shown;
}

TEST_F(LinkForm, NamesFromMessagesNeverAddHeaderLines) {
    const auto file = Inbox(Mixed("names", {TextPart("body")}));
    auto mail = Mail(file);
    mail->Attachments()->Add(u"D:\\Saved\\a.pdf", Outlook::olByReference, 1, u"a\r\nX-Injected: yes\r\n\r\n.pdf");
    EXPECT_THROW(mail->Attachments()->Add(u"D:\\Saved\\b\n.pdf", Outlook::olByReference, 1, u"b.pdf"), host::HostError);
    mail->Save();
    EXPECT_EQ(ReadNative(Current(file)).find("\nX-Injected"), std::string::npos);
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"a  X-Injected: yes    .pdf");
    EXPECT_FALSE(attachments->Item(1)->ContentId().empty());
}

TEST_F(LinkForm, LinksOfTheOlderFormStillRead) {
    const std::string native = (platform.DrivePath(u'D') / "Saved" / "old.pdf").string();
    const auto file = Inbox(Mixed("old", {TextPart("body"),
                                          "Content-Type: message/external-body; access-type=local-file;\n"
                                          " name=\"" +
                                              native +
                                              "\"\nContent-Disposition: attachment; filename=old.pdf\n\n"
                                              "Content-Type: application/pdf\n"}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 1);
    auto link = attachments->Item(1);
    EXPECT_EQ(link->Type(), Outlook::olByReference);
    EXPECT_EQ(link->PathName(), u"D:\\Saved\\old.pdf");
    EXPECT_EQ(link->FileName(), u"old.pdf");
    EXPECT_EQ(link->ContentId(), u"");
    // It stands for a PDF named by the link's own disposition.
    const std::u16string properties = link->PartProperties();
    EXPECT_NE(properties.find(u"header Content-Type: application/pdf%0A"), std::u16string::npos);
    EXPECT_NE(properties.find(u"header Content-Disposition: attachment; filename=old.pdf%0A"), std::u16string::npos);
}

}  // namespace
}  // namespace mailstore_test
