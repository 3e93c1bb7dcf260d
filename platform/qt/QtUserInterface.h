#pragma once

#include "DesktopServices.h"
#include "FolderBrowser.h"
#include "MessageBoxes.h"
#include "MessagePump.h"
#include "host/UserInterface.h"
#include "posix/system/WindowsFileSystem.h"

namespace qtui {

class QtWindowFactory final : public host::WindowFactory {
public:
    std::unique_ptr<host::MainDialogView> CreateMainDialog(host::MainDialogEvents& events) override;
    std::unique_ptr<host::ProgressLogView> CreateProgressLog(host::ProgressLogEvents& events) override;
    std::unique_ptr<host::WelcomeView> CreateWelcome(host::WelcomeEvents& events) override;
};

// The Qt 6 Widgets implementation of the user-interface services, for a
// process that runs a QApplication. Install it with
//   host::UserInterfaceScope scope(ui.Services());
// Paths go through the Linux file system's drive map.
class QtUserInterface {
public:
    explicit QtUserInterface(const posix::WindowsFileSystem& fileSystem);
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    host::UserInterface Services();

private:
    QtMessageBoxes messageBoxes_;
    QtMessagePump pump_;
    QtClipboard clipboard_;
    QtShell shell_;
    QtFolderBrowser folderBrowser_;
    QtWindowFactory windows_;
};

}  // namespace qtui
