// Which target the dialog offers and checks when it opens, and which one OK remembers.
#include "UiFixture.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

class Target : public UiTest {
protected:
    void StoreWhatToProcess(std::uint8_t target) { Stored().SetWhatToProcess(target); }
};

TEST_F(Target, NoFolderAndNoSelectionDisableBothAndOkEndsInNoFolderSelected) {
    Open();
    auto& d = Dialog();
    EXPECT_TRUE(d.Visible());
    EXPECT_FALSE(d.rbtSelectedFolder().Enabled());
    EXPECT_FALSE(d.rbtSelectedMessage().Enabled());
    EXPECT_EQ(d.rbtSelectedFolder().Caption(), u"Selected folder");
    EXPECT_EQ(d.rbtSelectedMessage().Caption(), u"Selected message");
    EXPECT_TRUE(d.rbtSelectedFolder().Checked());
    EXPECT_TRUE(d.chkProcessSubFolders().Enabled());

    SaveToOut();
    d.ClickOk();
    EXPECT_THAT(Boxes(), ElementsAre(u"No folder selected."));
    EXPECT_EQ(ui.Boxes().Shown()[0].Request.Icon, host::MessageIcon::Error);
    EXPECT_THAT(Log(), ElementsAre(u"== FINISHED =="));
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(Stored().LastToDir(), u"C:\\Out");  // options were stored before the run
}

TEST_F(Target, OneSelectedItemShowsItsSubjectAndKeepsTheStoredFolderTarget) {
    Inbox().Mail(u"Quarterly report");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1)});
    Open();
    auto& d = Dialog();
    EXPECT_EQ(d.rbtSelectedFolder().Caption(), u"Selected folder: Inbox");
    EXPECT_EQ(d.rbtSelectedMessage().Caption(), u"Selected message: Quarterly report");
    EXPECT_TRUE(d.rbtSelectedMessage().Enabled());
    EXPECT_TRUE(d.rbtSelectedFolder().Checked());
    EXPECT_FALSE(d.rbtSelectedMessage().Checked());
}

TEST_F(Target, ThreeSelectedItemsAreCountedAndTheStoredMessageTargetIsChecked) {
    StoreWhatToProcess(1);
    for (auto* subject : {u"a", u"b", u"c"}) Inbox().Mail(subject);
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1), &Inbox().ItemAt(2), &Inbox().ItemAt(3)});
    Open();
    auto& d = Dialog();
    EXPECT_EQ(d.rbtSelectedMessage().Caption(), u"All selected messages (3)");
    EXPECT_TRUE(d.rbtSelectedMessage().Checked());
    EXPECT_FALSE(d.rbtSelectedFolder().Checked());
    EXPECT_FALSE(d.chkProcessSubFolders().Enabled());

    d.ClickTarget(d.rbtLetMeChoose());
    EXPECT_TRUE(d.chkProcessSubFolders().Enabled());
    EXPECT_FALSE(d.rbtSelectedMessage().Checked());
}

TEST_F(Target, LetMeChooseIsCheckedUnlessNothingIsSelected) {
    StoreWhatToProcess(2);
    Inbox().Mail(u"m");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1)});
    Open();
    EXPECT_TRUE(Dialog().rbtLetMeChoose().Checked());
    EXPECT_FALSE(Dialog().rbtSelectedFolder().Checked());
    EXPECT_FALSE(Dialog().rbtSelectedMessage().Checked());
    Dialog().ClickCancel();

    // Without a selection the folder target is taken, whatever was stored.
    b.MainExplorer().ShowFolder(nullptr).Select({});
    Open();
    EXPECT_TRUE(Dialog().rbtSelectedFolder().Checked());
    EXPECT_FALSE(Dialog().rbtLetMeChoose().Checked());
}

TEST_F(Target, ContextEntryChecksTheMessageAndOkKeepsTheToolBarTarget) {
    StoreWhatToProcess(2);
    Inbox().Mail(u"m");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1)});
    Open(kOpenedFromContextMenu);
    EXPECT_TRUE(Dialog().rbtSelectedMessage().Checked());
    SaveToOut();
    Dialog().ClickOk();
    EXPECT_EQ(Stored().WhatToProcess(), 2);

    Open(kOpenedFromContextMenu);
    Dialog().ClickTarget(Dialog().rbtSelectedFolder());
    Dialog().ClickOk();
    EXPECT_EQ(Stored().WhatToProcess(), 0);

    // From the tool bar, the message target is remembered.
    Open(kOpenedFromToolBar);
    Dialog().ClickTarget(Dialog().rbtSelectedMessage());
    Dialog().ClickOk();
    EXPECT_EQ(Stored().WhatToProcess(), 1);
    EXPECT_TRUE(ui.Boxes().Shown().empty());
}

TEST_F(Target, OpeningFailsWithoutAnOutlookApplication) {
    auto notAnApplication = sim::As<IUnknown>(Inbox());
    try {
        dialog->ShowForApplication(notAnApplication.Get(), kOpenedFromToolBar);
        FAIL() << "opened without an application";
    } catch (const EVelmoraException& error) {
        EXPECT_EQ(error.Message(), u"Error connecting to Outlook application");
    }
    EXPECT_FALSE(dialog->Visible());
    ASSERT_NE(dialog->Engine(), nullptr);
    EXPECT_FALSE(dialog->Engine()->Connected());
}

}  // namespace
