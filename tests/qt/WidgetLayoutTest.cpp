// The widget trees as the window layouts give them: sizes, positions,
// fonts, flags, and the behaviour of the composite controls.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTextBrowser>
#include <QToolButton>

#include "QtTestSupport.h"
#include "qt/Fonts.h"
#include "qt/MainDialog.h"
#include "qt/ProgressLogWindow.h"
#include "qt/WelcomeWindow.h"

namespace qt_test {
namespace {

using qtui::MainDialog;

TEST(MainDialogLayout, WindowIsAFixedToolWindowWithOnlyACloseBox) {
    MainDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Ondrel Velmora - v2.1");
    EXPECT_EQ(dialog.size(), QSize(605, 426));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(MainDialogLayout, ControlsSitWhereTheLayoutPutsThem) {
    MainDialog d;
    EXPECT_EQ(d.GroupBox1->geometry(), QRect(16, 8, 577, 105));
    EXPECT_EQ(d.rbtLetMeChoose->geometry(), QRect(16, 60, 545, 17));
    EXPECT_EQ(d.pgcAction->geometry(), QRect(12, 124, 585, 252));
    EXPECT_EQ(d.rgpReplace->geometry(), QRect(8, 8, 265, 81));
    EXPECT_EQ(d.edtDirTo->geometry(), QRect(16, 24, 225, 19));
    EXPECT_EQ(d.btnDirTo->geometry(), QRect(241, 24, 24, 19));
    EXPECT_EQ(d.edtSize->geometry(), QRect(158, 61, 43, 19));
    EXPECT_EQ(d.updSize->geometry(), QRect(201, 61, 15, 19));
    EXPECT_EQ(d.edtMoveTo->geometry(), QRect(8, 120, 225, 19));
    EXPECT_EQ(d.btnCancel->geometry(), QRect(434, 384, 75, 25));
    EXPECT_EQ(d.btnProcess->geometry(), QRect(514, 384, 75, 25));
    // Children are placed in their parents: the size field in "Additional options" on the first page.
    EXPECT_EQ(d.edtSize->parentWidget(), d.GroupBox3);
    EXPECT_EQ(d.GroupBox3->parentWidget(), d.tbsRemove);
    EXPECT_EQ(d.pgcAction->Page(0), d.tbsRemove);
    EXPECT_EQ(d.tbsMove->objectName(), "tbsMove");
}

TEST(MainDialogLayout, FontsAreElevenPixelsAndTheBottomButtonsAndTabsBold) {
    MainDialog d;
    EXPECT_EQ(d.font().pixelSize(), 11);
    EXPECT_EQ(d.chkFolders->font().pixelSize(), 11);
    EXPECT_FALSE(d.chkFolders->font().bold());
    for (QPushButton* button : {d.btnAbout, d.btnDonate, d.btnTips, d.btnCancel, d.btnProcess}) {
        EXPECT_TRUE(button->font().bold()) << button->objectName().toStdString();
    }
    for (int page = 0; page < d.pgcAction->Count(); ++page) EXPECT_TRUE(d.pgcAction->Tab(page)->font().bold());
    EXPECT_FALSE(d.btnDirTo->font().bold());
}

TEST(MainDialogLayout, CaptionsFitTheirControls) {
    MainDialog d;
    d.show();
    for (QCheckBox* box : d.findChildren<QCheckBox*>()) {
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
    }
    for (QRadioButton* item : d.rgpReplace->findChildren<QRadioButton*>()) {
        EXPECT_LE(item->sizeHint().width(), item->width()) << item->text().toStdString();
    }
}

TEST(MainDialogLayout, BuiltWithTheTableTextsAndStates) {
    MainDialog d;
    for (QRadioButton* target : {static_cast<QRadioButton*>(d.rbtSelectedFolder), static_cast<QRadioButton*>(d.rbtSelectedMessage),
                                 static_cast<QRadioButton*>(d.rbtLetMeChoose)}) {
        EXPECT_FALSE(target->isChecked());
    }
    EXPECT_TRUE(d.chkProcessSubFolders->isChecked());
    EXPECT_EQ(d.pgcAction->ActivePage(), 0);
    EXPECT_TRUE(d.pgcAction->Tab(0)->isChecked());
    EXPECT_EQ(d.rgpReplace->ItemIndex(), 0);
    EXPECT_EQ(d.rgpReplace->Item(2)->text(), "Don't replace by anything, just remove");
    EXPECT_EQ(d.rgpIfFileExists->title(), " If file already exists... ");
    EXPECT_EQ(d.rgpIfFileExists->ItemIndex(), 0);
    EXPECT_EQ(d.edtDirTo->text(), "C:\\Attachments");
    EXPECT_EQ(d.edtMoveTo->text(), "D:\\Attachments");
    EXPECT_EQ(d.edtSize->text(), "0");
    EXPECT_TRUE(d.chkDeleteAfterReintr->isChecked());
    EXPECT_FALSE(d.chkInlineImages->isChecked());
    EXPECT_TRUE(d.btnProcess->isDefault());
}

TEST(MainDialogLayout, RemoveCheckBoxCoversTheTitleOfItsRadioGroup) {
    MainDialog d;
    EXPECT_EQ(d.chkRemove->geometry(), QRect(1, 6, 121, 17));
    EXPECT_EQ(d.chkRemove->parentWidget(), d.rgpReplace->parentWidget());
    EXPECT_TRUE(d.chkRemove->autoFillBackground());
    const QObjectList siblings = d.tbsRemove->children();
    EXPECT_GT(siblings.indexOf(d.chkRemove), siblings.indexOf(d.rgpReplace)) << "drawn over the group";
    // The group's title, where the style draws it, lies under the check box.
    QStyleOptionGroupBox option;
    option.initFrom(d.rgpReplace);
    option.text = d.rgpReplace->title();
    option.textAlignment = d.rgpReplace->alignment();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.lineWidth = 1;
    const QRect title =
        d.rgpReplace->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, d.rgpReplace);
    ASSERT_FALSE(title.isEmpty());
    const QRect titleOnPage(d.rgpReplace->mapTo(d.tbsRemove, title.topLeft()), title.size());
    EXPECT_TRUE(d.chkRemove->geometry().contains(titleOnPage.center())) << "title at x " << titleOnPage.x();
    EXPECT_GE(d.chkRemove->geometry().right(), titleOnPage.right());
}

TEST(TargetButtons, CheckingOneUnchecksTheOthersAndUncheckingLeavesNoneChecked) {
    MainDialog d;
    d.rbtSelectedFolder->setChecked(true);
    d.rbtLetMeChoose->setChecked(true);
    EXPECT_FALSE(d.rbtSelectedFolder->isChecked());
    EXPECT_TRUE(d.rbtLetMeChoose->isChecked());
    d.rbtLetMeChoose->setChecked(false);
    EXPECT_FALSE(d.rbtSelectedFolder->isChecked() || d.rbtSelectedMessage->isChecked() ||
                 d.rbtLetMeChoose->isChecked());
}

TEST(TargetButtons, AClickChecksButNeverUnchecks) {
    MainDialog d;
    d.rbtSelectedMessage->click();
    EXPECT_TRUE(d.rbtSelectedMessage->isChecked());
    d.rbtSelectedMessage->click();
    EXPECT_TRUE(d.rbtSelectedMessage->isChecked());
    d.rbtSelectedFolder->click();
    EXPECT_FALSE(d.rbtSelectedMessage->isChecked());
    EXPECT_TRUE(d.rbtSelectedFolder->isChecked());
}

TEST(RadioGroupControl, IndexOutsideTheItemsSelectsNone) {
    MainDialog d;
    d.rgpIfFileExists->SetItemIndex(2);
    EXPECT_TRUE(d.rgpIfFileExists->Item(2)->isChecked());
    d.rgpIfFileExists->SetItemIndex(7);
    EXPECT_EQ(d.rgpIfFileExists->ItemIndex(), -1);
    d.rgpIfFileExists->SetItemIndex(1);
    EXPECT_EQ(d.rgpIfFileExists->ItemIndex(), 1);
    // Still exclusive after having had none.
    d.rgpIfFileExists->Item(0)->click();
    EXPECT_EQ(d.rgpIfFileExists->ItemIndex(), 0);
    EXPECT_FALSE(d.rgpIfFileExists->Item(1)->isChecked());
}

TEST(UpDownArrows, StepFromTheTypedNumberWithinTheRangeWithoutWrapping) {
    MainDialog d;
    d.updSize->UpButton()->click();
    EXPECT_EQ(d.edtSize->text(), "1");
    d.edtSize->setText("29999");
    d.updSize->UpButton()->click();
    d.updSize->UpButton()->click();
    EXPECT_EQ(d.edtSize->text(), "30000");
    EXPECT_EQ(d.updSize->Position(), 30000);
    d.edtSize->setText("0");
    d.updSize->DownButton()->click();
    EXPECT_EQ(d.edtSize->text(), "0");
    // Text that is no number steps from the last position.
    d.updSize->SetPosition(5);
    d.edtSize->setText("abc");
    d.updSize->UpButton()->click();
    EXPECT_EQ(d.edtSize->text(), "6");
    // Setting the position keeps the field's text and stays in range.
    d.updSize->SetPosition(-4);
    EXPECT_EQ(d.updSize->Position(), 0);
    EXPECT_EQ(d.edtSize->text(), "6");
}

TEST(PageTabs, AClickOnATabShowsItsPageAndAnIndexOutsideIsIgnored) {
    MainDialog d;
    d.show();
    d.pgcAction->Tab(2)->click();
    EXPECT_EQ(d.pgcAction->ActivePage(), 2);
    EXPECT_TRUE(d.edtMoveTo->isVisible());
    EXPECT_FALSE(d.edtDirTo->isVisible());
    EXPECT_FALSE(d.pgcAction->Tab(0)->isChecked());
    d.pgcAction->SetActivePage(3);
    EXPECT_EQ(d.pgcAction->ActivePage(), 2);
    d.pgcAction->SetActivePage(1);
    EXPECT_TRUE(d.pgcAction->Tab(1)->isChecked());
    EXPECT_TRUE(d.chkDeleteAfterReintr->isVisible());
}

TEST(ProgressWindowLayout, ResizableToolWindowWithItsMinimumSize) {
    qtui::ProgressLogWindow w;
    EXPECT_EQ(w.windowTitle(), "Processing...");
    EXPECT_EQ(w.size(), QSize(640, 395));
    EXPECT_EQ(w.minimumSize(), QSize(360, 278));
    EXPECT_GT(w.maximumSize().width(), 640);
    EXPECT_EQ(w.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(w.mmoLog->geometry(), QRect(16, 56, 608, 277));
    EXPECT_EQ(w.mmoLog->font().pixelSize(), 9);
    EXPECT_TRUE(w.mmoLog->isReadOnly());
    EXPECT_EQ(w.mmoLog->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(w.btnCancel->font().bold());
    EXPECT_FALSE(w.btnCopy->font().bold());
    EXPECT_FALSE(w.chkCloseWhenFinished->isChecked());
}

TEST(ProgressWindowLayout, ControlsFollowTheSidesTheyAreAnchoredTo) {
    qtui::ProgressLogWindow w;
    w.show();
    w.resize(740, 495);
    EXPECT_EQ(w.lblStatus->geometry(), QRect(16, 9, 337, 39));
    EXPECT_EQ(w.mmoLog->geometry(), QRect(16, 56, 708, 377));
    EXPECT_EQ(w.btnCopy->geometry(), QRect(16, 462, 105, 25));
    EXPECT_EQ(w.chkCloseWhenFinished->geometry(), QRect(508, 466, 121, 17));
    EXPECT_EQ(w.btnCancel->geometry(), QRect(649, 462, 75, 25));
    EXPECT_EQ(w.lblFolder->y(), 440);
}

TEST(WelcomeWindowLayout, FixedDialogWithTheDocumentInAWhiteFrame) {
    qtui::WelcomeWindow w;
    EXPECT_EQ(w.windowTitle(), "Welcome to Velmora");
    EXPECT_EQ(w.size(), QSize(780, 480));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_EQ(w.Shape1->geometry(), QRect(16, 16, 745, 409));
    EXPECT_EQ(w.Shape1->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.RichEdit1->geometry(), QRect(24, 24, 729, 393));
    EXPECT_EQ(w.RichEdit1->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(w.RichEdit1->isReadOnly());
    EXPECT_FALSE(w.RichEdit1->openLinks());
    EXPECT_FALSE(w.RichEdit1->openExternalLinks());
    EXPECT_EQ(w.btnClose->geometry(), QRect(690, 440, 75, 25));
    EXPECT_TRUE(w.btnClose->isDefault());
}

}  // namespace
}  // namespace qt_test
