// Message boxes, the message pump, the clipboard and the shell over Qt.

#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>

#include "QtTestSupport.h"
#include "TestPlatform.h"
#include "UrlRecorder.h"
#include "qt/DesktopServices.h"
#include "qt/MessageBoxes.h"
#include "qt/MessagePump.h"

namespace qt_test {
namespace {

const host::MessageBoxRequest kOverwrite{u"The file \"a.txt\" already exists on the folder\r\nC:\\Out\r\nOverwrite?",
                                         u"Confirm",
                                         host::MessageIcon::Question,
                                         {u"&Yes", u"&No", u"N&o to All", u"Yes to &All"},
                                         0,
                                         1};

TEST(MessageBoxes, ShowTheButtonsInOrderAndAnswerTheIndexOfTheOneClicked) {
    qtui::QtMessageBoxes boxes;
    ModalAnswers answers;
    answers.Then([](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        EXPECT_EQ(box.windowTitle(), "Confirm");
        EXPECT_EQ(box.icon(), QMessageBox::Question);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(box.text(), "The file \"a.txt\" already exists on the folder\nC:\\Out\nOverwrite?");
        QStringList captions;
        for (QAbstractButton* button : box.buttons()) captions.append(button->text());
        EXPECT_EQ(captions, QStringList({"&Yes", "&No", "N&o to All", "Yes to &All"}));
        EXPECT_EQ(box.defaultButton()->text(), "&Yes");
        EXPECT_EQ(box.escapeButton()->text(), "&No");
        ButtonWithText(&box, "Yes to &All")->click();
    });
    EXPECT_EQ(boxes.Show(kOverwrite), 3);
}

TEST(MessageBoxes, EnterGivesTheDefaultEscTheEscAnswerAndTheCloseBoxDismissed) {
    qtui::QtMessageBoxes boxes;
    ModalAnswers answers;
    answers.Then([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); })
        .Then([](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); })
        .Then([](QWidget& box) { box.close(); });
    EXPECT_EQ(boxes.Show(kOverwrite), 0);
    EXPECT_EQ(boxes.Show(kOverwrite), 1);
    EXPECT_EQ(boxes.Show(kOverwrite), host::MessageBoxDismissed);
}

TEST(MessageBoxes, AskingWithoutButtonsFails) {
    qtui::QtMessageBoxes boxes;
    EXPECT_THROW(boxes.Show({u"?", u"Confirm", host::MessageIcon::None, {}, 0, 0}), host::HostError);
}

// Sees the events that reach the application after the pump's own filter.
class QuitWatcher : public QObject {
public:
    QuitWatcher() { QCoreApplication::instance()->installEventFilter(this); }
    ~QuitWatcher() override { QCoreApplication::instance()->removeEventFilter(this); }
    int quits = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            ++quits;
            return true;
        }
        return false;
    }
};

TEST(MessagePump, ServesPendingEventsAndReportsNoQuit) {
    qtui::QtMessagePump pump;
    int served = 0;
    QTimer::singleShot(0, [&] { ++served; });
    EXPECT_FALSE(pump.ProcessPendingEvents());
    EXPECT_EQ(served, 1);
}

TEST(MessagePump, APostedQuitIsReportedByEveryPumpAndReachesTheApplicationAfterThem) {
    QuitWatcher watcher;
    qtui::QtMessagePump pump;
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    EXPECT_TRUE(pump.ProcessPendingEvents());
    EXPECT_EQ(watcher.quits, 0);
    // The run goes on pumping until it has cancelled: each pump sees the request again.
    EXPECT_TRUE(pump.ProcessPendingEvents());
    EXPECT_EQ(watcher.quits, 0);
    // Back in the host's loop, the application gets it, once.
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.quits, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.quits, 1);
}

TEST(MessagePump, TheHostsLoopStillQuitsAfterARunThatPumpedItsQuitRequest) {
    qtui::QtMessagePump pump;
    bool reported = false;
    QTimer::singleShot(0, [&] {
        // A run started from an event of the host's loop; the user quits the host meanwhile.
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
        reported = pump.ProcessPendingEvents();
    });
    // Should the request be lost, the loop would run until this ends it with 99.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(reported);
}

TEST(MessagePump, AQuitInsideANestedPumpIsReportedThereAndReachesTheApplicationOnce) {
    QuitWatcher watcher;
    qtui::QtMessagePump pump;
    bool innerSawQuit = false;
    QTimer::singleShot(0, [&] {
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
        innerSawQuit = pump.ProcessPendingEvents();
    });
    pump.ProcessPendingEvents();
    EXPECT_TRUE(innerSawQuit);
    EXPECT_EQ(watcher.quits, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.quits, 1);
}

TEST(Clipboard, HoldsTextAndBitmaps) {
    qtui::QtClipboard clipboard;
    clipboard.SetText(u"line 1\r\nline 2 \u00e9\u4e2d");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdU16String(u"line 1\r\nline 2 \u00e9\u4e2d"));

    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(picture.save(&buffer, "BMP"));
    clipboard.SetBitmap({bmp.begin(), bmp.end()});
    const std::vector<std::uint8_t> back = clipboard.Bitmap();
    QImage read;
    ASSERT_TRUE(read.loadFromData(back.data(), static_cast<int>(back.size()), "BMP"));
    EXPECT_EQ(read.size(), QSize(3, 2));
    EXPECT_EQ(read.pixelColor(2, 1), QColor(Qt::red));

    EXPECT_THROW(clipboard.SetBitmap({'n', 'o'}), host::HostError);
    clipboard.SetText(u"text again");
    EXPECT_TRUE(clipboard.Bitmap().empty());
}

TEST(Shell, OpensWebAddressesAndFilesOnMappedDrives) {
    testing_support::TestPlatform platform;
    platform.WriteFile(u"C:\\Docs\\Read me.txt", "x");
    UrlRecorder recorder({"https", "file"});
    qtui::QtShell shell(platform.FileSystem());
    EXPECT_TRUE(shell.Open(u"https://velmora.example.org/donate"));
    EXPECT_TRUE(shell.Open(u"c:\\docs\\read me.txt"));
    EXPECT_FALSE(shell.Open(u"not an address"));
    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_EQ(recorder.opened[0], QUrl("https://velmora.example.org/donate"));
    EXPECT_EQ(recorder.opened[1].toLocalFile(),
              QString::fromStdString((platform.DrivePath(u'C') / "Docs" / "Read me.txt").string()));
}

}  // namespace
}  // namespace qt_test
