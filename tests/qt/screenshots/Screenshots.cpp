// Takes the README's pictures of the three windows, driven by the window
// logic over an in-memory mail client, as a user would see them:
//   xvfb-run -a -s "-screen 0 1280x800x24" qt_screenshots docs
// writes main-dialog.png, progress-log.png and welcome.png there.

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "engine/uOutlookManagerConfig.h"
#include "qt/MainDialog.h"
#include "qt/ProgressLogWindow.h"
#include "qt/QtUserInterface.h"
#include "qt/WelcomeWindow.h"
#include "sim/OutlookBuilder.h"
#include "ui/frm_Velmora.h"

namespace {

QWidget* TopLevel(const QString& name) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) return window;
    }
    return nullptr;
}

bool Save(QWidget& window, const QDir& out, const QString& file) {
    QApplication::processEvents();
    const bool saved = window.grab().save(out.filePath(file));
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out.filePath(file)));
    return saved;
}

std::u16string U16(const std::string& text) {
    return {text.begin(), text.end()};
}

// A mailbox with a little of everything a run meets.
void FillMailbox(sim::OutlookBuilder& b) {
    auto& store = b.Store(u"Personal Folders");
    auto& inbox = store.Folder(u"Inbox");
    const char* subjects[] = {"Quarterly report", "Holiday pictures", "Contract draft", "Meeting notes",
                              "Invoice March",    "Site photos",      "Budget 2025",    "Team lunch"};
    const char* files[] = {"report.pdf", "beach.jpg", "contract.docx", "notes.txt",
                           "invoice.pdf", "site.png", "budget.xlsx", "menu.pdf"};
    for (int i = 0; i < 8; ++i) {
        auto& mail = inbox.Mail(U16(subjects[i])).Created(2024, 3, 1 + i, 9, 30);
        mail.Attach(U16(files[i]), std::string(2048 + 512 * i, 'x'));
        if (i % 3 == 0) mail.Attach(U16("appendix-" + std::to_string(i) + ".pdf"), std::string(4096, 'y'));
    }
    inbox.Mail(u"Shared folder").Link(u"C:\\Attachments\\Inbox\\plans.pdf");
    inbox.Mail(u"Scanned form").Ole(u"Scanner document");
    auto& projects = inbox.Folder(u"Projects");
    for (int i = 1; i <= 6; ++i) {
        projects.Mail(U16("Project status " + std::to_string(i)))
            .Attach(U16("status-" + std::to_string(i) + ".pdf"), std::string(3000, 'z'));
    }
    b.MainExplorer().ShowFolder(&inbox).Select({&inbox.ItemAt(1)});
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qt_screenshots <output directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(".")) return 1;

    testing_support::TestPlatform platform;
    testing_support::InstallMapiProvider(platform.Registry());
    velmora::TOutlookManagerConfig().SetDisplayedWelcomeMsg(true);
    sim::OutlookBuilder b;
    FillMailbox(b);
    qtui::QtUserInterface qt(platform.FileSystem());
    host::UserInterfaceScope scope(qt.Services());
    velmora::TfrmVelmora dialog;

    dialog.ShowForApplication(b.App().Identity(), velmora::kOpenedFromToolBar);
    auto* main = static_cast<qtui::MainDialog*>(TopLevel("frmVelmora"));
    main->edtDirTo->setText("C:\\Attachments");
    main->edtSize->setText("0");
    main->edtExt->setText(".pdf;.docx;.xlsx;.txt;.jpg;.png");
    bool saved = Save(*main, out, "main-dialog.png");

    platform.FileSystem().MakeDirectory(u"C:\\Attachments");
    main->btnProcess->click();
    auto* progress = static_cast<qtui::ProgressLogWindow*>(TopLevel("frmProcessLog"));
    progress->mmoLog->Flush();
    saved = Save(*progress, out, "progress-log.png") && saved;
    progress->hide();

    dialog.ShowForApplication(b.App().Identity(), velmora::kOpenedFromToolBar);
    QTimer::singleShot(200, [&] {
        auto* welcome = static_cast<qtui::WelcomeWindow*>(QApplication::activeModalWidget());
        saved = welcome != nullptr && Save(*welcome, out, "welcome.png") && saved;
        if (welcome != nullptr) welcome->btnClose->click();
    });
    main->btnTips->click();
    return saved ? 0 : 1;
}
