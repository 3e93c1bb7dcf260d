// The views one to one with the window logic's interfaces: what the user
// does reaches the events, what code sets does not, and the keys and close
// boxes answer as the layouts say.

#include <QCheckBox>
#include <QCloseEvent>
#include <QMessageBox>
#include <string>
#include <vector>

#include "QtTestSupport.h"
#include "qt/MessageBoxes.h"
#include "qt/QtMainDialogView.h"
#include "qt/QtProgressLogView.h"

namespace qt_test {
namespace {

class RecordedDialogEvents final : public host::MainDialogEvents {
public:
    void btnProcessClick() override { calls.push_back("btnProcessClick"); }
    void btnCancelClick() override { calls.push_back("btnCancelClick"); }
    void btnAboutClick() override { calls.push_back("btnAboutClick"); }
    void btnDonateClick() override { calls.push_back("btnDonateClick"); }
    void btnTipsClick() override { calls.push_back("btnTipsClick"); }
    void btnDirToClick(host::DirButton sender) override {
        calls.push_back("btnDirToClick " + std::to_string(static_cast<int>(sender)));
    }
    void chkRemoveClick() override { calls.push_back("chkRemoveClick"); }
    void rbtSelectedFolderClick() override { calls.push_back("rbtSelectedFolderClick"); }
    void FormDeactivate() override { calls.push_back("FormDeactivate"); }

    std::vector<std::string> calls;
};

class RecordedProgressEvents final : public host::ProgressLogEvents {
public:
    void btnCancelClick() override { calls.push_back("btnCancelClick"); }
    void btnCopyClick() override { calls.push_back("btnCopyClick"); }
    void CloseRequested() override { calls.push_back("CloseRequested"); }

    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class MainDialogViewTest : public ::testing::Test {
protected:
    RecordedDialogEvents events;
    qtui::QtMainDialogView view{events};
    qtui::MainDialog& w = view.Window();
};

TEST_F(MainDialogViewTest, ClicksReachTheirEventsAndTheDirectoryButtonsNameThemselves) {
    w.btnProcess->click();
    w.btnAbout->click();
    w.btnDonate->click();
    w.btnTips->click();
    w.btnMoveTo->click();
    w.btnDirTo->click();
    w.btnMoveFrom->click();
    w.chkRemove->click();
    w.rbtLetMeChoose->click();
    EXPECT_EQ(events.calls, (Calls{"btnProcessClick", "btnAboutClick", "btnDonateClick", "btnTipsClick",
                                   "btnDirToClick 2", "btnDirToClick 0", "btnDirToClick 1", "chkRemoveClick",
                                   "rbtSelectedFolderClick"}));
    // The click changed the control before the event ran.
    EXPECT_FALSE(view.chkRemove().Checked());
    EXPECT_TRUE(view.rbtLetMeChoose().Checked());
}

TEST_F(MainDialogViewTest, ChangesFromCodeCallNoEvent) {
    view.chkRemove().SetChecked(false);
    view.rbtSelectedMessage().SetChecked(true);
    view.rbtSelectedFolder().SetChecked(true);
    view.rgpReplace().SetItemIndex(2);
    view.pgcAction().SetActivePage(1);
    view.edtDirTo().SetText(u"D:\\Elsewhere");
    EXPECT_TRUE(events.calls.empty());
    EXPECT_FALSE(view.rbtSelectedMessage().Checked());
    EXPECT_EQ(view.rgpReplace().ItemIndex(), 2);
    EXPECT_EQ(w.edtDirTo->text(), "D:\\Elsewhere");
}

TEST_F(MainDialogViewTest, EnterRunsOkEscRunsCancelAndTheCloseBoxOnlyHides) {
    view.Show();
    ASSERT_TRUE(view.Visible());
    QTest::keyClick(&w, Qt::Key_Return);
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(events.calls, (Calls{"btnProcessClick", "btnCancelClick"}));
    EXPECT_TRUE(view.Visible()) << "hiding is the logic's business";
    w.close();
    EXPECT_FALSE(view.Visible());
    EXPECT_EQ(events.calls.size(), 2u);
}

TEST_F(MainDialogViewTest, CaptionsKeepAmpersandsAsCharacters) {
    view.rbtSelectedMessage().SetCaption(u"Selected message: Q&A");
    EXPECT_EQ(view.rbtSelectedMessage().Caption(), u"Selected message: Q&A");
    EXPECT_EQ(w.rbtSelectedMessage->text(), "Selected message: Q&&A");
}

TEST_F(MainDialogViewTest, LosingTheFocusToAQuestionBoxDeactivatesButToASystemBoxDoesNot) {
    view.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    qtui::QtMessageBoxes boxes;
    {
        ModalAnswers answers;
        answers.Click("OK");
        boxes.Show({u"An error.", u"Error", host::MessageIcon::Error, {u"OK"}, 0, 0, true});
    }
    EXPECT_EQ(std::count(events.calls.begin(), events.calls.end(), "FormDeactivate"), 0);
    // Without a window manager nothing gives the focus back by itself.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    {
        ModalAnswers answers;
        answers.Then([](QWidget& box) {
            EXPECT_SOON(QApplication::activeWindow() == &box);
            ButtonWithText(&box, "&Yes")->click();
        });
        boxes.Show({u"Go on?", u"Confirm", host::MessageIcon::Question, {u"&Yes", u"&No"}, 0, 1, false});
    }
    EXPECT_EQ(std::count(events.calls.begin(), events.calls.end(), "FormDeactivate"), 1);
}

class ProgressViewTest : public ::testing::Test {
protected:
    RecordedProgressEvents events;
    qtui::QtProgressLogView view{events};
    qtui::ProgressLogWindow& w = view.Window();
};

TEST_F(ProgressViewTest, CloseBoxAsksTheLogicAndLeavesTheWindowOpen) {
    view.Show();
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(view.Visible());
    EXPECT_EQ(events.calls, Calls{"CloseRequested"});
    view.Hide();
    EXPECT_FALSE(view.Visible());
}

TEST_F(ProgressViewTest, EscAndTheButtonsReachTheirEvents) {
    view.Show();
    QTest::keyClick(&w, Qt::Key_Escape);
    w.btnCopy->click();
    w.btnCancel->click();
    w.chkCloseWhenFinished->click();
    EXPECT_EQ(events.calls, (Calls{"btnCancelClick", "btnCopyClick", "btnCancelClick"}));
    EXPECT_TRUE(view.chkCloseWhenFinished().Checked());
}

TEST_F(ProgressViewTest, LabelsShowTextAsItIs) {
    view.lblFolder().SetCaption(u"Processing <b>Inbox</b> / R&D...");
    EXPECT_EQ(w.lblFolder->textFormat(), Qt::PlainText);
    EXPECT_EQ(view.lblFolder().Caption(), u"Processing <b>Inbox</b> / R&D...");
    view.btnCancel().SetCaption(u"Done");
    EXPECT_EQ(w.btnCancel->text(), "Done");
}

}  // namespace
}  // namespace qt_test
