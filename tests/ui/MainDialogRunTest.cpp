// Runs started with OK: the progress window, Cancel and quit requests, the
// welcome window after the first run, and the dialog's other buttons.
#include "UiFixture.h"

using namespace velmora;
using ::testing::ElementsAre;
using ui_test::UiTest;

namespace {

class Run : public UiTest {
protected:
    bool Saved(const char16_t* name) {
        return platform.FileSystem().FileExists(std::u16string(u"C:\\Out\\Inbox\\") + name);
    }
};

TEST_F(Run, OkSavesTheFolderAndTheLogShowsEachStep) {
    InboxWithMails(2);
    Open();
    SaveToOut();
    Dialog().ClickOk();
    EXPECT_THAT(Log(), ElementsAre(u"Processing folder Inbox", u" => Processing mail Mail 2",
                                   u"   => Processing att. file2.txt... Attachment saved as C:\\Out\\Inbox\\file2.txt.",
                                   u" => Processing mail Mail 1",
                                   u"   => Processing att. file1.txt... Attachment saved as C:\\Out\\Inbox\\file1.txt.",
                                   u"== FINISHED =="));
    auto& progress = ui.Progress();
    EXPECT_TRUE(progress.Visible());
    EXPECT_FALSE(Dialog().Visible());
    EXPECT_EQ(progress.btnCancel().Caption(), u"Done");
    EXPECT_EQ(progress.lblStatus().Caption(),
              u"  1 folders processed\r\n  2 messages processed\r\n  2 attachements saved");
    EXPECT_EQ(progress.lblFolder().Caption(), u"");
    EXPECT_EQ(progress.Beeps(), 1);
    EXPECT_TRUE(Saved(u"file1.txt") && Saved(u"file2.txt"));
    EXPECT_TRUE(ui.Boxes().Shown().empty());
}

TEST_F(Run, NoMessageSelectedLeavesOnlyTheFinishLine) {
    Inbox().Mail(u"m").Attach(u"a.txt", "a");
    b.MainExplorer().ShowFolder(&Inbox()).Select({&Inbox().ItemAt(1)});
    Open();
    SaveToOut();
    Dialog().ClickTarget(Dialog().rbtSelectedMessage());
    b.MainExplorer().Select({});
    Dialog().ClickOk();
    EXPECT_THAT(Boxes(), ElementsAre(u"No message selected."));
    EXPECT_THAT(Log(), ElementsAre(u"== FINISHED =="));
    EXPECT_FALSE(Dialog().Visible());
}

TEST_F(Run, FolderPickerCancelledFinishesWithoutSaving) {
    InboxWithMails(1);
    b.Session().AnswerPickCancel();
    Open();
    SaveToOut();
    Dialog().ClickTarget(Dialog().rbtLetMeChoose());
    Dialog().ClickOk();
    EXPECT_THAT(Log(), ElementsAre(u"== FINISHED =="));
    EXPECT_TRUE(ui.Boxes().Shown().empty());
    EXPECT_EQ(Stored().WhatToProcess(), 2);
    EXPECT_FALSE(Saved(u"file1.txt"));
}

TEST_F(Run, CancelDuringARunStopsItAndClosesTheWindow) {
    InboxWithMails(3);
    Open();
    SaveToOut();
    ui.Pump().Post([&] { ui.Progress().ClickCancel(); });
    Dialog().ClickOk();
    EXPECT_THAT(Log(), ElementsAre(u"Processing folder Inbox", u" => Processing mail Mail 3",
                                   u"   => Processing att. file3.txt... Attachment saved as C:\\Out\\Inbox\\file3.txt.",
                                   u"== FINISHED =="));
    EXPECT_FALSE(Saved(u"file2.txt") || Saved(u"file1.txt"));
    EXPECT_FALSE(ui.Progress().Visible());
    EXPECT_EQ(ui.WelcomeShowings(), 1);  // the first close after a run
}

TEST_F(Run, AQuitRequestCancelsTheRunButLeavesTheWindowOpen) {
    InboxWithMails(3);
    Open();
    SaveToOut();
    ui.Pump().PostQuit();
    Dialog().ClickOk();
    EXPECT_EQ(Log().size(), 4u);
    EXPECT_TRUE(ui.Progress().Visible());
    EXPECT_EQ(ui.WelcomeShowings(), 0);

    // The next run is not cancelled.
    Open();
    Dialog().ClickOk();
    EXPECT_TRUE(Saved(u"file1.txt") && Saved(u"file2.txt"));
}

TEST_F(Run, TheWelcomeWindowFollowsTheFirstRunOnlyAndCloseWhenFinishedCloses) {
    InboxWithMails(1);
    Open();
    SaveToOut();
    Dialog().ClickOk();
    EXPECT_EQ(ui.WelcomeShowings(), 0);
    ui.Progress().ClickCloseWhenFinished();
    ui.Progress().ClickCancel();
    EXPECT_EQ(ui.WelcomeShowings(), 1);
    EXPECT_TRUE(Stored().DisplayedWelcomeMsg());

    Open();
    Dialog().ClickOk();
    EXPECT_FALSE(ui.Progress().Visible());
    EXPECT_EQ(Log().back(), u"== FINISHED ==");
    EXPECT_EQ(ui.WelcomeShowings(), 1);
}

TEST_F(Run, TipsHidesTheIdleDialogButNotOneThatIsRunning) {
    InboxWithMails(2);
    Open();
    SaveToOut();
    Dialog().ClickTips();
    EXPECT_EQ(ui.WelcomeShowings(), 1);
    EXPECT_FALSE(Dialog().Visible());
    EXPECT_TRUE(Stored().DisplayedWelcomeMsg());

    Open();
    SaveToOut();
    bool visibleAfterTips = false;
    ui.Pump().Post([&] {
        Open();  // the add-in's button, pressed during the run
        Dialog().ClickTips();
        visibleAfterTips = Dialog().Visible();
    });
    Dialog().ClickOk();
    EXPECT_TRUE(visibleAfterTips);
    EXPECT_FALSE(Dialog().Visible());
    EXPECT_EQ(Log().back(), u"== FINISHED ==");
    EXPECT_EQ(Log().size(), 6u);

    // The engine read its settings before Tips set the flag: closing shows the welcome once more.
    ui.Progress().ClickCancel();
    EXPECT_EQ(ui.WelcomeShowings(), 3);
}

TEST_F(Run, AboutAndDonateOpenTheProjectsPages) {
    Open();
    Dialog().ClickAbout();
    Dialog().ClickDonate();
    EXPECT_THAT(ui.Shell().Opened(),
                ElementsAre(u"https://velmora.example.org/about", u"https://velmora.example.org/donate"));
    EXPECT_TRUE(Dialog().Visible());
}

}  // namespace
