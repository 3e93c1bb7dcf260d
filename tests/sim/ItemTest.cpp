#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "host/HostError.h"
#include "sim/OutlookBuilder.h"

namespace {

struct Answers {
    bool mail, appointment, meeting, task;
};

Answers AnswersOf(sim::Item& item) {
    return {bool(sim::As<Outlook::_MailItem>(item)), bool(sim::As<Outlook::_AppointmentItem>(item)),
            bool(sim::As<Outlook::_MeetingItem>(item)), bool(sim::As<Outlook::_TaskItem>(item))};
}

bool operator==(const Answers& a, const Answers& b) {
    return std::tie(a.mail, a.appointment, a.meeting, a.task) == std::tie(b.mail, b.appointment, b.meeting, b.task);
}

TEST(SimItem, EachKindAnswersOnlyItsOwnInterface) {
    sim::OutlookBuilder b;
    auto& f = b.Store(u"P").Folder(u"F");
    EXPECT_EQ(AnswersOf(f.Mail(u"")), (Answers{true, false, false, false}));
    EXPECT_EQ(AnswersOf(f.Appointment(u"")), (Answers{false, true, false, false}));
    EXPECT_EQ(AnswersOf(f.MeetingRequest(u"")), (Answers{false, false, true, false}));
    EXPECT_EQ(AnswersOf(f.Task(u"")), (Answers{false, false, false, true}));
    EXPECT_EQ(AnswersOf(f.Contact(u"")), (Answers{false, false, false, false}));
    EXPECT_EQ(AnswersOf(f.Note(u"")), (Answers{false, false, false, false}));
    EXPECT_EQ(AnswersOf(f.Mail(u"").AnswerAlso(sim::ItemKind::Appointment)), (Answers{true, true, false, false}));
    EXPECT_FALSE(sim::As<Outlook::MAPIFolder>(f.Mail(u"")));
}

TEST(SimItem, KeepsComIdentityAcrossItsInterfaces) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"both").AnswerAlso(sim::ItemKind::Appointment);
    auto mail = sim::As<Outlook::_MailItem>(item);
    auto appointment = sim::As<Outlook::_AppointmentItem>(item);

    EXPECT_EQ(mail.As<IUnknown>().Get(), item.Identity());
    EXPECT_EQ(appointment.As<IUnknown>().Get(), item.Identity());
    EXPECT_EQ(mail.As<Outlook::_MailItem>().Get(), mail.Get());                      // reflexive
    EXPECT_EQ(mail.As<Outlook::_AppointmentItem>().Get(), appointment.Get());       // symmetric
    EXPECT_EQ(appointment.As<Outlook::_MailItem>().Get(), mail.Get());
    EXPECT_FALSE(appointment.As<Outlook::_TaskItem>());
    EXPECT_EQ(mail.As<Outlook::_AppointmentItem>().As<Outlook::_MailItem>().Get(), mail.Get());  // transitive
    EXPECT_EQ(appointment->Subject(), u"both");
}

TEST(SimItem, ChangesStayUnsavedUntilSave) {
    sim::OutlookBuilder b;
    auto& item = b.Store(u"P").Folder(u"F").Mail(u"m").WithBody(u"old").Attach(u"a.pdf", "A").Link(u"C:\\x\\b.pdf");
    auto mail = sim::As<Outlook::_MailItem>(item);
    const auto original = item.SavedAttachments();
    EXPECT_FALSE(item.HasUnsavedChanges());

    mail->SetBody(u"new");
    mail->Attachments()->Remove(1);
    EXPECT_EQ(mail->Body(), u"new");
    EXPECT_EQ(item.SavedBody(), u"old");
    EXPECT_EQ(item.SavedAttachments(), original);
    ASSERT_EQ(item.CurrentAttachments().size(), 1u);
    EXPECT_EQ(item.CurrentAttachments()[0]->Data().FileName, u"b.pdf");
    EXPECT_TRUE(item.HasUnsavedChanges());
    EXPECT_EQ(item.SaveCount(), 0);

    mail->Save();
    EXPECT_FALSE(item.HasUnsavedChanges());
    EXPECT_EQ(item.SavedBody(), u"new");
    EXPECT_EQ(item.SavedAttachments(), item.CurrentAttachments());
    mail->Save();
    EXPECT_EQ(item.SaveCount(), 2);

    // Putting the old body back by hand is no change at all.
    mail->SetBody(u"x");
    mail->SetBody(u"new");
    EXPECT_FALSE(item.HasUnsavedChanges());
}

TEST(SimItem, CanIgnoreBodyWrites) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Task, u"t").WithBody(u"fixed").IgnoreBodyWrites();
    auto task = sim::As<Outlook::_TaskItem>(item);
    task->SetBody(u"changed");
    EXPECT_EQ(task->Body(), u"fixed");
    EXPECT_FALSE(item.HasUnsavedChanges());
}

TEST(SimItem, ReportsCreationTimeAndParent) {
    sim::OutlookBuilder b;
    auto& inbox = b.Store(u"P").Folder(u"Inbox");
    auto& item = inbox.Appointment(u"a").Created(2024, 5, 1, 10, 15, 37);
    auto appointment = sim::As<Outlook::_AppointmentItem>(item);
    const auto parts = velmora::DecodeDateTime(appointment->CreationTime());
    EXPECT_EQ(std::tie(parts.Year, parts.Month, parts.Day, parts.Hour, parts.Minute, parts.Second),
              std::make_tuple(2024, 5, 1, 10, 15, 37));
    EXPECT_EQ(appointment->Parent().As<Outlook::MAPIFolder>()->Name(), u"Inbox");

    EXPECT_FALSE(sim::As<Outlook::_MailItem>(b.LooseItem(sim::ItemKind::Mail, u"loose"))->Parent());
    auto odd = sim::As<Outlook::_MailItem>(inbox.Mail(u"odd").ParentNotAFolder())->Parent();
    ASSERT_TRUE(odd);
    EXPECT_FALSE(odd.As<Outlook::MAPIFolder>());
}

TEST(SimAttachments, AddAppendsAndRemoveShiftsOnlyLaterOnes) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m").Attach(u"a.pdf", "A").Ole(u"Picture").Attach(u"c.doc", "C");
    auto attachments = sim::As<Outlook::_MailItem>(item)->Attachments();
    auto first = attachments->Item(1);
    auto second = attachments->Item(2);

    auto added = attachments->Add(u"D:\\Saved\\Inbox\\c.doc", Outlook::olByReference, 1, u"shown");
    ASSERT_EQ(attachments->Count(), 4);
    EXPECT_EQ(attachments->Item(1).Get(), first.Get());
    EXPECT_EQ(attachments->Item(2).Get(), second.Get());
    EXPECT_EQ(attachments->Item(4).Get(), added.Get());
    EXPECT_EQ(added->Type(), Outlook::olByReference);
    EXPECT_EQ(added->PathName(), u"D:\\Saved\\Inbox\\c.doc");
    EXPECT_EQ(added->FileName(), u"c.doc");
    EXPECT_EQ(added->DisplayName(), u"shown");
    EXPECT_EQ(added->Position(), 1);

    attachments->Remove(3);
    ASSERT_EQ(attachments->Count(), 3);
    EXPECT_EQ(attachments->Item(2).Get(), second.Get());
    EXPECT_EQ(attachments->Item(3).Get(), added.Get());
}

TEST(SimAttachments, AddRefusesTypesThatCannotComeFromAFile) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m").Attach(u"a.pdf", "A");
    auto attachments = sim::As<Outlook::_MailItem>(item)->Attachments();
    const std::int32_t refused[] = {0, Outlook::olEmbeddeditem, Outlook::olOLE};
    for (auto type : refused) {
        EXPECT_THROW(attachments->Add(u"C:\\a.pdf", type, 1, u"a"), host::HostError) << type;
    }
    EXPECT_EQ(attachments->Count(), 1);
    EXPECT_FALSE(item.HasUnsavedChanges());
}

TEST(SimAttachments, BuiltAttachmentsCarryTheirKindOfData) {
    sim::OutlookBuilder b;
    auto& item = b.LooseItem(sim::ItemKind::Mail, u"m").Attach(u"a.pdf", "12345").Link(u"C:\\x\\b.pdf").Ole(u"Pic");
    auto attachments = sim::As<Outlook::_MailItem>(item)->Attachments();

    auto byValue = attachments->Item(1);
    EXPECT_EQ(byValue->Type(), Outlook::olByValue);
    EXPECT_EQ(byValue->DisplayName(), u"a.pdf");
    EXPECT_EQ(byValue->PathName(), u"");
    EXPECT_EQ(item.AttachmentAt(1).Data().Content, "12345");
    EXPECT_EQ(item.AttachmentAt(1).Data().Size, 5);

    auto link = attachments->Item(2);
    EXPECT_EQ(link->Type(), Outlook::olByReference);
    EXPECT_EQ(link->PathName(), u"C:\\x\\b.pdf");
    EXPECT_EQ(link->FileName(), u"b.pdf");

    EXPECT_EQ(attachments->Item(3)->Type(), Outlook::olOLE);
    EXPECT_EQ(attachments->Item(3)->PathName(), u"");
    EXPECT_THROW(item.AttachmentAt(4), host::HostError);
}

TEST(SimAttachments, FileNamePartEndsAtTheLastSeparator) {
    EXPECT_EQ(sim::FileNamePart(u"C:\\a\\b.pdf"), u"b.pdf");
    EXPECT_EQ(sim::FileNamePart(u"C:b.pdf"), u"b.pdf");
    EXPECT_EQ(sim::FileNamePart(u"C:/a/b.pdf"), u"b.pdf");
    EXPECT_EQ(sim::FileNamePart(u"b.pdf"), u"b.pdf");
    EXPECT_EQ(sim::FileNamePart(u"C:\\dir\\"), u"");
}

}  // namespace
