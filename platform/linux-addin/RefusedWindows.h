#pragma once

#include <memory>

#include "host/UserInterface.h"
#include "sim/ui/Desktop.h"
#include "sim/ui/MessageBoxScript.h"

namespace linuxaddin {

// What the library installs in a host that runs no QApplication and did not
// ask for the headless windows: no window of the add-in is opened (creating
// one throws host::HostError saying why), and a message box, which nobody
// could answer either, is written to standard error and takes its Esc
// answer. A click on the add-in's button so writes why nothing opens, and
// nothing runs.
class RefusedWindows final : public host::WindowFactory {
public:
    RefusedWindows();
    RefusedWindows(const RefusedWindows&) = delete;
    RefusedWindows& operator=(const RefusedWindows&) = delete;

    std::unique_ptr<host::MainDialogView> CreateMainDialog(host::MainDialogEvents& events) override;
    std::unique_ptr<host::ProgressLogView> CreateProgressLog(host::ProgressLogEvents& events) override;
    std::unique_ptr<host::WelcomeView> CreateWelcome(host::WelcomeEvents& events) override;

private:
    sim::ui::Desktop desktop_;
    sim::ui::MessageBoxScript boxes_;
    host::UserInterfaceScope scope_;
};

}  // namespace linuxaddin
