// Closing the host as the real mail client closes: a run of the add-in is
// cancelled first, then the add-in is shut down and the bars are kept; and
// the program itself closes the same way when the session asks it to.

#include <signal.h>

#include <QCheckBox>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <thread>

#include "ChildProcess.h"
#include "HostFixture.h"
#include "mailstore/MessageSummary.h"

namespace host_test {
namespace {

using velmora::desktop::HostSession;

int CountMessagesBelow(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto box = entry.path().parent_path().filename();
        count += entry.is_regular_file() && (box == "cur" || box == "new");
    }
    return count;
}

std::vector<std::string> TemporaryFilesBelow(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().parent_path().filename() == "tmp") found.push_back(entry.path());
    }
    return found;
}

// A mailbox whose save takes long enough for the user to act during it.
class DuringARun : public HostTest {
protected:
    DuringARun() : HostTest(300, 40) {}

    // The options dialog set to save the Inbox and its sub-folders; null when it did not open.
    QWidget* SaveInboxDialog(HostSession& host) {
        if (!host.Window().ShowFolder(Folder("Inbox"))) return nullptr;
        QWidget* dialog = OpenToSaveWithLinks(host, "C:\\Saved");
        if (dialog != nullptr) Child<QCheckBox>(dialog, "chkProcessSubFolders")->click();
        return dialog;
    }

    // Runs the action once, at the first moment the run has processed a few messages.
    void OnceUnderWay(QTimer& timer, std::function<void()> action) {
        QObject::connect(&timer, &QTimer::timeout, [&timer, action] {
            if (ProgressLog().filter(" => Processing mail").size() < 3) return;
            timer.stop();
            action();
        });
        timer.start(5);
    }
};

class Program : public HostTest {};

TEST_F(DuringARun, ClosingCancelsTheRunFirstThenShutsTheAddInDown) {
    const int inboxMessages = CountMessagesBelow(Folder("Inbox"));
    QStringList log;
    QString buttonAfterRun;
    const int status = RunHost([&](HostSession& host) {
        QWidget* dialog = SaveInboxDialog(host);
        ASSERT_NE(dialog, nullptr);
        QTimer closer;
        OnceUnderWay(closer, [&] { host.Window().close(); });
        ModalAnswers answers;
        answers.Click("&Yes");
        Child<QAbstractButton>(dialog, "btnProcess")->click();
        // The run has returned, cancelled; the host has not closed under it.
        EXPECT_FALSE(closer.isActive());
        QTest::qWait(200);
        log = ProgressLog();
        buttonAfterRun = Child<QAbstractButton>(Window("frmProcessLog"), "btnCancel")->text();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(buttonAfterRun, "Done");
    EXPECT_TRUE(log.contains("== FINISHED =="));
    const int processed = log.filter(" => Processing mail").size();
    EXPECT_GE(processed, 3);
    EXPECT_LT(processed, inboxMessages);
    // Shut down as the host does: the add-in let go of its library, the bars were kept.
    EXPECT_TRUE(fs::exists(BarFile()));
    EXPECT_TRUE(TemporaryFilesBelow(mailbox).empty());
    for (const auto& file : Messages(Folder("Inbox"))) {
        EXPECT_TRUE(mailstore::Summarize(file).Problem.empty()) << file;
    }
}

// Whether the process has a handler for the signal now (/proc's SigCgt mask).
bool Catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1) != 0;
    }
    return false;
}

TEST_F(DuringARun, UnloadingWaitsForTheRunToStopAndCancelsIt) {
    const int inboxMessages = CountMessagesBelow(Folder("Inbox"));
    int processed = 0;
    RunHost([&](HostSession& host) {
        QWidget* dialog = SaveInboxDialog(host);
        ASSERT_NE(dialog, nullptr);
        QTimer unloader;
        // The user opens the add-ins dialog during the run and unloads the add-in.
        OnceUnderWay(unloader, [&] {
            QTimer::singleShot(0, [&] {
                velmora::desktop::AddInsDialog* addIns = host.OpenAddInsDialog();
                ASSERT_NE(addIns, nullptr);
                const Finally closeDialog([addIns] { addIns->reject(); });
                Child<QAbstractButton>(addIns, "unload")->click();
                EXPECT_EQ(host.Loader().AddIns()[0].State, sim::AddInState::Connected);
                EXPECT_EQ(addIns->Table().item(0, 2)->text(), "Loaded");
            });
            host.ShowAddIns();
        });
        ModalAnswers answers;
        answers.Click("&Yes");
        Child<QAbstractButton>(dialog, "btnProcess")->click();
        processed = ProgressLog().filter(" => Processing mail").size();
        EXPECT_SOON(host.Loader().AddIns()[0].State == sim::AddInState::Disconnected);
        EXPECT_EQ(Window("frmProcessLog"), nullptr);
    });
    EXPECT_GE(processed, 3);
    EXPECT_LT(processed, inboxMessages);
}

TEST_F(Program, ClosesOnTerminationAsOnTheCloseBoxAndKeepsTheBars) {
    cli_tests::ChildProcess program({VELMORA_HOST_PROGRAM, mailbox.string()});
    bool caught = false;
    for (int i = 0; i < 500 && !caught; ++i) {
        caught = Catches(program.Pid(), SIGTERM);
        if (!caught) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(caught);
    program.Signal(SIGTERM);
    const auto finished = program.Wait();
    EXPECT_EQ(finished.exitStatus, 0) << finished.err;
    QFile bars(QString::fromStdString(BarFile().string()));
    ASSERT_TRUE(bars.open(QIODevice::ReadOnly));
    EXPECT_TRUE(bars.readAll().contains("VelmoraCommandBar"));
}

TEST_F(Program, RefusesWhatIsNoMailboxAndWrongUse) {
    // A directory with no Maildir folder anywhere below it (a tree of them is a mailbox).
    const fs::path empty = temp.Path() / "empty";
    fs::create_directories(empty);
    const auto notAMailbox = cli_tests::Run({VELMORA_HOST_PROGRAM, empty.string()});
    EXPECT_EQ(notAMailbox.exitStatus, 1);
    EXPECT_NE(notAMailbox.err.find("is not a mailbox"), std::string::npos) << notAMailbox.err;
    EXPECT_EQ(cli_tests::Run({VELMORA_HOST_PROGRAM}).exitStatus, 2);
    EXPECT_EQ(cli_tests::Run({VELMORA_HOST_PROGRAM, "--no-such-option", mailbox.string()}).exitStatus, 2);
    EXPECT_EQ(cli_tests::Run({VELMORA_HOST_PROGRAM, mailbox.string(), mailbox.string()}).exitStatus, 2);
    EXPECT_FALSE(fs::exists(BarFile()));
}

}  // namespace
}  // namespace host_test
