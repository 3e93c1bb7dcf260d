// The send guard: outgoing mail that still carries link attachments.
#include "UiFixture.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

constexpr char16_t kReinsert[] =
    u"The message you are trying to send contains removed attachments. They won't be readable by the message's "
    u"receivers. Do you want to reinsert the original files to the message.";
constexpr char16_t kSendAnyway[] =
    u"One or more attachments couldn't be replaced. Do you want to send the mail anyway?";

class SendGuard : public UiTest {
protected:
    SendGuard() { platform.WriteFile(u"C:\\Files\\a.txt", "linked content"); }

    // A mail being sent, with a link that Velmora made to a file that exists, or not.
    sim::Item& Outgoing(bool fileExists = true) {
        auto& mail =
            b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(fileExists ? u"C:\\Files\\a.txt" : u"C:\\Gone.txt");
        testing_support::TrackLink(platform, mail, 1, fileExists ? std::nullopt : std::optional<std::string>("gone"));
        return mail;
    }
    VARIANT_BOOL Send(sim::Item& mail, VARIANT_BOOL cancel = VARIANT_FALSE) {
        dialog->CheckOutgoingMail(b.App().Identity(), sim::As<Outlook::_MailItem>(mail).Get(), cancel);
        return cancel;
    }
    static bool IsLink(sim::Item& mail) { return mail.AttachmentAt(1).Type() == Outlook::olByReference; }
};

TEST_F(SendGuard, MailWithoutLinksIsNotAskedAboutAndTheEngineIsReleased) {
    Open();
    auto& plain = b.LooseItem(sim::ItemKind::Mail, u"Plain").Attach(u"x.txt", "x");
    EXPECT_EQ(Send(plain, VARIANT_TRUE), VARIANT_TRUE);  // left as it came
    EXPECT_TRUE(ui.Boxes().Shown().empty());
    EXPECT_EQ(dialog->Engine(), nullptr);
}

TEST_F(SendGuard, CancelStopsTheSendAndNoSendsTheLinks) {
    auto& mail = Outgoing();
    ui.Boxes().Answer(u"Cancel").Answer(u"&No").Dismiss();
    EXPECT_EQ(Send(mail), VARIANT_TRUE);
    const auto& box = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(box.Text, kReinsert);
    EXPECT_EQ(box.Caption, u"Information");
    EXPECT_THAT(box.Buttons, ElementsAre(u"&Yes", u"&No", u"Cancel"));
    EXPECT_EQ(box.EscapeButton, 2u);

    EXPECT_EQ(Send(mail), VARIANT_FALSE);
    EXPECT_EQ(Send(mail), VARIANT_TRUE);  // closed otherwise: as Esc, Cancel
    EXPECT_TRUE(IsLink(mail));
    EXPECT_EQ(ui.Boxes().Shown().size(), 3u);
}

TEST_F(SendGuard, YesPutsTheFileBackIntoTheMail) {
    auto& mail = Outgoing();
    ui.Boxes().Answer(u"&Yes");
    EXPECT_EQ(Send(mail), VARIANT_FALSE);
    EXPECT_FALSE(IsLink(mail));
    EXPECT_EQ(mail.AttachmentAt(1).Data().Content, "linked content");
    EXPECT_TRUE(platform.FileSystem().FileExists(u"C:\\Files\\a.txt"));  // files are not deleted
    EXPECT_EQ(ui.Boxes().Shown().size(), 1u);
}

TEST_F(SendGuard, AFailedReinsertAsksWhetherToSendAnyway) {
    auto& mail = Outgoing(false);
    ui.Boxes().Answer(u"&Yes").Answer(u"Cancel").Answer(u"&Yes").Answer(u"OK").Answer(u"&Yes").Dismiss();
    EXPECT_EQ(Send(mail), VARIANT_TRUE);
    EXPECT_EQ(Send(mail, VARIANT_TRUE), VARIANT_FALSE);
    EXPECT_EQ(Send(mail), VARIANT_TRUE);
    EXPECT_THAT(Boxes(), ElementsAre(kReinsert, kSendAnyway, kReinsert, kSendAnyway, kReinsert, kSendAnyway));
    EXPECT_THAT(ui.Boxes().Shown()[1].Request.Buttons, ElementsAre(u"OK", u"Cancel"));
}

TEST_F(SendGuard, OkAfterTheGuardReleasedTheEngineReconnectsThroughTheLastApplication) {
    InboxWithMails(1);
    Open();
    SaveToOut();
    ui.TheDesktop().FocusOtherProgram();  // the user sends mail from the host's window
    Send(Outgoing(), VARIANT_FALSE);  // unscripted: "&Yes"
    EXPECT_EQ(dialog->Engine(), nullptr);
    EXPECT_TRUE(Dialog().Visible());
    Dialog().ClickOk();
    EXPECT_EQ(Log().size(), 4u);
    EXPECT_EQ(Log()[0], u"Processing folder Inbox");
    EXPECT_NE(dialog->Engine(), nullptr);
}

TEST_F(SendGuard, ACheckDuringARunUsesAnEngineOfItsOwn) {
    InboxWithMails(2);
    Open();
    SaveToOut();
    auto& mail = Outgoing();
    TOutlookManager* running = dialog->Engine();
    VARIANT_BOOL cancel = VARIANT_TRUE;
    ui.Pump().Post([&] { cancel = Send(mail); });
    ui.Boxes().Answer(u"&Yes");
    Dialog().ClickOk();
    EXPECT_EQ(cancel, VARIANT_FALSE);
    EXPECT_FALSE(IsLink(mail));
    EXPECT_EQ(dialog->Engine(), running);
    EXPECT_EQ(ui.Progress().lblStatus().Caption(),
              u"  1 folders processed\r\n  2 messages processed\r\n  2 attachements saved");
    EXPECT_EQ(Log().back(), u"== FINISHED ==");
}

TEST_F(SendGuard, ACheckWhileAQuestionIsUpLeavesTheDialogsEngineInPlace) {
    Open();
    SaveToOut();
    auto& mail = Outgoing();
    TOutlookManager* engine = dialog->Engine();
    Dialog().Type(Dialog().edtDirTo(), u"C:\\Created");
    ui.Boxes().Answer(u"&Yes", [&] {
        ui.Boxes().Answer(u"&Yes");
        Send(mail);
    });
    Dialog().ClickOk();
    EXPECT_FALSE(IsLink(mail));
    EXPECT_EQ(Stored().LastToDir(), u"C:\\Created");
    EXPECT_EQ(dialog->Engine(), engine);
}

TEST_F(SendGuard, ACheckWhileAnotherCheckAsksLeavesItsEngineAlone) {
    auto& first = Outgoing();
    platform.WriteFile(u"C:\\Files\\b.txt", "second file");
    auto& second = b.LooseItem(sim::ItemKind::Mail, u"Second").Link(u"C:\\Files\\b.txt");
    testing_support::TrackLink(platform, second, 1);
    VARIANT_BOOL secondCancel = VARIANT_TRUE;
    ui.Boxes().Answer(u"&Yes", [&] { secondCancel = Send(second); }).Answer(u"&Yes");
    EXPECT_EQ(Send(first), VARIANT_FALSE);
    EXPECT_EQ(secondCancel, VARIANT_FALSE);
    EXPECT_FALSE(IsLink(first) || IsLink(second));
    EXPECT_EQ(dialog->Engine(), nullptr);
}

}  // namespace
