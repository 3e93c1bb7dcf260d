// Files that are no messages, and messages that break the rules: never a
// crash, never a lost message.
#include "MailboxFixture.h"
#include "base/Utf16.h"
#include "host/HostError.h"

namespace mailstore_test {
namespace {

class BadInput : public MailboxTest {
protected:
    // Asks every item of the folder for the mail interface, as the engine's
    // factory does; the subjects of those that answer.
    std::vector<std::u16string> WrappedSubjects(std::u16string_view folder) {
        std::vector<std::u16string> subjects;
        auto items = Box().FindFolder(folder)->Items();
        for (std::int32_t i = 1; i <= items->Count(); ++i) {
            if (auto mail = items->Item(i).As<Outlook::_MailItem>()) subjects.push_back(mail->Subject());
        }
        return subjects;
    }
};

TEST_F(BadInput, UnreadableFilesAreSkippedWithAWarningAndLeftAlone) {
    const std::string hugeHeader = "Subject: huge\nX-Filler: " + std::string(1100 * 1024, 'x') + "\n\nbody\n";
    const std::string brokenCalendar =
        Message("Subject: bad calendar\nContent-Type: text/calendar\n", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n\xFF\x00garbage");
    const std::vector<std::pair<std::string, std::string>> files = {
        {"1.empty", ""},
        {"2.binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"3.headerless", "just some words\n\nand more\n"},
        {"4.huge", hugeHeader},
        {"5.calendar", brokenCalendar},
        {"6.nul", std::string("Subject: nul\nContent-Type: multi\0\0rt/mixed; boundary=t\n\n--t\n", 60)},
        {"7.nested-nul", Mixed("nested", {std::string("Content-Type: text/plain; charset\0utf-8\n\ntext", 45)})},
        {"8.nameless", "Subject: nameless\n: no name\n\nbody\n"},
        {"9.good", Message("Subject: good\n", "fine\n")},
    };
    for (const auto& [name, text] : files) Deliver("Inbox", name, text);

    EXPECT_EQ(WrappedSubjects(u"Inbox"), std::vector<std::u16string>{u"good"});
    const std::string cur = (root / "Inbox" / "cur").string() + "/";
    EXPECT_EQ(Box().TakeWarnings(), (std::vector<std::string>{
                                        "Skipping " + cur + "1.empty: it is empty",
                                        "Skipping " + cur + "2.binary: it is not an RFC 5322 message",
                                        "Skipping " + cur + "3.headerless: it is not an RFC 5322 message",
                                        "Skipping " + cur + "4.huge: its header is longer than 1048576 bytes",
                                        "Skipping " + cur + "5.calendar: its calendar cannot be read",
                                        "Skipping " + cur + "6.nul: a header line of it holds NUL bytes",
                                        "Skipping " + cur + "7.nested-nul: a header line of it holds NUL bytes",
                                        "Skipping " + cur + "8.nameless: a header line of it has no valid field name",
                                    }));
    EXPECT_TRUE(Box().TakeWarnings().empty());
    for (const auto& [name, text] : files) EXPECT_EQ(ReadNative(root / "Inbox" / "cur" / name), text) << name;

    // An object the factory does not wrap still fails plainly when used.
    auto unreadable = Open(root / "Inbox" / "cur" / "1.empty");
    ASSERT_TRUE(unreadable);
    EXPECT_FALSE(unreadable.As<Outlook::_TaskItem>());
    EXPECT_EQ(Box().TakeWarnings().size(), 1u);
}

TEST_F(BadInput, BrokenStructureStillReadsAndSavesWithoutLoss) {
    const std::string kept = BinaryContent(4000);
    const std::string truncated =
        Message("Subject: truncated\nContent-Type: multipart/mixed; boundary=b\n",
                "--b\n" + TextPart("body\n") + "\n--b\n" +
                    Base64Part("application/pdf", "first", "Content-Disposition: attachment; filename=first.pdf\n") +
                    "\n--b\n" +
                    Base64Part("application/octet-stream", kept, "Content-Disposition: attachment; filename=kept.bin\n"));
    const auto file = Deliver("Inbox", "1700000000.M1P1.h:2,S", truncated);
    auto mail = Mail(file);
    ASSERT_EQ(mail->Attachments()->Count(), 2);
    mail->Attachments()->Remove(1);
    mail->Save();

    auto reread = Mail(Current(file));
    ASSERT_EQ(reread->Attachments()->Count(), 1);
    reread->Attachments()->Item(1)->SaveAsFile(u"C:\\kept.bin");
    EXPECT_EQ(platform.ReadFile(u"C:\\kept.bin"), kept);
    EXPECT_EQ(reread->Body(), u"body\r\n");
}

TEST_F(BadInput, OddPartsAndNamesAreReadAsTheyCome) {
    const std::string longName(5000, 'n');
    const auto file = Deliver(
        "Inbox", "m",
        Mixed("odd", {TextPart("body"),
                      // Raw 8-bit Latin-1 in a file name, as some senders write it.
                      Base64Part("application/pdf", "1", "Content-Disposition: attachment; filename=\"caf\xE9.pdf\"\n"),
                      Base64Part("application/pdf", "2", "Content-Disposition: attachment; filename=\"" + longName + ".pdf\"\n"),
                      "Content-Type: application/pdf\nContent-Disposition: attachment; filename=bad64.pdf\n"
                      "Content-Transfer-Encoding: base64\n\nQU*JD\x01Rf!!=\n",
                      "Content-Type: application/pdf\nContent-Disposition: attachment; filename=unknown.pdf\n"
                      "Content-Transfer-Encoding: x-unheard-of\n\nraw\n",
                      "Content-Type: multipart/mixed\n\nno boundary at all\n",
                      "Content-Type: text/plain; charset=x-no-such-charset\nContent-Disposition: attachment;"
                      " filename=\"=?x-bogus?Q?=FF?=.txt\"\n\n\xFF\xFE text\n"}));
    auto attachments = Mail(Current(file))->Attachments();
    ASSERT_EQ(attachments->Count(), 5);
    EXPECT_EQ(attachments->Item(1)->FileName(), u"caf\u00E9.pdf");
    EXPECT_EQ(attachments->Item(2)->FileName(), velmora::FromUtf8(longName + ".pdf"));
    for (std::int32_t i = 1; i <= attachments->Count(); ++i) {
        EXPECT_NO_THROW(attachments->Item(i)->SaveAsFile(u"C:\\part.bin")) << i;
    }
    EXPECT_EQ(platform.ReadFile(u"C:\\part.bin"), "\xFF\xFE text\n");
    auto mail = Mail(file);
    mail->SetBody(u"Attachment extracted: <file://C:\\x>\r\n\r\n" + mail->Body());
    mail->Attachments()->Remove(3);
    mail->Save();
    EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 4);
}

TEST_F(BadInput, AMultipartWithoutBoundaryTakesNewPartsAndKeepsItsText) {
    const auto file = Deliver("Inbox", "m", Message("Subject: no boundary\nContent-Type: multipart/mixed\n",
                                                     "text nobody can split into parts\n"));
    platform.WriteFile(u"C:\\a.pdf", "PDF");
    auto mail = Mail(file);
    EXPECT_EQ(mail->Attachments()->Count(), 0);
    mail->SetBody(u"Attachment extracted: <file://C:\\a.pdf>\r\n\r\n");
    mail->Attachments()->Add(u"C:\\a.pdf", Outlook::olByValue, 1, u"a.pdf");
    mail->Save();
    auto reread = Mail(Current(file));
    EXPECT_EQ(reread->Attachments()->Count(), 1);
    EXPECT_EQ(reread->Body(), u"Attachment extracted: <file://C:\\a.pdf>\r\n\r\n");
    EXPECT_NE(ReadNative(Current(file)).find("text nobody can split into parts"), std::string::npos);
}

TEST_F(BadInput, AnAttachedMessageWithTheOuterBoundarySavesWithItsParts) {
    // The attached message is a multipart of the outer boundary that never
    // closes: the outer boundary written after it would belong to it.
    const auto file = Deliver("Inbox", "m",
                              Message("Subject: nested\nContent-Type: multipart/mixed; boundary=b\n",
                                      "--b\nContent-Type: message/rfc822\n\nContent-Type: multipart/mixed; boundary=b\n\n"));
    platform.WriteFile(u"C:\\added.txt", "added");
    auto mail = Mail(file);
    ASSERT_EQ(mail->Attachments()->Count(), 0);
    mail->Attachments()->Add(u"C:\\added.txt", Outlook::olByValue, 1, u"added.txt");
    EXPECT_NO_THROW(mail->Save());
    EXPECT_EQ(Mail(Current(file))->Attachments()->Count(), 1);
}

TEST_F(BadInput, FilesCutOffWithoutALineEndSaveWhole) {
    const std::string bytes = BinaryContent(600);
    std::string encoded = Base64(bytes);
    encoded.pop_back();
    const auto inHeader = Deliver("Inbox", "1", "Subject: cut\nContent-Type: text/plain\nX-Cut: abc");
    const auto inPart = Deliver("Inbox", "2",
                                Message("Subject: cut part\nContent-Type: multipart/mixed; boundary=b\n",
                                        "--b\nContent-Type: application/pdf; name=a.pdf\n"
                                        "Content-Transfer-Encoding: base64\n\n" + encoded));
    platform.WriteFile(u"C:\\added.txt", "added");
    for (const auto& file : {inHeader, inPart}) {
        auto mail = Mail(file);
        mail->SetBody(u"Reference\r\n\r\n" + mail->Body());
        mail->Attachments()->Add(u"C:\\added.txt", Outlook::olByValue, 1, u"added.txt");
        EXPECT_NO_THROW(mail->Save()) << file;
    }
    EXPECT_EQ(Mail(Current(inHeader))->Attachments()->Count(), 1);
    EXPECT_EQ(Mail(Current(inHeader))->Subject(), u"cut");
    auto attachments = Mail(Current(inPart))->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    attachments->Item(1)->SaveAsFile(u"C:\\a.pdf");
    EXPECT_EQ(platform.ReadFile(u"C:\\a.pdf"), bytes);
}

}  // namespace
}  // namespace mailstore_test
