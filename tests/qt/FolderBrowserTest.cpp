// The folder browser over Qt's directory dialog: Windows paths in and out
// through the drive map, the start directory, the events, and directories
// that have no Windows path.

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>
#include <filesystem>

#include "QtTestSupport.h"
#include "TestPlatform.h"
#include "qt/FolderBrowser.h"

namespace qt_test {
namespace {

namespace fs = std::filesystem;

class RecordedBrowserEvents final : public host::FolderBrowserEvents {
public:
    void Opened(host::FolderBrowserWindow& window) override {
        ++openings;
        if (!start.empty()) window.Select(start);
        if (!status.empty()) window.SetStatusText(status);
    }
    void SelectionChanged(const std::u16string& directory) override { selections.push_back(directory); }

    std::u16string start;
    std::u16string status;
    int openings = 0;
    std::vector<std::u16string> selections;
};

QString Native(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

QFileDialog& AsFileDialog(QWidget& modal) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    EXPECT_NE(dialog, nullptr) << "not a file dialog: " << modal.windowTitle().toStdString();
    return *dialog;
}

void Confirm(QFileDialog& dialog) {
    QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
}

// Chooses a directory as a program would: goes there and confirms.
ModalAnswers::Action Choose(const fs::path& directory) {
    return [directory](QWidget& modal) {
        QFileDialog& dialog = AsFileDialog(modal);
        dialog.setDirectory(Native(directory));
        Confirm(dialog);
    };
}

// A click on one of the places along the dialog's side.
void ClickPlace(QFileDialog& dialog, int row) {
    auto* places = dialog.findChild<QListView*>("sidebar");
    ASSERT_NE(places, nullptr);
    const QModelIndex place = places->model()->index(row, 0);
    QTest::mouseClick(places->viewport(), Qt::LeftButton, {}, places->visualRect(place).center());
}

class FolderBrowserTest : public ::testing::Test {
protected:
    std::vector<std::u16string>::const_iterator Selected(const std::u16string& directory) const {
        return std::find(events.selections.begin(), events.selections.end(), directory);
    }

    testing_support::TestPlatform platform;
    qtui::QtFolderBrowser browser{platform.FileSystem()};
    RecordedBrowserEvents events;
    const host::FolderBrowseRequest request{u"Choose a folder", host::BrowseRoot::MyComputer, false};
};

TEST_F(FolderBrowserTest, StartsAtTheSelectedDirectoryAmongTheDrivesAndGivesBackAWindowsPath) {
    fs::create_directories(platform.DrivePath(u'C') / "Data");
    fs::create_directories(platform.DrivePath(u'D') / "Archive");
    events.start = u"c:\\DATA";
    ModalAnswers answers;
    answers.Then([&](QWidget& modal) {
        QFileDialog& dialog = AsFileDialog(modal);
        EXPECT_SOON(events.openings == 1);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_EQ(dialog.windowTitle(), "Choose a folder");
        EXPECT_EQ(fs::path(dialog.directory().absolutePath().toStdU16String()), platform.DrivePath(u'C') / "Data");
        EXPECT_EQ(dialog.sidebarUrls(), (QList<QUrl>{QUrl::fromLocalFile(Native(platform.DrivePath(u'C'))),
                                                     QUrl::fromLocalFile(Native(platform.DrivePath(u'D')))}));
        // The user goes to drive D: and types the name of a directory there.
        ClickPlace(dialog, 1);
        EXPECT_EQ(fs::path(dialog.directory().absolutePath().toStdU16String()), platform.DrivePath(u'D'));
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, "Archive");
        Confirm(dialog);
    });
    EXPECT_EQ(browser.Browse(request, events), std::optional<std::u16string>(u"D:\\Archive"));
    EXPECT_NE(Selected(u"D:\\"), events.selections.end()) << "going to the drive changed the selection";
}

TEST_F(FolderBrowserTest, NamesOutsideAnyCodePageTravelWhole) {
    const fs::path unicode = platform.DrivePath(u'C') / fs::path(u"Donn\u00e9es \u65e5\u672c \u0416");
    fs::create_directories(unicode);
    ModalAnswers answers;
    answers.Then(Choose(unicode));
    EXPECT_EQ(browser.Browse(request, events), std::optional<std::u16string>(u"C:\\Donn\u00e9es \u65e5\u672c \u0416"));
}

TEST_F(FolderBrowserTest, CancelledOrOutsideEveryDriveIsNoDirectory) {
    events.start = u"C:\\";
    ModalAnswers answers;
    answers.Then([](QWidget& dialog) { QMetaObject::invokeMethod(&dialog, "reject", Qt::QueuedConnection); })
        .Then([&](QWidget& modal) {
            QFileDialog& dialog = AsFileDialog(modal);
            EXPECT_SOON(events.openings == 2);
            // From the root of C: one level up leaves the drives.
            auto* up = dialog.findChild<QToolButton*>("toParentButton");
            ASSERT_NE(up, nullptr);
            up->click();
            EXPECT_EQ(fs::path(dialog.directory().absolutePath().toStdU16String()), platform.DrivePath(u'C').parent_path());
            Confirm(dialog);
        });
    EXPECT_EQ(browser.Browse(request, events), std::nullopt);
    EXPECT_EQ(browser.Browse(request, events), std::nullopt);
    EXPECT_NE(Selected(u""), events.selections.end()) << "a directory without a Windows path is reported empty";
}

TEST_F(FolderBrowserTest, ShowsTheStatusLineWhenAskedTo) {
    events.status = u"Pick the archive";
    ModalAnswers answers;
    answers.Then([&](QWidget& dialog) {
        EXPECT_SOON(events.openings == 1);
        auto* status = dialog.findChild<QLabel*>("statusText");
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->text(), "Pick the archive");
        QMetaObject::invokeMethod(&dialog, "reject", Qt::QueuedConnection);
    });
    browser.Browse({u"", host::BrowseRoot::MyComputer, true}, events);
}

TEST(FolderBrowserRoots, NoDriveMeansNoBrowser) {
    const posix::WindowsFileSystem noDrives{posix::DriveMap{}};
    qtui::QtFolderBrowser browser(noDrives);
    RecordedBrowserEvents events;
    EXPECT_EQ(browser.Browse({u"", host::BrowseRoot::MyComputer, false}, events), std::nullopt);
    EXPECT_EQ(events.openings, 0);
    EXPECT_TRUE(browser.Places(host::BrowseRoot::MyComputer).empty());
}

}  // namespace
}  // namespace qt_test
