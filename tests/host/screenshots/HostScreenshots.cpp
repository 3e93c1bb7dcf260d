// Takes the README's pictures of the desktop host with the add-in, over the
// sample mailbox, as a user sees them on an X display:
//   xvfb-run -a -s "-screen 0 1280x800x24" host_screenshots docs
// writes host.png (the main window with the add-in's bar), host-options.png
// (the options dialog over it) and host-progress.png (a finished save).

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "HostFixture.h"

namespace {

using velmora::desktop::HostSession;

bool Save(const QPixmap& picture, const QDir& out, const QString& file) {
    const bool saved = picture.save(out.filePath(file));
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out.filePath(file)));
    return saved;
}

// What the screen shows where the main window is: the windows over it included.
QPixmap ScreenOver(QWidget& window) {
    QApplication::processEvents();
    QTest::qWait(300);
    return QGuiApplication::primaryScreen()->grabWindow(0, window.x(), window.y(), window.frameGeometry().width(),
                                                       window.frameGeometry().height());
}

class Screenshots : public host_test::HostTest {
public:
    Screenshots() : HostTest(120, 12) {}
    void TestBody() override {}

    int Take(const QDir& out) {
        int failed = 0;
        RunHost([&](HostSession& host) {
            auto& window = host.Window();
            window.move(0, 0);
            window.resize(1240, 760);
            window.ShowFolder(Folder("Inbox"));
            // A message with attachments of several kinds, as the reading pane shows them.
            for (const auto& row : window.Table().Rows()) {
                if (row.Attachments >= 2) {
                    window.SelectFiles({row.File});
                    break;
                }
            }
            failed += !Save(ScreenOver(window), out, "host.png");

            host_test::BarAction(window, "VelmoraCommandBar", "Velmora")->trigger();
            QWidget* dialog = host_test::Window("frmVelmora");
            if (dialog == nullptr) {
                ++failed;
                return;
            }
            dialog->move(window.x() + (window.width() - dialog->width()) / 2,
                         window.y() + (window.height() - dialog->height()) / 2);
            qt_test::Child<QRadioButton>(dialog, "rbtSelectedFolder")->click();
            qt_test::Child<QLineEdit>(dialog, "edtDirTo")->setText("C:\\Attachments");
            qt_test::Child<QLineEdit>(dialog, "edtSize")->setText("0");
            failed += !Save(ScreenOver(window), out, "host-options.png");

            qt_test::ModalAnswers answers;
            answers.Click("&Yes");
            qt_test::Child<QAbstractButton>(dialog, "btnProcess")->click();
            QWidget* progress = host_test::Window("frmProcessLog");
            if (progress == nullptr) {
                ++failed;
                return;
            }
            QTest::qWait(300);
            failed += !Save(progress->grab(), out, "host-progress.png");
            qt_test::Child<QAbstractButton>(progress, "btnCancel")->click();
        });
        return failed;
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: host_screenshots <directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "%s is no directory\n", argv[1]);
        return 2;
    }
    Screenshots shots;
    return shots.Take(out) == 0 ? 0 : 1;
}
