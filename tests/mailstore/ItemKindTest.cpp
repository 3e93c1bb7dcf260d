// Which item interface a message answers, by its main part.
#include "MailboxFixture.h"

namespace mailstore_test {
namespace {

std::string Calendar(std::string_view method, std::string_view component) {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n";
    if (!method.empty()) text += "METHOD:" + std::string(method) + "\r\n";
    text += "BEGIN:" + std::string(component) + "\r\nUID:1@example.org\r\nDTSTAMP:20231114T100000Z\r\n";
    if (component == "VEVENT") text += "DTSTART:20231120T090000Z\r\nSUMMARY:Review\r\n";
    if (component == "VTODO") text += "DUE:20231120T090000Z\r\nSUMMARY:Report\r\n";
    return text + "END:" + std::string(component) + "\r\nEND:VCALENDAR\r\n";
}

std::string CalendarMessage(std::string_view method, std::string_view component, std::string_view typeMethod = "") {
    std::string type = "Content-Type: text/calendar; charset=utf-8";
    if (!typeMethod.empty()) type += "; method=" + std::string(typeMethod);
    return Message("Subject: calendar\n" + type + "\n", Calendar(method, component));
}

std::string AlternativeInvitation() {
    const std::string body =
        "--alt\n" + TextPart("You are invited.\n") + "\n--alt\nContent-Type: text/calendar; method=REQUEST\n\n" +
        Calendar("REQUEST", "VEVENT") + "\n--alt--\n";
    return Mixed("invitation", {"Content-Type: multipart/alternative; boundary=alt\n\n" + body,
                                Base64Part("application/ics", Calendar("REQUEST", "VEVENT"),
                                           "Content-Disposition: attachment; filename=invite.ics\n")});
}

class Kinds : public MailboxTest {
protected:
    // Which of the four interfaces the item answers, as their names.
    std::vector<std::string> Interfaces(const fs::path& file) {
        auto item = Open(file);
        std::vector<std::string> answered;
        if (item.As<Outlook::_MailItem>()) answered.push_back("mail");
        if (item.As<Outlook::_AppointmentItem>()) answered.push_back("appointment");
        if (item.As<Outlook::_MeetingItem>()) answered.push_back("meeting");
        if (item.As<Outlook::_TaskItem>()) answered.push_back("task");
        return answered;
    }
    using Names = std::vector<std::string>;
};

TEST_F(Kinds, MailMessagesOfEveryStructureAreMailItems) {
    EXPECT_EQ(Interfaces(Deliver("", "1", Message("Subject: plain\n", "text\n"))), Names{"mail"});
    EXPECT_EQ(Interfaces(Deliver("", "2", Mixed("mixed", {TextPart("a"), Base64Part("application/pdf", "%PDF",
                                                                                   "Content-Disposition: attachment; filename=a.pdf\n")}))),
              Names{"mail"});
    // An invitation attached to a mail does not make the mail an invitation.
    EXPECT_EQ(Interfaces(Deliver("", "3", Mixed("fwd", {TextPart("see attached"),
                                                        Base64Part("text/calendar", Calendar("REQUEST", "VEVENT"),
                                                                   "Content-Disposition: attachment; filename=x.ics\n")}))),
              Names{"mail"});
}

TEST_F(Kinds, CalendarsByMethodAndComponent) {
    EXPECT_EQ(Interfaces(Deliver("", "1", CalendarMessage("REQUEST", "VEVENT"))), Names{"meeting"});
    EXPECT_EQ(Interfaces(Deliver("", "2", CalendarMessage("PUBLISH", "VEVENT"))), Names{"appointment"});
    EXPECT_EQ(Interfaces(Deliver("", "3", CalendarMessage("", "VEVENT"))), Names{"appointment"});
    EXPECT_EQ(Interfaces(Deliver("", "4", CalendarMessage("", "VEVENT", "REQUEST"))), Names{"meeting"});
    EXPECT_EQ(Interfaces(Deliver("", "5", CalendarMessage("REQUEST", "VTODO"))), Names{"task"});
    EXPECT_EQ(Interfaces(Deliver("", "6", CalendarMessage("PUBLISH", "VTODO"))), Names{"task"});
    EXPECT_EQ(Interfaces(Deliver("", "7", AlternativeInvitation())), Names{"meeting"});
    EXPECT_TRUE(Box().TakeWarnings().empty());
}

TEST_F(Kinds, OtherKindsAreNotWrappedAndNotReportedAsUnreadable) {
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ana Sender\r\nEND:VCARD\r\n";
    EXPECT_EQ(Interfaces(Deliver("", "1", Message("Subject: card\nContent-Type: text/vcard\n", card))), Names{});
    EXPECT_EQ(Interfaces(Deliver("", "2", Message("Subject: card\nContent-Type: text/x-vcard\n", card))), Names{});
    EXPECT_EQ(Interfaces(Deliver("", "3", CalendarMessage("PUBLISH", "VJOURNAL"))), Names{});
    EXPECT_TRUE(Box().TakeWarnings().empty());
}

TEST_F(Kinds, ItemsOfEveryKindOfferTheItemOperations) {
    auto task = Open(Deliver("", "1700000000.M1P1.h", CalendarMessage("", "VTODO"))).As<Outlook::_TaskItem>();
    ASSERT_TRUE(task);
    EXPECT_EQ(task->Subject(), u"calendar");
    EXPECT_EQ(task->Attachments()->Count(), 0);
    auto meeting = Open(Deliver("", "1700000001.M1P1.h", AlternativeInvitation())).As<Outlook::_MeetingItem>();
    ASSERT_TRUE(meeting);
    EXPECT_EQ(meeting->Body(), u"You are invited.\r\n");
    EXPECT_EQ(meeting->Attachments()->Count(), 1);
    EXPECT_EQ(meeting->Attachments()->Item(1)->FileName(), u"invite.ics");
}

TEST_F(Kinds, RemovingAttachmentsNeverChangesTheKind) {
    const std::string files = "Content-Type: multipart/mixed; boundary=inner\n\n--inner\n" +
                              Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=a.pdf\n") +
                              "\n--inner--\n";
    const auto file = Deliver("", "1", Mixed("files first", {files, TextPart("the text")}));
    auto mail = Open(file).As<Outlook::_MailItem>();
    ASSERT_TRUE(mail);
    mail->Attachments()->Remove(1);
    mail->Save();
    auto reread = Open(Current(file)).As<Outlook::_MailItem>();
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->Body(), u"the text");

    const auto invitation = Deliver("", "2", Mixed("invitation", {files, "Content-Type: text/calendar\n\n" +
                                                                             Calendar("REQUEST", "VEVENT")}));
    auto meeting = Open(Current(invitation)).As<Outlook::_MeetingItem>();
    ASSERT_TRUE(meeting);
    meeting->Attachments()->Remove(1);
    meeting->Save();
    EXPECT_TRUE(Open(Current(invitation)).As<Outlook::_MeetingItem>());
}

TEST_F(Kinds, AMessageThatIsOnlyACalendarAttachmentIsAMailAndStaysOne) {
    const auto file = Deliver("", "1", Message("Subject: a file\nContent-Type: text/calendar\n"
                                               "Content-Disposition: attachment; filename=todo.ics\n",
                                               Calendar("", "VTODO")));
    auto mail = Open(file).As<Outlook::_MailItem>();
    ASSERT_TRUE(mail);
    ASSERT_EQ(mail->Attachments()->Count(), 1);
    mail->Attachments()->Remove(1);
    mail->Save();
    EXPECT_TRUE(Open(file).As<Outlook::_MailItem>());
}

TEST_F(Kinds, ABodyWrittenIntoACalendarOnlyMessageKeepsItsKind) {
    const auto bare = Deliver("", "1", CalendarMessage("REQUEST", "VEVENT"));
    const auto withFile = Deliver(
        "", "2",
        Mixed("with agenda", {"Content-Type: text/calendar; method=REQUEST\n\n" + Calendar("REQUEST", "VEVENT"),
                              Base64Part("application/pdf", "PDF", "Content-Disposition: attachment; filename=agenda.pdf\n")}));
    for (const auto& file : {bare, withFile}) {
        auto meeting = Open(file).As<Outlook::_MeetingItem>();
        ASSERT_TRUE(meeting);
        EXPECT_EQ(meeting->Body(), u"");
        meeting->SetBody(u"Attachment extracted: <file://C:\\agenda.pdf>\r\n\r\n");
        meeting->Save();
        auto reread = Open(Current(file)).As<Outlook::_MeetingItem>();
        ASSERT_TRUE(reread) << file;
        EXPECT_EQ(reread->Body(), u"Attachment extracted: <file://C:\\agenda.pdf>\r\n\r\n");
    }
    EXPECT_EQ(Open(Current(withFile)).As<Outlook::_MeetingItem>()->Attachments()->Count(), 1);
}

}  // namespace
}  // namespace mailstore_test
