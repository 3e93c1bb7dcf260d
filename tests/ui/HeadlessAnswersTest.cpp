// The headless views with nobody to read them: every question takes its Esc
// answer, which agrees to nothing, and every box is written where someone
// may read it.
#include "UiFixture.h"

using namespace velmora;
using ui_test::UiTest;

namespace {

class Headless : public UiTest {
protected:
    bool Contains(const std::string& part) const { return boxLog.str().find(part) != std::string::npos; }
};

TEST_F(Headless, AnUnaskedOverwriteQuestionRenamesAndLeavesTheFileAsItWas) {
    Inbox().Mail(u"Mail").Attach(u"a.txt", "the new content");
    b.MainExplorer().ShowFolder(&Inbox());
    platform.WriteFile(u"C:\\Out\\Inbox\\a.txt", "what was there");
    Open();
    SaveToOut();
    Dialog().ChooseItem(Dialog().rgpIfFileExists(), 2);  // ask
    Dialog().ClickOk();

    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    EXPECT_EQ(platform.ReadFile(u"C:\\Out\\Inbox\\a.txt"), "what was there");
    EXPECT_EQ(platform.ReadFile(u"C:\\Out\\Inbox\\a(1).txt"), "the new content");
    // One box, its lines indented below the first, the answer named.
    EXPECT_EQ(boxLog.str(),
              "velmora: Confirm: The file \"a.txt\" already exists on the folder\n"
              "  C:\\Out\\Inbox\n"
              "  Do you want to overwrite it? (No will rename the file adding a number to the end) [No]\n");
}

TEST_F(Headless, AnUnaskedSendGuardStopsTheSendAndAnUnaskedDirectoryIsNotCreated) {
    platform.WriteFile(u"C:\\Files\\a.txt", "linked");
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Files\\a.txt");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    dialog->CheckOutgoingMail(b.App().Identity(), sim::As<Outlook::_MailItem>(mail).Get(), cancel);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(mail.AttachmentAt(1).Type(), Outlook::olByReference);
    EXPECT_TRUE(Contains("velmora: Information: The message you are trying to send contains removed attachments."));
    EXPECT_TRUE(Contains("[Cancel]\n"));

    InboxWithMails(1);
    Open();
    Dialog().Type(Dialog().edtDirTo(), u"C:\\Never");
    Dialog().ClickOk();
    EXPECT_FALSE(platform.FileSystem().DirectoryExists(u"C:\\Never"));
    EXPECT_FALSE(ui.HasProgress());
    EXPECT_TRUE(Contains("Do you want to create it? [No]\n"));
}

TEST_F(Headless, ErrorBoxesAndScriptedAnswersAreWrittenToo) {
    Inbox().Mail(u"m").Attach(u"a.txt", "a");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1)});
    Open();
    SaveToOut();
    Dialog().ClickTarget(Dialog().rbtSelectedMessage());
    b.MainExplorer().Select({});
    ui.Boxes().Answer(u"OK");
    Dialog().ClickOk();
    EXPECT_TRUE(Contains("velmora: Velmora: No message selected. [OK]\n")) << boxLog.str();

    // Text from a message can neither start a line of its own nor drive the terminal.
    ui.Boxes().Dismiss();
    ui.Boxes().Show({u"name\x1b]0;t\x07\r\nnext\nforged", u"Con\u202Efirm", host::MessageIcon::None, {u"&Yes"}, 0, 0});
    EXPECT_TRUE(Contains("velmora: Con\\u202efirm: name\\x1b]0;t\\x07\n  next\\nforged [closed]\n")) << boxLog.str();
}

}  // namespace
