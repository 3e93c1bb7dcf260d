// Messages the host writes and shows: drafts and forwards, the summaries of
// its item list, its reading pane, and where attachments stand.
#include <fstream>

#include "MailboxFixture.h"
#include "host/HostError.h"
#include "mailstore/Draft.h"
#include "mailstore/Maildir.h"
#include "mailstore/MaildirFolders.h"
#include "mailstore/MessagePreview.h"
#include "mailstore/MessageSummary.h"

namespace mailstore_test {
namespace {

std::string Link(std::string_view path, std::string_view name) {
    return "Content-Type: message/external-body; access-type=local-file;\n name=\"" + std::string(path) +
           "\"\nContent-Disposition: attachment; filename=\"" + std::string(name) +
           "\"\n\nContent-Type: application/pdf\n";
}

std::string Attached(std::string_view name, std::string_view bytes) {
    return Base64Part("application/octet-stream", bytes,
                      "Content-Disposition: attachment; filename=\"" + std::string(name) + "\"\n");
}

class Drafts : public MailboxTest {
protected:
    fs::path WithLinkAndFile() {
        return Deliver("Inbox", "1700000001.M1P1.host:2,S",
                       Mixed("Plans", {TextPart("See the plans.\n"), Attached("a.bin", "AAAA"),
                                       Link("/srv/archive/plans.pdf", "plans.pdf")}));
    }
};

TEST_F(Drafts, ANewDraftIsAFileOfItsOwnInDraftsWithWhatWasWritten) {
    auto draft = Box().NewDraft({u"Ann <ann@example.org>, bob@example.org", u"carl@example.org", u"Größe",
                                 u"Line one\r\nLine two", std::nullopt});
    const fs::path file = draft->File();
    EXPECT_EQ(file.parent_path(), root / "Drafts" / "cur");
    EXPECT_EQ(file.filename().string().substr(file.filename().string().size() - 4), ":2,D");
    EXPECT_TRUE(mailstore::maildir::IsMaildir(root / "Drafts"));

    auto reread = Reparse(file);
    EXPECT_STREQ(g_mime_message_get_subject(reread.get()), "Größe");
    EXPECT_NE(g_mime_message_get_message_id(reread.get()), nullptr);
    EXPECT_NE(g_mime_message_get_date(reread.get()), nullptr);
    mailstore::MessagePreview preview(file);
    EXPECT_EQ(preview.From(), u"me@localhost");
    EXPECT_EQ(preview.To(), u"Ann <ann@example.org>, bob@example.org");
    EXPECT_EQ(preview.Cc(), u"carl@example.org");
    EXPECT_EQ(preview.Text(), u"Line one\r\nLine two\r\n");
    EXPECT_TRUE(preview.Attachments().empty());
    // Every draft is a message of its own.
    auto other = Box().NewDraft({});
    EXPECT_NE(other->File(), file);
}

TEST_F(Drafts, WhatIsTypedNeverBecomesAHeaderOfItsOwn) {
    auto draft = Box().NewDraft({u"ann@example.org\r\nBcc: eve@example.org", u"", u"Hi\r\nBcc: eve@example.org",
                                 u"", std::nullopt});
    draft->SetSubject(u"Again\nX-Injected: yes");
    draft->Save();
    const std::string text = ReadNative(draft->File());
    EXPECT_EQ(text.find("\nBcc:"), std::string::npos) << text;
    EXPECT_EQ(text.find("\nX-Injected:"), std::string::npos) << text;
    auto reread = Reparse(draft->File());
    EXPECT_EQ(g_mime_object_get_header(GMIME_OBJECT(reread.get()), "Bcc"), nullptr);
}

TEST_F(Drafts, EditsLiveInMemoryUntilSaveAndAnEmptyDraftCanBeGivenUp) {
    auto draft = Box().NewDraft({u"ann@example.org", u"", u"First", u"Body", std::nullopt});
    draft->SetTo(u"bob@example.org");
    draft->SetSubject(u"Second");
    draft->SetBody(u"New body");
    platform.WriteFile(u"C:\\notes.txt", "some notes");
    draft->Attachments()->Add(u"C:\\notes.txt", Outlook::olByValue, 0, u"notes.txt");
    EXPECT_EQ(mailstore::Summarize(draft->File()).Subject, u"First");
    draft->Save();
    mailstore::MessagePreview preview(draft->File());
    EXPECT_EQ(preview.Subject(), u"Second");
    EXPECT_EQ(preview.To(), u"bob@example.org");
    EXPECT_EQ(preview.Text(), u"New body");
    ASSERT_EQ(preview.Attachments().size(), 1u);
    EXPECT_EQ(preview.Attachments()[0].Name, u"notes.txt");
    EXPECT_EQ(preview.Attachments()[0].Size, 10u);

    draft->Discard();
    EXPECT_TRUE(FilesBelow(root / "Drafts" / "cur").empty());
}

TEST_F(Drafts, AnExistingDraftsFolderIsUsedWhateverItsLetterCase) {
    Folder("drafts");
    auto draft = Box().NewDraft({});
    EXPECT_EQ(draft->File().parent_path(), root / "drafts" / "cur");
    EXPECT_FALSE(fs::exists(root / "Drafts"));
}

TEST_F(Drafts, AForwardQuotesTheMessageAndCarriesItsAttachmentsLinksAsLinks) {
    const fs::path original = WithLinkAndFile();
    const mailstore::DraftStart start = mailstore::ForwardOf(original);
    EXPECT_EQ(start.Subject, u"FW: Plans");
    EXPECT_NE(start.Body.find(u"-----Original Message-----\r\n"), std::u16string::npos);
    EXPECT_NE(start.Body.find(u"Subject: Plans\r\n"), std::u16string::npos);
    EXPECT_NE(start.Body.find(u"See the plans."), std::u16string::npos);

    auto draft = Box().NewDraft(start);
    auto attachments = draft->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"a.bin");
    EXPECT_EQ(attachments->Item(1)->Type(), Outlook::olByValue);
    EXPECT_EQ(attachments->Item(2)->Type(), Outlook::olByReference);
    EXPECT_EQ(attachments->Item(2)->PathName(), u"/srv/archive/plans.pdf");
    mailstore::MessagePreview preview(draft->File());
    EXPECT_EQ(preview.Attachments()[0].Size, 4u);
    // A forward of a forward keeps one prefix; the original is left as it was.
    EXPECT_EQ(mailstore::ForwardOf(draft->File()).Subject, u"FW: Plans");
    EXPECT_EQ(mailstore::Summarize(original).Attachments, 2);
}

TEST_F(Drafts, ForwardingWhatIsNoMessageFails) {
    const fs::path broken = Deliver("Inbox", "1700000001.M1P1.host:2,S", "");
    EXPECT_THROW(mailstore::ForwardOf(broken), host::HostError);
    EXPECT_THROW(Box().NewDraft({u"", u"", u"", u"", broken}), host::HostError);
    EXPECT_FALSE(fs::exists(root / "Drafts" / "cur") && !fs::is_empty(root / "Drafts" / "cur"));
}

TEST_F(Drafts, SummariesDateByTheFieldElseByTheNameAndSayWhyAFileIsUnreadable) {
    const fs::path dated = Deliver("Inbox", "1700000001.M1P1.host:2,S",
                                   Mixed("Dated", {TextPart("x"), Attached("a.bin", "A"), Attached("b.bin", "B")}));
    Deliver("Inbox", "1600000000.M1P1.host:2,S", "From: a@example.org\nSubject: Undated\n\nx\n");
    const fs::path empty = Deliver("Inbox", "1500000000.M1P1.host:2,S", "");
    const auto summaries = mailstore::SummarizeFolder(root / "Inbox");
    ASSERT_EQ(summaries.size(), 3u);
    // By file name.
    EXPECT_EQ(summaries[0].File, empty);
    EXPECT_FALSE(summaries[0].Problem.empty());
    EXPECT_EQ(summaries[0].Date, 1500000000);
    EXPECT_EQ(summaries[1].Subject, u"Undated");
    EXPECT_EQ(summaries[1].Date, 1600000000);
    EXPECT_EQ(summaries[2].Subject, u"Dated");
    EXPECT_EQ(summaries[2].Attachments, 2);
    EXPECT_EQ(summaries[2].Size, fs::file_size(dated));
    EXPECT_TRUE(summaries[2].Problem.empty());
    // The fixture's messages are dated 14 Nov 2023 10:00 UTC, whatever their file name says.
    EXPECT_EQ(summaries[2].Date, 1699956000);
}

TEST_F(Drafts, ThePreviewFindsPicturesByContentIdWithinALimitAndSavesOnlyNewFiles) {
    const std::string related = "Content-Type: multipart/related; boundary=rel\n\n--rel\n" +
                                HtmlPart("<html><body><img src=\"cid:Logo@X\"></body></html>") + "\n--rel\n" +
                                Base64Part("image/png", "PNGDATA", "Content-ID: <logo@x>\n") + "\n--rel--\n";
    const fs::path file =
        Deliver("Inbox", "1700000001.M1P1.host:2,S", Mixed("Pictures", {related, Attached("a.bin", "0123456789")}));
    mailstore::MessagePreview preview(file);
    ASSERT_TRUE(preview.Html().has_value());
    EXPECT_NE(preview.Html()->find("cid:Logo@X"), std::string::npos);
    EXPECT_EQ(preview.ContentById("LOGO@x", 1024), std::optional<std::string>("PNGDATA"));
    EXPECT_EQ(preview.ContentById("logo@x", 4), std::nullopt);
    EXPECT_EQ(preview.ContentById("other@x", 1024), std::nullopt);

    const fs::path target = platform.Root() / "out.bin";
    preview.SaveAttachment(preview.Attachments().size() - 1, target);
    EXPECT_EQ(ReadNative(target), "0123456789");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    // An existing file stays as it is.
    { std::ofstream(target) << "mine"; }
    EXPECT_THROW(preview.SaveAttachment(preview.Attachments().size() - 1, target), host::HostError);
    EXPECT_EQ(ReadNative(target), "mine");
    EXPECT_THROW(preview.SaveAttachment(7, platform.Root() / "none.bin"), std::out_of_range);
}

TEST_F(Drafts, AttachmentsStandInTheirOrderAndLeaveItWhenRemoved) {
    const fs::path file = Deliver("Inbox", "1700000001.M1P1.host:2,S",
                                  Mixed("Three", {TextPart("x"), Attached("a.bin", "A"), Attached("b.bin", "B"),
                                                  Link("/srv/c.pdf", "c.pdf")}));
    auto attachments = Mail(file)->Attachments();
    ASSERT_EQ(attachments->Count(), 3);
    auto first = attachments->Item(1);
    auto third = attachments->Item(3);
    EXPECT_EQ(first->Position(), 1);
    EXPECT_EQ(attachments->Item(2)->Position(), 2);
    EXPECT_EQ(third->Position(), 3);
    attachments->Remove(1);
    EXPECT_EQ(first->Position(), 0);
    EXPECT_EQ(third->Position(), 2);
}

}  // namespace
}  // namespace mailstore_test
