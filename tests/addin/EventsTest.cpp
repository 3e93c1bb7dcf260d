// Clicks and ItemSend reaching the add-in through the host's connection
// points, and what shutting it down leaves connected.

#include <fstream>

#include "AddInFixture.h"
#include "addin/ModuleState.h"
#include "base/Utf16.h"

namespace addin_test {
namespace {

constexpr char16_t kReinsertQuestion[] =
    u"The message you are trying to send contains removed attachments. They won't be readable by the message's "
    u"receivers. Do you want to reinsert the original files to the message.";

class AddInEventsTest : public AddInTest {
protected:
    sim::MapiFolder& Inbox() { return b.Store(u"Personal Folders").Folder(u"Inbox"); }
};

TEST_F(AddInEventsTest, AClickOpensTheDialogForTheApplicationAndASecondOneOnlyFrontsIt) {
    b.MainExplorer().ShowFolder(&Inbox());
    Start();

    EXPECT_FALSE(MainButton().Click());
    ASSERT_TRUE(ui.Dialog().Visible());
    EXPECT_EQ(ui.Dialog().rbtSelectedFolder().Caption(), u"Selected folder: Inbox");
    const int raised = ui.Dialog().Raised();

    // Not filled again: the caption keeps the folder shown at the opening.
    b.MainExplorer().ShowFolder(&Inbox().Folder(u"Later"));
    EXPECT_FALSE(MainButton().Click());
    EXPECT_EQ(ui.Dialog().Raised(), raised + 1);
    EXPECT_EQ(ui.Dialog().rbtSelectedFolder().Caption(), u"Selected folder: Inbox");
    EXPECT_TRUE(ui.Boxes().Shown().empty());
}

TEST_F(AddInEventsTest, TheContextEntryOpensTheDialogOnTheSelectedMessage) {
    auto& mail = Inbox().Mail(u"Quarterly report");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&mail});
    Start();

    ContextEntry().Click();
    ASSERT_TRUE(ui.Dialog().Visible());
    EXPECT_TRUE(ui.Dialog().rbtSelectedMessage().Checked());
    EXPECT_EQ(ui.Dialog().rbtSelectedMessage().Caption(), u"Selected message: Quarterly report");
}

TEST_F(AddInEventsTest, AClickThatCannotConnectShowsTheErrorBoxAndReturnsToTheHost) {
    Start();
    b.App().Faults().FailOn("GetNamespace", E_FAIL, u"The store is not available");

    EXPECT_FALSE(MainButton().Click());

    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    const host::MessageBoxRequest& box = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(box.Text, u"Error connecting to Outlook application.");
    EXPECT_EQ(box.Icon, host::MessageIcon::Error);
    EXPECT_EQ(box.Buttons, std::vector<std::u16string>{u"OK"});
}

TEST_F(AddInEventsTest, SettingsThatCannotBeReadAreReportedNotReplacedByTheDefaults) {
    b.MainExplorer().ShowFolder(&Inbox());
    Start();
    std::ofstream(platform.Hives().user, std::ios::binary | std::ios::trunc) << std::string(4096, 'x');

    EXPECT_FALSE(MainButton().Click());

    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    const host::MessageBoxRequest& box = ui.Boxes().Shown()[0].Request;
    EXPECT_EQ(box.Icon, host::MessageIcon::Error);
    EXPECT_NE(box.Text.find(u"The user's registry hive " + velmora::FromUtf8(platform.Hives().user.string()) +
                            u" cannot be read (file is not a database)"),
              std::u16string::npos)
        << velmora::ToUtf8(box.Text);
    EXPECT_FALSE(ui.Dialog().Visible());
}

TEST_F(AddInEventsTest, SendingAMailWithLinksRunsTheSendGuardAndCancelStopsIt) {
    Start();
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Attachments\\report.pdf");

    ui.Boxes().Answer(u"Cancel");
    EXPECT_FALSE(b.App().Send(mail));
    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    EXPECT_EQ(ui.Boxes().Shown()[0].Request.Text, kReinsertQuestion);
    EXPECT_EQ(mail.CurrentAttachments().size(), 1u);

    ui.Boxes().Answer(u"&No");
    EXPECT_TRUE(b.App().Send(mail));
    EXPECT_EQ(ui.Boxes().Shown().size(), 2u);
}

TEST_F(AddInEventsTest, SendingAMailWithoutLinksOrAnAppointmentAsksNothing) {
    Start();
    auto& plain = b.LooseItem(sim::ItemKind::Mail, u"Plain").Attach(u"a.txt", "text");
    auto& appointment = b.LooseItem(sim::ItemKind::Appointment, u"Meeting").Link(u"C:\\Attachments\\agenda.pdf");

    EXPECT_TRUE(b.App().Send(plain));
    EXPECT_TRUE(b.App().Send(appointment));
    EXPECT_TRUE(ui.Boxes().Shown().empty());
    EXPECT_FALSE(ui.Dialog().Visible());
}

TEST_F(AddInEventsTest, AFailingSendGuardShowsTheErrorAndTheMailGoesOut) {
    Start();
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Attachments\\report.pdf");
    mail.AttachmentList().Faults().FailOn("Count", E_FAIL, u"The item is locked");

    EXPECT_TRUE(b.App().Send(mail));
    ASSERT_EQ(ui.Boxes().Shown().size(), 1u);
    EXPECT_EQ(ui.Boxes().Shown()[0].Request.Text, u"The item is locked.");
}

TEST_F(AddInEventsTest, DisconnectingAsTheUserUnloadsFreesTheSinksAndTheDialog) {
    Start();
    MainButton().Click();
    ASSERT_TRUE(ui.Dialog().Visible());
    sim::CommandBarButton& entry = ContextEntry();

    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnDisconnection(Office::ext_dm_UserClosed, &custom), S_OK);

    EXPECT_EQ(MainButton().ClickSinkCount(), 0u);
    EXPECT_EQ(entry.ClickSinkCount(), 0u);
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
    EXPECT_EQ(b.App().EventSinkCount(), 0u);
    EXPECT_THROW(ui.Dialog(), std::logic_error);
    // The bar and its controls stay in the host.
    EXPECT_EQ(ToolBar().Data().Controls.size(), 1u);
    EXPECT_EQ(ContextEntries(), 1);
    addIn.Reset();
}

TEST_F(AddInEventsTest, AHostThatSkipsOnBeginShutdownKeepsNoSinkAfterDisconnecting) {
    Start();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnDisconnection(Office::ext_dm_HostShutdown, &custom), S_OK);
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
    EXPECT_EQ(b.App().EventSinkCount(), 0u);
    EXPECT_EQ(MainButton().ClickSinkCount(), 0u);
    EXPECT_EQ(ContextEntry().ClickSinkCount(), 0u);

    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Attachments\\report.pdf");
    EXPECT_TRUE(b.App().Send(mail));
    EXPECT_TRUE(ui.Boxes().Shown().empty());
    addIn.Reset();
}

TEST_F(AddInEventsTest, AHostThatLetsTheObjectGoWithoutDisconnectingGetsItsConnectionsBack) {
    Start();
    addIn.Reset();
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
    EXPECT_EQ(b.App().EventSinkCount(), 0u);
    EXPECT_EQ(MainButton().ClickSinkCount(), 0u);
    EXPECT_EQ(ContextEntry().ClickSinkCount(), 0u);
    EXPECT_FALSE(velmora::ModuleApplication());
}

TEST_F(AddInEventsTest, OnBeginShutdownDisconnectsEverySinkAndTheClicksStop) {
    Start();
    SAFEARRAY* custom = nullptr;
    ASSERT_EQ(addIn->OnBeginShutdown(&custom), S_OK);

    EXPECT_EQ(MainButton().ClickSinkCount(), 0u);
    EXPECT_EQ(ContextEntry().ClickSinkCount(), 0u);
    EXPECT_EQ(Bars().UpdateSinkCount(), 0u);
    EXPECT_EQ(b.App().EventSinkCount(), 0u);
    MainButton().Click();
    EXPECT_THROW(ui.Dialog(), std::logic_error);
    // A second call finds nothing left to do.
    EXPECT_EQ(addIn->OnBeginShutdown(&custom), S_OK);
    ASSERT_EQ(addIn->OnDisconnection(Office::ext_dm_HostShutdown, &custom), S_OK);
    addIn.Reset();
}

}  // namespace
}  // namespace addin_test
