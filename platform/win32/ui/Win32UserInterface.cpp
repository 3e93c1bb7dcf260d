#include "win32/ui/Win32UserInterface.h"

#include <commctrl.h>

#include "win32/ui/MainDialogWindow.h"
#include "win32/ui/ProgressLogWindow.h"
#include "win32/ui/WelcomeWindow.h"

namespace win32ui {

namespace {

host::UserInterface Services(Win32UserInterface& windows, Win32MessageBoxes& boxes, Win32MessagePump& pump,
                             Win32Clipboard& clipboard, Win32Shell& shell, Win32FolderBrowser& browser) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    return {&boxes, &pump, &clipboard, &shell, &browser, &windows};
}

}  // namespace

Win32UserInterface::Win32UserInterface()
    : scope_(Services(*this, boxes_, pump_, clipboard_, shell_, folderBrowser_)) {}

std::unique_ptr<host::MainDialogView> Win32UserInterface::CreateMainDialog(host::MainDialogEvents& events) {
    return std::make_unique<MainDialogWindow>(events);
}

std::unique_ptr<host::ProgressLogView> Win32UserInterface::CreateProgressLog(host::ProgressLogEvents& events) {
    return std::make_unique<ProgressLogWindow>(events);
}

std::unique_ptr<host::WelcomeView> Win32UserInterface::CreateWelcome(host::WelcomeEvents& events) {
    return std::make_unique<WelcomeWindow>(events);
}

}  // namespace win32ui
