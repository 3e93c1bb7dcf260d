#include "HostFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QCoreApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cstdlib>

#include "ChildProcess.h"
#include "HostPlatform.h"
#include "MapiProvider.h"
#include "engine/uOutlookManagerConfig.h"
#include "mailstore/Maildir.h"
#include "mailstore/MessageSummary.h"
#include "posix/registry/SqliteRegistry.h"

namespace host_test {

namespace {

constexpr int kHostDeadlineMs = 120000;
constexpr const char* kEnvironment[] = {"VELMORA_USER_REGISTRY", "VELMORA_MACHINE_REGISTRY", "VELMORA_DRIVES"};

}  // namespace

HostTest::HostTest(int messages, int megabytes) : mailbox(temp.Path() / "mailbox"), linkRoot(temp.Path() / "links") {
    const fs::path registry = temp.Path() / "registry";
    fs::create_directories(registry);
    fs::create_directories(Drive('c'));
    fs::create_directories(Drive('d'));
    setenv("VELMORA_USER_REGISTRY", (registry / "user-registry.db").c_str(), 1);
    setenv("VELMORA_MACHINE_REGISTRY", (registry / "machine-registry.db").c_str(), 1);
    const std::string drives = "C=" + Drive('c').string() + ";D=" + Drive('d').string();
    setenv("VELMORA_DRIVES", drives.c_str(), 1);

    const auto generated = cli_tests::Run({SAMPLE_GENERATOR, "--out", mailbox.string(), "--link-root",
                                           linkRoot.string(), "--messages", std::to_string(messages), "--size-mb",
                                           std::to_string(megabytes)});
    EXPECT_EQ(generated.exitStatus, 0) << generated.err;
    const auto registered = cli_tests::Run({VELMORA_REGSVR_TOOL, "-s", VELMORA_ADDIN_LIBRARY});
    EXPECT_EQ(registered.exitStatus, 0) << registered.err;
    posix::SqliteRegistry hives(posix::HiveFiles::FromEnvironment());
    testing_support::InstallMapiProvider(hives);
}

HostTest::~HostTest() {
    for (const char* name : kEnvironment) unsetenv(name);
}

int HostTest::RunHost(const std::function<void(velmora::desktop::HostSession&)>& script) {
    velmora::desktop::HostPlatform platform;
    velmora::TOutlookManagerConfig().SetDisplayedWelcomeMsg(welcomeSeen);
    velmora::desktop::HostSession session(mailbox, platform.Files(), QString::fromStdString(BarFile().string()));
    QTimer::singleShot(0, &session, [&] {
        script(session);
        session.RequestClose();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] {
        ADD_FAILURE() << "the host did not close in time";
        QCoreApplication::exit(3);
    });
    deadline.start(kHostDeadlineMs);
    return session.Run();
}

std::vector<fs::path> HostTest::Messages(const fs::path& folder) { return mailstore::maildir::MessageFiles(folder); }

fs::path HostTest::MessageWithSubject(const fs::path& folder, const std::u16string& subject) {
    for (const auto& file : Messages(folder)) {
        if (mailstore::Summarize(file).Subject == subject) return file;
    }
    ADD_FAILURE() << "no message with that subject in " << folder;
    return {};
}

std::vector<std::string> HostTest::FilesBelow(const fs::path& directory) {
    std::vector<std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) files.push_back(it->path().lexically_relative(directory).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

QWidget* Window(const QString& objectName) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->objectName() == objectName) return window;
    }
    return nullptr;
}

QAction* BarAction(velmora::desktop::MainWindow& window, const QString& bar, const QString& caption) {
    for (QToolBar* toolBar : window.findChildren<QToolBar*>(bar)) {
        if (toolBar->isHidden()) continue;
        for (QAction* action : toolBar->actions()) {
            if (action->text() == caption) return action;
        }
    }
    return nullptr;
}

QStringList ContextMenuTexts(velmora::desktop::MainWindow& window) {
    QMenu menu;
    window.FillItemMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions()) {
        if (!action->isSeparator()) texts.append(action->text());
    }
    return texts;
}

QStringList ProgressLog() {
    QWidget* progress = Window("frmProcessLog");
    auto* log = progress != nullptr ? progress->findChild<QPlainTextEdit*>("mmoLog") : nullptr;
    return log != nullptr ? log->toPlainText().split(u'\n') : QStringList();
}

QWidget* OpenToSaveWithLinks(velmora::desktop::HostSession& host, const QString& directory) {
    QAction* button = BarAction(host.Window(), "VelmoraCommandBar", "Velmora");
    if (button == nullptr) return nullptr;
    button->trigger();
    QWidget* dialog = Window("frmVelmora");
    if (dialog == nullptr) return nullptr;
    ButtonWithText(dialog, "Save attachments")->click();
    Child<QRadioButton>(dialog, "rbtSelectedFolder")->click();
    if (auto* sub = Child<QCheckBox>(dialog, "chkProcessSubFolders"); sub->isChecked()) sub->click();
    if (auto* remove = Child<QCheckBox>(dialog, "chkRemove"); !remove->isChecked()) remove->click();
    ButtonWithText(dialog, "Replace by link attachment")->click();
    if (auto* folders = Child<QCheckBox>(dialog, "chkFolders"); folders->isChecked()) folders->click();
    Child<QLineEdit>(dialog, "edtDirTo")->setText(directory);
    Child<QLineEdit>(dialog, "edtSize")->setText("0");
    return dialog;
}

bool SaveWithLinks(velmora::desktop::HostSession& host, const QString& directory) {
    QWidget* dialog = OpenToSaveWithLinks(host, directory);
    if (dialog == nullptr) return false;
    ModalAnswers answers;
    answers.Click("&Yes");
    Child<QAbstractButton>(dialog, "btnProcess")->click();
    QWidget* progress = Window("frmProcessLog");
    if (progress == nullptr || !QTest::qWaitFor([] { return ProgressLog().contains("== FINISHED =="); }, 5000)) {
        return false;
    }
    Child<QAbstractButton>(progress, "btnCancel")->click();
    return true;
}

}  // namespace host_test
