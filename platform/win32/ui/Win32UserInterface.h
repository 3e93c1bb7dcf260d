#pragma once

#include "host/UserInterface.h"
#include "win32/ui/Win32Clipboard.h"
#include "win32/ui/Win32FolderBrowser.h"
#include "win32/ui/Win32MessageBoxes.h"
#include "win32/ui/Win32MessagePump.h"
#include "win32/ui/Win32Shell.h"

namespace win32ui {

// The add-in's windows as Win32 windows, with the system's message boxes,
// message pump, clipboard, shell and folder browser, installed for the
// object's lifetime.
class Win32UserInterface final : public host::WindowFactory {
public:
    Win32UserInterface();
    Win32UserInterface(const Win32UserInterface&) = delete;
    Win32UserInterface& operator=(const Win32UserInterface&) = delete;

    std::unique_ptr<host::MainDialogView> CreateMainDialog(host::MainDialogEvents& events) override;
    std::unique_ptr<host::ProgressLogView> CreateProgressLog(host::ProgressLogEvents& events) override;
    std::unique_ptr<host::WelcomeView> CreateWelcome(host::WelcomeEvents& events) override;

private:
    Win32MessageBoxes boxes_;
    Win32MessagePump pump_;
    Win32Clipboard clipboard_;
    Win32Shell shell_;
    Win32FolderBrowser folderBrowser_;
    host::UserInterfaceScope scope_;
};

}  // namespace win32ui
