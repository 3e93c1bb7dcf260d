#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AddInsDialog.h"
#include "AfterRuns.h"
#include "AttachmentOpener.h"
#include "CommandBarFile.h"
#include "ComposeWindow.h"
#include "MainWindow.h"
#include "mailstore/Mailbox.h"
#include "posix/system/WindowsFileSystem.h"
#include "sim/AddInLoader.h"

namespace velmora::desktop {

// One run of the desktop host over a mailbox, as the mail client it stands
// in for runs: the explorer window, the command bars kept from the last
// run, the add-ins registered to load at start, the messages being written,
// and the shutdown that tells the add-ins (OnBeginShutdown, then
// OnDisconnection with RemoveMode 0) after any run of theirs has stopped.
// Needs a QApplication and the installed platform.
class HostSession : public QObject {
    Q_OBJECT

public:
    HostSession(const std::filesystem::path& mailbox, const posix::WindowsFileSystem& files,
                QString commandBarFile);
    ~HostSession() override;

    // Shows the main window and starts the add-ins.
    void Start();
    // Start, the event loop until the host closes, then Finish; the loop's status.
    int Run();
    // Shuts the add-ins down and keeps the command bars; the session is done.
    void Finish();
    // The user closes the host: the event loop ends once no add-in runs.
    void RequestClose();

    void LoadAddIn(const std::u16string& progId);
    // Waits for a run of the add-in to stop first.
    void UnloadAddIn(const std::u16string& progId);
    void ShowAddIns();
    ComposeWindow* NewMessage();
    ComposeWindow* Forward(const std::filesystem::path& file);
    void Send(ComposeWindow* window);

    MainWindow& Window() { return *window_; }
    mailstore::Mailbox& Box() { return *mailbox_; }
    const sim::AddInLoader& Loader() const { return *loader_; }
    AddInsDialog* OpenAddInsDialog() { return addInsDialog_; }

private:
    ComposeWindow* Compose(const mailstore::DraftStart& start);
    void ReportAddInProblems();
    void AddInsChanged();

    const posix::WindowsFileSystem& files_;
    std::unique_ptr<mailstore::Mailbox> mailbox_;
    CommandBarFile barFile_;
    AttachmentOpener opener_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<sim::AddInLoader> loader_;
    AfterRuns afterRuns_;
    QPointer<AddInsDialog> addInsDialog_;
    std::vector<QPointer<ComposeWindow>> composing_;
    bool finished_ = false;
};

// Who writes the drafts: $EMAIL, else the user's name at this machine.
std::u16string UserAddress();

}  // namespace velmora::desktop
