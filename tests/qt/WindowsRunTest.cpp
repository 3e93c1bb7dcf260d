// The window logic over the Qt views: a user clicking through the real
// widgets, runs over the in-memory host saving into the test drives.

#include <gmock/gmock.h>

#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <filesystem>

#include "MapiProvider.h"
#include "QtTestSupport.h"
#include "TestPlatform.h"
#include "engine/uOutlookManagerConfig.h"
#include "qt/MainDialog.h"
#include "qt/ProgressLogWindow.h"
#include "qt/QtUserInterface.h"
#include "qt/WelcomeWindow.h"
#include "sim/OutlookBuilder.h"
#include "ui/frm_Velmora.h"

namespace qt_test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class WindowsRunTest : public ::testing::Test {
protected:
    WindowsRunTest() {
        testing_support::InstallMapiProvider(platform.Registry());
        Settings().SetDisplayedWelcomeMsg(true);
    }

    static velmora::TOutlookManagerConfig Settings() { return {}; }
    sim::MapiFolder& Inbox() { return b.Store(u"Personal Folders").Folder(u"Inbox"); }

    void InboxWithMails(int count) {
        for (int i = 1; i <= count; ++i) {
            const std::u16string n = U16(QString::number(i));
            Inbox().Mail(u"Mail " + n).Attach(u"file" + n + u".txt", "content " + std::to_string(i));
        }
        b.MainExplorer().ShowFolder(&Inbox());
    }

    // Opens the dialog from the tool bar and sets it to save every attachment
    // of the selected folder into the directory, without sub-directories and
    // without removing.
    qtui::MainDialog& OpenToSaveInto(const QString& directory) {
        dialog->ShowForApplication(b.App().Identity(), velmora::kOpenedFromToolBar);
        auto* main = static_cast<qtui::MainDialog*>(TopLevel("frmVelmora"));
        EXPECT_NE(main, nullptr);
        EXPECT_TRUE(main->isVisible());
        main->pgcAction->Tab(0)->click();
        main->rbtSelectedFolder->click();
        main->edtDirTo->setText(directory);
        main->edtSize->setText("0");
        if (main->chkFolders->isChecked()) main->chkFolders->click();
        if (main->chkRemove->isChecked()) main->chkRemove->click();
        return *main;
    }

    // Runs the action once, at the first pump in which the engine is busy.
    void DuringTheRun(std::function<void()> action) {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this, action] {
            if (dialog->Engine() == nullptr || !dialog->Engine()->Busy()) return;
            poll_.stop();
            action();
        });
        poll_.start(0);
    }

    qtui::ProgressLogWindow* Progress() { return static_cast<qtui::ProgressLogWindow*>(TopLevel("frmProcessLog")); }
    QStringList Log() { return Progress() ? Progress()->mmoLog->Lines() : QStringList(); }

    int FilesIn(std::u16string_view windowsDirectory) {
        const auto native = platform.FileSystem().ToNative(windowsDirectory);
        if (!native || !fs::is_directory(*native)) return 0;
        return static_cast<int>(std::distance(fs::directory_iterator(*native), fs::directory_iterator()));
    }

    testing_support::TestPlatform platform;
    sim::OutlookBuilder b;
    qtui::QtUserInterface qt{platform.FileSystem()};
    host::UserInterfaceScope scope{qt.Services()};
    std::unique_ptr<velmora::TfrmVelmora> dialog = std::make_unique<velmora::TfrmVelmora>();
    QTimer poll_;
};

TEST_F(WindowsRunTest, OkSavesTheFolderAndTheLogShowsTheLines) {
    InboxWithMails(2);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    QTest::mouseClick(main.btnProcess, Qt::LeftButton);

    ASSERT_NE(Progress(), nullptr);
    EXPECT_TRUE(Progress()->isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(Log(), QStringList({"Processing folder Inbox", " => Processing mail Mail 2",
                                  "   => Processing att. file2.txt... Attachment saved as C:\\Out\\file2.txt.",
                                  " => Processing mail Mail 1",
                                  "   => Processing att. file1.txt... Attachment saved as C:\\Out\\file1.txt.",
                                  "== FINISHED =="}));
    EXPECT_EQ(Progress()->btnCancel->text(), "Done");
    EXPECT_EQ(Progress()->lblStatus->text(), "  1 folders processed\r\n  2 messages processed\r\n  2 attachements saved");
    EXPECT_EQ(platform.ReadFile(u"C:\\Out\\file1.txt"), "content 1");
    EXPECT_EQ(Settings().LastToDir(), u"C:\\Out");
}

TEST_F(WindowsRunTest, CancelDuringARunStopsIt) {
    InboxWithMails(30);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    DuringTheRun([this] { Progress()->btnCancel->click(); });
    main.btnProcess->click();

    const int saved = FilesIn(u"C:\\Out");
    EXPECT_GE(saved, 1);
    EXPECT_LT(saved, 30);
    EXPECT_EQ(Log().last(), "== FINISHED ==");
    EXPECT_FALSE(Progress()->isVisible()) << "Cancel closes the window";
    EXPECT_FALSE(dialog->Engine()->Busy());
}

TEST_F(WindowsRunTest, AQuitRequestDuringARunCancelsItAndTheProgramStays) {
    InboxWithMails(30);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    DuringTheRun([] { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); });
    main.btnProcess->click();

    EXPECT_LT(FilesIn(u"C:\\Out"), 30);
    EXPECT_EQ(Log().last(), "== FINISHED ==");
    EXPECT_TRUE(Progress()->isVisible());
    EXPECT_EQ(Progress()->btnCancel->text(), "Done");
}

TEST_F(WindowsRunTest, EnterRunsOkAndEscHidesTheDialogWithoutARun) {
    InboxWithMails(1);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    QTest::keyClick(&main, Qt::Key_Escape);
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(Progress(), nullptr);
    EXPECT_EQ(FilesIn(u"C:\\Out"), 0);

    OpenToSaveInto("C:\\Out");
    QTest::keyClick(&main, Qt::Key_Return);
    EXPECT_EQ(FilesIn(u"C:\\Out"), 1);
    EXPECT_EQ(Log().last(), "== FINISHED ==");
}

TEST_F(WindowsRunTest, TheMissingDirectoryQuestionAnsweredYesCreatesIt) {
    InboxWithMails(1);
    qtui::MainDialog& main = OpenToSaveInto("C:\\New\\Place");
    ModalAnswers answers;
    answers.Click("&Yes");
    main.btnProcess->click();
    EXPECT_THAT(answers.Texts(), ElementsAre("The selected directory doesn't exists. Do you want to create it?"));
    EXPECT_TRUE(platform.FileSystem().DirectoryExists(u"C:\\New\\Place"));
    EXPECT_EQ(FilesIn(u"C:\\New\\Place"), 1);
}

TEST_F(WindowsRunTest, AnErrorOfARunIsShownInAnErrorBox) {
    b.MainExplorer().ShowFolder(nullptr);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    EXPECT_TRUE(main.rbtSelectedFolder->isChecked() && !main.rbtSelectedFolder->isEnabled());
    ModalAnswers answers;
    answers.Then([](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.text(), "No folder selected.");
        ButtonWithText(&box, "OK")->click();
    });
    main.btnProcess->click();
    EXPECT_EQ(Log(), QStringList({"== FINISHED =="}));
}

TEST_F(WindowsRunTest, ClosingTheOverwriteQuestionRenamesInsteadOfOverwriting) {
    InboxWithMails(1);
    platform.WriteFile(u"C:\\Out\\file1.txt", "older file");
    qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
    main.rgpIfFileExists->Item(2)->click();
    ModalAnswers answers;
    answers.Then([](QWidget& box) {
        EXPECT_NE(ButtonWithText(&box, "N&o to All"), nullptr);
        box.close();
    });
    main.btnProcess->click();
    EXPECT_EQ(platform.ReadFile(u"C:\\Out\\file1.txt"), "older file");
    EXPECT_EQ(FilesIn(u"C:\\Out"), 2);
}

TEST_F(WindowsRunTest, TheWelcomeWindowFollowsTheFirstRunOnly) {
    Settings().SetDisplayedWelcomeMsg(false);
    InboxWithMails(1);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    for (int run = 1; run <= 2; ++run) {
        qtui::MainDialog& main = OpenToSaveInto("C:\\Out");
        main.btnProcess->click();
        ModalAnswers answers;
        if (run == 1) {
            answers.Then([](QWidget& modal) {
                auto& welcome = dynamic_cast<qtui::WelcomeWindow&>(modal);
                EXPECT_TRUE(welcome.RichEdit1->toPlainText().contains("Thank you for using Velmora"));
                welcome.btnClose->click();
            });
        }
        Progress()->btnCancel->click();
        EXPECT_FALSE(Progress()->isVisible());
    }
    EXPECT_TRUE(Settings().DisplayedWelcomeMsg());
}

TEST_F(WindowsRunTest, CopyPutsTheLogOnTheClipboard) {
    InboxWithMails(1);
    platform.FileSystem().MakeDirectory(u"C:\\Out");
    OpenToSaveInto("C:\\Out").btnProcess->click();
    Progress()->btnCopy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Log().join("\r\n"));
    EXPECT_TRUE(Progress()->mmoLog->textCursor().hasSelection());
}

}  // namespace
}  // namespace qt_test
