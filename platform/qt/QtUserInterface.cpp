#include "QtUserInterface.h"

#include "QtMainDialogView.h"
#include "QtProgressLogView.h"
#include "QtWelcomeView.h"

namespace qtui {

std::unique_ptr<host::MainDialogView> QtWindowFactory::CreateMainDialog(host::MainDialogEvents& events) {
    return std::make_unique<QtMainDialogView>(events);
}

std::unique_ptr<host::ProgressLogView> QtWindowFactory::CreateProgressLog(host::ProgressLogEvents& events) {
    return std::make_unique<QtProgressLogView>(events);
}

std::unique_ptr<host::WelcomeView> QtWindowFactory::CreateWelcome(host::WelcomeEvents& events) {
    return std::make_unique<QtWelcomeView>(events);
}

QtUserInterface::QtUserInterface(const posix::WindowsFileSystem& fileSystem)
    : shell_(fileSystem), folderBrowser_(fileSystem) {}

host::UserInterface QtUserInterface::Services() {
    return {&messageBoxes_, &pump_, &clipboard_, &shell_, &folderBrowser_, &windows_};
}

}  // namespace qtui
