#pragma once

// The headless user interface: every service of host/UserInterface.h as
// state a test sets and reads, installed for the object's lifetime.
//   sim::ui::SimUserInterface ui;
//   ui.Boxes().Answer(u"&No");
//   ui.Pump().Post([&] { ui.ProgressLog().ClickCancel(); });

#include <memory>
#include <ostream>

#include "host/UserInterface.h"
#include "sim/ui/ActionPump.h"
#include "sim/ui/Desktop.h"
#include "sim/ui/FolderBrowserScript.h"
#include "sim/ui/MainDialog.h"
#include "sim/ui/MessageBoxScript.h"
#include "sim/ui/ProgressLog.h"
#include "sim/ui/ShellAndClipboard.h"
#include "sim/ui/Welcome.h"

namespace sim::ui {

class SimUserInterface final : public host::WindowFactory {
public:
    // The message boxes shown are written to standard error, or to boxLog.
    SimUserInterface();
    explicit SimUserInterface(std::ostream& boxLog);
    SimUserInterface(const SimUserInterface&) = delete;
    SimUserInterface& operator=(const SimUserInterface&) = delete;

    MessageBoxScript& Boxes() { return boxes_; }
    ActionPump& Pump() { return pump_; }
    RecordingClipboard& Clipboard() { return clipboard_; }
    RecordingShell& Shell() { return shell_; }
    FolderBrowserScript& FolderBrowser() { return folderBrowser_; }
    Desktop& TheDesktop() { return desktop_; }

    // The views that exist; each throws std::logic_error when there is none.
    MainDialog& Dialog();
    ProgressLog& Progress();
    bool HasProgress() const { return progress_ != nullptr; }

    // How often a welcome window has been shown modally.
    int WelcomeShowings() const { return welcomeShowings_; }
    // Runs in every later welcome window while it is shown.
    void WhileWelcomeShown(Welcome::Action action) { whileWelcomeShown_ = std::move(action); }
    void WelcomeDocumentLoads(bool loads) { welcomeDocumentLoads_ = loads; }

    std::unique_ptr<host::MainDialogView> CreateMainDialog(host::MainDialogEvents& events) override;
    std::unique_ptr<host::ProgressLogView> CreateProgressLog(host::ProgressLogEvents& events) override;
    std::unique_ptr<host::WelcomeView> CreateWelcome(host::WelcomeEvents& events) override;

private:
    Desktop desktop_;
    MessageBoxScript boxes_;
    ActionPump pump_;
    RecordingClipboard clipboard_;
    RecordingShell shell_;
    FolderBrowserScript folderBrowser_;
    MainDialog* dialog_ = nullptr;
    ProgressLog* progress_ = nullptr;
    int welcomeShowings_ = 0;
    Welcome::Action whileWelcomeShown_;
    bool welcomeDocumentLoads_ = true;
    host::UserInterfaceScope scope_;
};

}  // namespace sim::ui
